#pragma once
// "Impostazione stampa ricevute": the receipt printer, the ticket size and margins, the
// tickets per row, the rows area, the background picture and the receipt script, with its
// default, its file (which carries the geometry in head lines), a test print and a preview
// of the receipt of a receipt record. OK keeps the settings; nothing else changes them.
#include "Configuration.h"
#include "PrintSettingDialog.h"

#include <QMap>

class QLineEdit;
class QToolButton;

class frmTicketPrintSetting : public PrintSettingDialog {
public:
    explicit frmTicketPrintSetting(QWidget* parent = nullptr);

    // Shows the dialog modally over `owner`.
    static void ShowModal(QWidget* owner);

    // The settings as the dialog shows them; AppError naming a box that holds no number.
    TicketPrinterSettings Settings() const;

    // The buttons.
    void Confirm();          // OK: keeps the settings, saves the configuration, closes
    void Default();          // Predefinto: the default receipt script in the editor
    void LoadScript();       // Carica: the script and the geometry boxes from a file
    void SaveScript();       // Salva: the geometry boxes and the script into a file
    void SelectBackImage();  // the background picture's file
    void TestPrint();        // Test: the receipt on the printer chosen in the list
    void Preview();          // Anteprima: the same receipt in the preview window

private:
    QLineEdit* m_txtColumns = nullptr;
    QLineEdit* m_txtTicketHeight = nullptr;
    QLineEdit* m_txtTicketWidth = nullptr;
    QLineEdit* m_txtTicketTop = nullptr;
    QLineEdit* m_txtTicketLeft = nullptr;
    QLineEdit* m_txtTicketRowsTop = nullptr;
    QLineEdit* m_txtTicketRowsBottom = nullptr;
    QLineEdit* m_txtTicketRowsDim = nullptr;
    QLineEdit* m_txtBackImage = nullptr;
    QToolButton* m_cmdSelBackImage = nullptr;
    QLineEdit* m_txtBottomImageBorder = nullptr;
    QMap<QString, QLineEdit*> m_headBoxes;   // by the script file's head-line key
};
