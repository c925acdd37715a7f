#pragma once
// The preview of a receipt (frmTicketPrintSetting's Anteprima).
#include "PrintPreviewWindow.h"

class frmTicketPreview : public PrintPreviewWindow {
public:
    explicit frmTicketPreview(std::shared_ptr<PreviewTarget> target, QWidget* parent = nullptr)
        : PrintPreviewWindow(std::move(target), parent, QStringLiteral("frmTicketPreview"))
    { }
};
