#pragma once
// The window a label or receipt preview is shown in: the previewed strip over the whole
// window, sized after the strip's proportions; caption "Anteprima"; Esc closes it.
#include "widgets/ModalDialog.h"
#include "printing/PreviewTarget.h"

#include <QWidget>
#include <memory>

// A widget showing a preview surface over its whole area; the preview windows hold one.
class PrintPreviewView : public QWidget {
public:
    explicit PrintPreviewView(std::shared_ptr<PreviewTarget> target, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    const std::shared_ptr<PreviewTarget>& target() const { return m_target; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<PreviewTarget> m_target;
};

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
