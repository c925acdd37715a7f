#include "PrintPreviewWindow.h"

#include <QVBoxLayout>

PrintPreviewWindow::PrintPreviewWindow(std::shared_ptr<PreviewTarget> target, QWidget* parent, const QString& objectName)
    : ModalDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Anteprima"));
    m_view = new PrintPreviewView(std::move(target), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(m_view->sizeHint());
}
