#pragma once
// The general options dialog ("Impostazioni"): folders of the working and backup databases,
// backup functions, defaults, amount controls and rounding, loyalty points and the scale's
// port. From it the rounding ranges, the advanced options (behind the service password)
// and the repair of the database files are reached.
#include "widgets/ModalDialog.h"
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// While any options dialog is loaded the main window is disabled and its OptionsActive is
// true. Nested dialogs count: closing the advanced options over the general ones leaves the
// main window disabled until the last of them closes.
class OptionsWindowScope {
public:
    OptionsWindowScope();
    ~OptionsWindowScope();
    OptionsWindowScope(const OptionsWindowScope&) = delete;
    OptionsWindowScope& operator=(const OptionsWindowScope&) = delete;
    static int Depth();
};

class frmOptions : public ModalDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);
    ~frmOptions() override;

    // The loaded dialog, or null.
    static frmOptions* loaded();
    // The main window's menu: shows the dialog without waiting for it (loading it first).
    static void ShowOptions(QWidget* owner);
    // Shows the dialog modally (InitDatabase hides the repair command) and returns Confirmed.
    static bool ShowModal(QWidget* owner, bool repairCommand);
    static bool ShowModalWithoutRepair(QWidget* owner) { return ShowModal(owner, false); }

    // Fills every control from the configuration, clears Confirmed, applies the rules.
    void SetParamConfiguration();
    // OK has stored and saved the settings.
    bool Confirmed() const { return m_confirmed; }
    void HideRepairCommand();

    // The buttons. Ok returns whether the settings were stored (the dialog then closes).
    bool Ok();
    void SelectWorkDir();
    void SelectBackupDir();
    void SetRoundRanges();
    void Advanced();
    void RepairDatabase();

    // The fixed service password that opens the advanced options, in clear.
    static QString ServicePassword();

    // An answer line "OK" presses OK; "OK<TAB>folder" types the working folder first;
    // anything else leaves as "Esci".
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void backupDirChanged();
    void saveDataClicked();
    void saveNotifyClicked();
    void UpdateValorePremio();

    OptionsWindowScope m_scope;
    bool m_confirmed = false;

    QLineEdit* m_txtWorkDir = nullptr;
    QLineEdit* m_txtDefault_UM = nullptr;
    QLineEdit* m_txtDefault_CodiceIVA = nullptr;
    QLineEdit* m_txtProgrLen_ClientiForn = nullptr;
    QLineEdit* m_txtNemeroCopieRicevuta = nullptr;
    QLabel* m_lblNumeroCopie = nullptr;
    QLineEdit* m_maskImportoMax = nullptr;
    QLineEdit* m_maskArrotondamento = nullptr;
    QCheckBox* m_chkArrotondamentoEccesso = nullptr;
    QLineEdit* m_maskImportoPunto = nullptr;
    QLineEdit* m_maskImportoPuntoPremio = nullptr;
    QLineEdit* m_maskPuntiPremio = nullptr;
    QLineEdit* m_txtValorePremio = nullptr;
    QGroupBox* m_frameBackupRestore = nullptr;
    QLineEdit* m_txtBkpDir = nullptr;
    QCheckBox* m_chkSaveData = nullptr;
    QCheckBox* m_chkRestoreData = nullptr;
    QCheckBox* m_chkEnableDelete = nullptr;
    QComboBox* m_cmbSaveNotify = nullptr;
    QCheckBox* m_chkAutoSaveOnExit = nullptr;
    QComboBox* m_cboCOMPortBil = nullptr;
    QLineEdit* m_txtCOMParamBil = nullptr;
    QPushButton* m_cmdRepairDB = nullptr;
};
