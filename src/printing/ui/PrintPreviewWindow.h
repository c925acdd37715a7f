#pragma once
// The window a label or receipt preview is shown in: the previewed strip over the whole
// window, sized after the strip's proportions; caption "Anteprima"; Esc closes it.
#include "widgets/ModalDialog.h"
#include "PreviewTarget.h"

#include <memory>

class PrintPreviewWindow : public ModalDialog {
public:
    // Any answer line closes it.
    QString answerPrompt() const override { return windowTitle(); }
    void applyAnswer(const QString&) override { reject(); }

    PrintPreviewView* view() const { return m_view; }
    const std::shared_ptr<PreviewTarget>& target() const { return m_view->target(); }

protected:
    PrintPreviewWindow(std::shared_ptr<PreviewTarget> target, QWidget* parent, const QString& objectName);

private:
    PrintPreviewView* m_view = nullptr;
};
