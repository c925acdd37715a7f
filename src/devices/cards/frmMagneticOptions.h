#pragma once
// The card reader's settings "Impostazioni": the reader type, its port and port settings,
// and the code filter script; stored on OK. The settings take effect at the next read or
// write, which create the driver anew.
#include "frmOptions.h"
#include <QDialog>

class FilterScriptBox;
class QComboBox;

class frmMagneticOptions : public QDialog {
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

private:
    OptionsWindowScope m_scope;
    bool m_confirmed = false;
    QComboBox* m_cmbDevType = nullptr;
    QComboBox* m_cboCOMPort = nullptr;
    QComboBox* m_txtCOMParam = nullptr;
    FilterScriptBox* m_script = nullptr;
};
