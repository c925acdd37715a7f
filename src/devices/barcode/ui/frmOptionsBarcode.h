#pragma once
// The barcode reader's settings "Impostazioni": its port, the port's settings and the
// filter script; stored on OK.
#include "widgets/ModalDialog.h"
#include "dialogs/frmOptions.h"

class FilterScriptBox;
class QComboBox;

class frmOptionsBarcode : public ModalDialog {
    Q_OBJECT
public:
    explicit frmOptionsBarcode(QWidget* parent = nullptr);

    void Ok();
    FilterScriptBox& ScriptBox() { return *m_script; }

    // Shows the dialog modally; while it is loaded the main window is disabled and its
    // options flag set.
    static void ShowModal(QWidget* owner);

    // An answer line "OK" presses OK, after the controls its name=value pairs name
    // (AnswerControls.h) are set; anything else leaves.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    void EnableControls();

    OptionsWindowScope m_scope;
    QComboBox* m_cboCOMPort = nullptr;
    QComboBox* m_txtCOMParam = nullptr;
    FilterScriptBox* m_script = nullptr;
};
