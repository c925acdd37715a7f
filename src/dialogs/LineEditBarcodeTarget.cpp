#include "LineEditBarcodeTarget.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>

namespace {
class LineEditTarget final : public BarcodeTarget {
public:
    explicit LineEditTarget(QLineEdit* box) : m_box(box) { }

    bool CanReceive() const override
    {
        if (!m_box) return false;
        QWidget* form = m_box->window();
        return form == QApplication::activeWindow() && form->focusWidget() != nullptr;
    }
    void Receive(const QString& text) override
    {
        if (m_box) m_box->setText(text);
    }

private:
    QPointer<QLineEdit> m_box;
};
}   // namespace

std::shared_ptr<BarcodeTarget> LineEditBarcodeTarget(QLineEdit* box) { return std::make_shared<LineEditTarget>(box); }
