#include "ModalDialog.h"

bool ModalDialog::runModal()
{
    m_open = true;
    m_accepted = false;
    const bool accepted = ui().runModal(*this);
    m_open = false;
    return accepted;
}

void ModalDialog::done(int result)
{
    m_open = false;
    m_accepted = result == QDialog::Accepted;
    setResult(result);
    // A window never shown (a headless run, a test driving its buttons) has nothing to
    // close: closing it would also delete a window made to delete itself on close. Those
    // that watch it still hear that it ended, as they would from a shown one.
    if (isVisible()) {
        QDialog::done(result);
        return;
    }
    if (result == QDialog::Accepted)
        emit accepted();
    else if (result == QDialog::Rejected)
        emit rejected();
    emit finished(result);
}

bool AnswerReaches(const QWidget& window, const QWidget& control, const QString& name)
{
    if (!control.isVisibleTo(&window) && &control != &window) {
        ui().refused(window.objectName(), name + QStringLiteral(" hidden"));
        return false;
    }
    if (!control.isEnabled()) {
        ui().refused(window.objectName(), name + QStringLiteral(" disabled"));
        return false;
    }
    return true;
}

void ModalAdapter::applyAnswer(const QString& answer)
{
    m_accepted = m_answer(answer);
    m_open = false;
}
