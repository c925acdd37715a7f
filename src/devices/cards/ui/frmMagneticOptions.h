#pragma once
// The card reader's settings "Impostazioni": the reader type, its port and port settings,
// and the code filter script; stored on OK. The settings take effect at the next read or
// write, which create the driver anew.
#include "widgets/ModalDialog.h"
#include "dialogs/frmOptions.h"

class FilterScriptBox;
class QComboBox;

class frmMagneticOptions : public ModalDialog {
    Q_OBJECT
public:
    explicit frmMagneticOptions(QWidget* parent = nullptr);

    void Ok();
    bool Confirmed() const { return m_confirmed; }
    // Adapts the port controls to the chosen type and port.
    void EnableControls();
    FilterScriptBox& ScriptBox() { return *m_script; }

    // Shows the dialog modally; while it is loaded the main window is disabled and its
    // options flag set.
    static void ShowModal(QWidget* owner);

    // An answer line "OK" presses OK, after the controls its name=value pairs name
    // (AnswerControls.h) are set; anything else leaves.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    OptionsWindowScope m_scope;
    bool m_confirmed = false;
    QComboBox* m_cmbDevType = nullptr;
    QComboBox* m_cboCOMPort = nullptr;
    QComboBox* m_txtCOMParam = nullptr;
    FilterScriptBox* m_script = nullptr;
};
