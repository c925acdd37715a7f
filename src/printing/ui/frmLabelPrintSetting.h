#pragma once
// "Impostazione stampa etichette": the label printer, the label size and margins, the labels
// per row and the label script, with its default, its file, a test print and a preview of a
// row of labels of an article. OK keeps the settings; nothing else changes them.
#include "core/configuration/Configuration.h"
#include "PrintSettingDialog.h"
#include "printing/PrintSettings.h"
#include "frmLabelPreview.h"

class frmLabelPrintSetting : public PrintSettingDialogOf<frmLabelPrintSetting, frmLabelPreview, LabelPrinterSettings,
                                                         SaveLabelSettings, PrintLabels> {
public:
    explicit frmLabelPrintSetting(QWidget* parent = nullptr);
};
