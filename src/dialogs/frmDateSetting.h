#pragma once
// A small modal window that returns one date picked on a month calendar.
#include <QDate>
#include "widgets/ModalDialog.h"
#include <cstdint>
#include <optional>

class QCalendarWidget;
class QPushButton;

class frmDateSetting : public ModalDialog {
    Q_OBJECT
public:
    explicit frmDateSetting(QWidget* parent = nullptr);

    // Shows `date` (today when empty) with the window at Top/Left in twips (-1 centres along
    // that axis); the chosen date, or empty when the user cancelled.
    std::optional<QDate> SetDate(const std::optional<QDate>& date, int32_t top = -1, int32_t left = -1);

    // The steps of SetDate before and after the modal wait, for callers that show it themselves.
    void Prepare(const std::optional<QDate>& date, int32_t top, int32_t left);
    bool Confirmed() const { return m_confirmed; }
    QDate ChosenDate() const { return m_chosenDate; }

    // An answer line is a date (dd/mm/yyyy) to choose; an empty line takes the date shown,
    // anything else leaves as Esc.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

private:
    void confirm();

    QCalendarWidget* m_calTimeSetting = nullptr;
    QPushButton* m_cmdSetting = nullptr;
    bool m_confirmed = false;
    QDate m_chosenDate;
};
