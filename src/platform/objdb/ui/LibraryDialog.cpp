#include "LibraryDialog.h"

bool LibraryDialog::runModal()
{
    m_open = true;
    m_accepted = false;
    const bool accepted = ui().runModal(*this);
    m_open = false;
    return accepted;
}

void LibraryDialog::done(int result)
{
    m_open = false;
    m_accepted = result == QDialog::Accepted;
    setResult(result);
    // A window filled from an answer file is never shown: there is nothing to close.
    if (isVisible()) QDialog::done(result);
}
