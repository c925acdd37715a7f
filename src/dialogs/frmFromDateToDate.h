#pragma once
// A small modal window that returns a period: two month calendars, each with the date as
// text beside it.
#include <QDate>
#include "widgets/ModalDialog.h"
#include <QString>
#include <cstdint>
#include <optional>

class QCalendarWidget;
class QLineEdit;
class QPushButton;

namespace period {
// A date as the text boxes show it: the regional short form with a four-digit year.
QString DateText(const QDate& date);
// A typed date in the regional form (or ISO); empty when it is not a date.
std::optional<QDate> ReadDateText(const QString& text);

struct Check {
    QString error;   // the message to show; empty when both dates are valid
    QDate from, to;
};
// The start is checked first; the order of the two dates is the caller's business.
Check Validate(const QString& fromText, const QString& toText);
}

class frmFromDateToDate : public ModalDialog {
    Q_OBJECT
public:
    explicit frmFromDateToDate(QWidget* parent = nullptr);

    // Shows the period (today for an empty end) with the window at Top/Left in twips (-1
    // centres along that axis). On confirmation `from` and `to` receive the chosen dates and
    // the result is true; on cancel they keep their values.
    bool SetDate(std::optional<QDate>& from, std::optional<QDate>& to, int32_t top = -1, int32_t left = -1);

    void Prepare(const std::optional<QDate>& from, const std::optional<QDate>& to, int32_t top, int32_t left);
    bool Confirmed() const { return m_confirmed; }
    QDate FromDate() const { return m_fromDate; }
    QDate ToDate() const { return m_toDate; }

    // An answer line "from<TAB>to" types both dates (an empty line keeps those shown) and
    // presses "Imposta": a date that is not valid is told and the window waits for another line.
    QString answerPrompt() const override { return QStringLiteral("Dal, Al"); }
    void applyAnswer(const QString& answer) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void confirm();

    QCalendarWidget* m_calFromData = nullptr;
    QCalendarWidget* m_calToData = nullptr;
    QLineEdit* m_txtFromDate = nullptr;
    QLineEdit* m_txtToDate = nullptr;
    QPushButton* m_cmdSet = nullptr;
    bool m_confirmed = false;
    QDate m_fromDate, m_toDate;
};
