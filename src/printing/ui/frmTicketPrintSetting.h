#pragma once
// "Impostazione stampa ricevute": the receipt printer, the ticket size and margins, the
// tickets per row, the rows area, the background picture and the receipt script, with its
// default, its file (which carries the geometry in head lines), a test print and a preview
// of the receipt of a receipt record. OK keeps the settings; nothing else changes them.
#include "core/configuration/Configuration.h"
#include "PrintSettingDialog.h"
#include "printing/PrintSettings.h"
#include "frmTicketPreview.h"

#include <QMap>

class frmTicketPrintSetting : public PrintSettingDialogOf<frmTicketPrintSetting, frmTicketPreview,
                                                          TicketPrinterSettings, SaveTicketSettings, PrintTicketTest> {
public:
    explicit frmTicketPrintSetting(QWidget* parent = nullptr);
    // The button beside the background picture's file.
    void SelectBackImage();

protected:
    void readOtherBoxes(TicketPrinterSettings& s) const override;
    // The script files carry the geometry boxes in head lines.
    void readScriptFile(const QString& path) override;
    void writeScriptFile(const QString& path) const override;

private:
    QLineEdit* m_txtBackImage = nullptr;
    QMap<QString, QLineEdit*> m_headBoxes;   // by the script file's head-line key
};
