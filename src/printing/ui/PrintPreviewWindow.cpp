#include "PrintPreviewWindow.h"

#include <QPainter>
#include <QVBoxLayout>

PrintPreviewView::PrintPreviewView(std::shared_ptr<PreviewTarget> target, QWidget* parent)
    : QWidget(parent), m_target(std::move(target))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PrintPreviewView::sizeHint() const { return m_target ? m_target->windowSize() : QSize(400, 300); }

void PrintPreviewView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (m_target) m_target->render(p, QRectF(rect()));
}

PrintPreviewWindow::PrintPreviewWindow(std::shared_ptr<PreviewTarget> target, QWidget* parent,
                                       const QString& objectName)
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
