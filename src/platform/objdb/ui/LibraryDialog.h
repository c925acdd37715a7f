#pragma once
// The base of the library's modal windows. Each runs through ui().runModal, so that a person
// or an answer file fills it the same way: a window says what one answer line holds
// (answerPrompt) and fills its controls from a line and presses OK (applyAnswer); one that
// refuses a line says why in a message box and stays open for the next line.
#include "UiServices.h"
#include <QDialog>

class LibraryDialog : public QDialog, public ModalWindow {
public:
    explicit LibraryDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    // Runs the window to its end; true when it was accepted.
    bool runModal();

    bool showModal() override { return exec() == QDialog::Accepted; }
    QString windowName() const override { return objectName(); }
    void cancelWindow() override { reject(); }
    bool isOpen() const override { return m_open; }
    bool isAccepted() const override { return m_accepted; }
    void done(int result) override;

private:
    bool m_open = false;
    bool m_accepted = false;
};
