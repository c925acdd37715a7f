#pragma once
// "Impostazione stampa etichette": the label printer, the label size and margins, the labels
// per row and the label script, with its default, its file, a test print and a preview of a
// row of labels of an article. OK keeps the settings; nothing else changes them.
#include "Configuration.h"
#include "PrintSettingDialog.h"

class QLineEdit;

class frmLabelPrintSetting : public PrintSettingDialog {
public:
    explicit frmLabelPrintSetting(QWidget* parent = nullptr);

    // Shows the dialog modally over `owner`.
    static void ShowModal(QWidget* owner);

    // The settings as the dialog shows them; AppError naming a box that holds no number.
    LabelPrinterSettings Settings() const;

    // The buttons.
    void Confirm();         // OK: keeps the settings, saves the configuration, closes
    void Default();         // Predefinto: the default label script in the editor
    void LoadScript();      // Carica
    void SaveScript();      // Salva
    void TestPrint();       // Test: a row of labels on the printer chosen in the list
    void Preview();         // Anteprima: the same row of labels in the preview window

private:
    QLineEdit* m_txtColumns = nullptr;
    QLineEdit* m_txtLabelHeight = nullptr;
    QLineEdit* m_txtLabelWidth = nullptr;
    QLineEdit* m_txtLabelTop = nullptr;
    QLineEdit* m_txtLabelLeft = nullptr;
};
