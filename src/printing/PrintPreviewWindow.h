#pragma once
// The window a label or receipt preview is shown in: the previewed strip over the whole
// window, sized after the strip's proportions; caption "Anteprima"; Esc closes it.
#include "PreviewTarget.h"

#include <QDialog>
#include <memory>

class PrintPreviewWindow : public QDialog {
public:
    PrintPreviewView* view() const { return m_view; }
    const std::shared_ptr<PreviewTarget>& target() const { return m_view->target(); }

protected:
    PrintPreviewWindow(std::shared_ptr<PreviewTarget> target, QWidget* parent, const QString& objectName);

private:
    PrintPreviewView* m_view = nullptr;
};
