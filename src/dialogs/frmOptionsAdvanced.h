#pragma once
// The advanced options ("Impostazioni"): how the database is opened (access mode,
// maintenance mode, transactions) and which features are in use; export and import of the
// configuration file. Reached from the general options, behind the service password.
#include "frmOptions.h"
#include <QPointer>

class QCheckBox;
class QRadioButton;

class frmOptionsAdvanced : public ModalDialog {
    Q_OBJECT
public:
    // options: the general dialog to reload after OK and after an import (may be null).
    explicit frmOptionsAdvanced(frmOptions* options = nullptr, QWidget* parent = nullptr);

    // Shows the dialog modally.
    static void ShowModal(QWidget* owner, frmOptions* options);

    void SetParamConfiguration();
    // The buttons. Ok returns whether the settings were stored (the dialog then closes).
    bool Ok();
    void WriteFileConfiguration();
    void ReadFileConfiguration();

    // The access option shown for the settings: 3 in maintenance mode, else AccessMode
    // (a stored mode without an option of its own shows none: -1).
    static int AccessOption(int accessMode, bool maintenanceMode);

    // An answer line "OK" presses OK; anything else leaves the dialog.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    void reloadDialogs();

    OptionsWindowScope m_scope;
    QPointer<frmOptions> m_options;
    QCheckBox* m_chkUse_PrezzoAcquistoListino = nullptr;
    QCheckBox* m_chkUse_Ricevute = nullptr;
    QCheckBox* m_chkUse_PuntiPremio = nullptr;
    QCheckBox* m_chkUse_Badge = nullptr;
    QCheckBox* m_chkUse_PagamentiForniture = nullptr;
    QCheckBox* m_chkTransaction = nullptr;
    QRadioButton* m_optAccessMode[4] = {};
};
