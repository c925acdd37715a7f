#pragma once
// The small modal dialog that asks what a save or a restore copies: the supplies and sales
// of a period (with the article table, deleted at the origin or not), the whole archive, or
// the maintenance move of the whole database file.
//
// BackupSelections is what the dialog chooses, kept for the whole run of the program (the
// next opening starts from the period chosen last), with the rules of its loading and of
// its "&Avvia"; the window only binds its controls to it.
#include "operations/BackupRestore.h"
#include "widgets/ModalDialog.h"
#include <QDate>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct BackupSelections {
    bool restore = false;
    bool allData = false;
    std::optional<QDate> from;
    std::optional<QDate> to;
    bool deleteAtOrigin = false;
    bool copyRelated = true;
    bool copyArticoli = false;
    bool moveArchive = false;

    // The first day proposed when none is chosen yet, by the reminder frequency (BkpSaveNotify):
    // the day before, the Monday of the week before (a Sunday moves to the Monday after), the
    // first of the month before; none (from the beginning) for any other value.
    static std::optional<QDate> DefaultFrom(int frequency, const QDate& to);
    // The period at the dialog's loading: today as the last day when none is chosen, the
    // default first day, the last day never before the first, and for a save a first day
    // moved back to the last save when that came earlier.
    void LoadPeriod(const QDate& today, int frequency, const std::optional<QDate>& lastSaved);
    // "Periodo impostato non corretto": the first day after the last.
    bool PeriodValid() const { return !from || !to || *from <= *to; }
    BackupChoice Choice() const;
};

class frmBackupRestore : public ModalDialog {
    Q_OBJECT
public:
    explicit frmBackupRestore(QWidget* parent = nullptr);

    // The choices of this program run (they outlive every opening of the dialog).
    static BackupSelections& Selections();
    // Shows the dialog modal over `owner` with `caption`; the choice when "&Avvia" accepted it.
    static std::optional<BackupChoice> QuerySelections(QWidget* owner, const QString& caption, bool restore);

    // Loads the dialog for a save or a restore from the selections, the configuration and
    // the settings store.
    void Prepare(bool restore);
    bool Confirmed() const { return m_confirmed; }
    // "&Avvia": stores the choice and closes, or warns and stays.
    void Execute();

    // The date picker of the two "..." buttons (the core's single-date dialog by default).
    using DatePicker = std::function<std::optional<QDate>(const std::optional<QDate>& current)>;
    void setDatePicker(DatePicker picker) { m_pickDate = std::move(picker); }

    // An answer line "Avvia" presses "&Avvia", after the controls its name=value pairs name
    // (AnswerControls.h) are set; the period's boxes take a date dd/mm/yyyy
    // ("Avvia\ttxtFromDate=01/03/2007"). Anything else leaves.
    QString answerPrompt() const override { return QStringLiteral("Avvia / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    void updateEnabling();
    void showDates();
    void pick(bool first);
    void confirmArticoli(bool ticked);
    // One name=value pair of an answer line; false when it was refused (and told).
    bool applyPair(const QString& pair);

    bool m_confirmed = false;
    DatePicker m_pickDate;

    QRadioButton* m_optCopyData = nullptr;
    QRadioButton* m_optCopyAllData = nullptr;
    QRadioButton* m_optMoveData = nullptr;
    QLabel* m_lblMoveData = nullptr;
    QLineEdit* m_txtFromDate = nullptr;
    QLineEdit* m_txtToDate = nullptr;
    QPushButton* m_cmdSelFromDate = nullptr;
    QPushButton* m_cmdSelToDate = nullptr;
    QCheckBox* m_chkRemoveData = nullptr;
    QCheckBox* m_chkArticoli = nullptr;
    QCheckBox* m_chkCopyRelate = nullptr;
    QPushButton* m_cmdExecute = nullptr;
};
