#pragma once
// The preview of a row of labels (frmLabelPrintSetting's Anteprima).
#include "PrintPreviewWindow.h"

class frmLabelPreview : public PrintPreviewWindow {
public:
    explicit frmLabelPreview(std::shared_ptr<PreviewTarget> target, QWidget* parent = nullptr)
        : PrintPreviewWindow(std::move(target), parent, QStringLiteral("frmLabelPreview"))
    { }
};
