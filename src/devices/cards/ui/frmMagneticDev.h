#pragma once
// "Carta Magnetica": the modal dialog that reads a customer code from a card (swiped on
// the reader, or typed by a keyboard-emulating one) or writes a code on a card. One
// instance serves the whole program. The work is MagneticCardOperation's; the dialog
// shows its messages, feeds it the keys and the timer, and closes when told.
#include "core/seams/CustomerCardWriter.h"
#include "devices/cards/MagneticCardOperation.h"
#include "widgets/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class frmMagneticDev : public ModalDialog, public CustomerCardWriter, public CustomerCardReader {
    Q_OBJECT
public:
    explicit frmMagneticDev(QWidget* parent = nullptr);

    // The program's card dialog.
    static frmMagneticDev& instance();

    // The code read; empty when the code was refused, the operator cancelled before any
    // read, or the reader could not start (that error shown). Cancelled after a read the
    // reader reported failed: the text that read found, as it came.
    QString ReadCode(QWidget* owner, const QString& prefix, bool reverse) override;
    // Writes prefix + code (and data2) on a card, retrying a failed write until it goes or
    // the operator cancels. False when the operator's level is below `requiredLevel`, the
    // reader cannot write, or the write did not happen; each case told to the operator.
    bool WriteCode(QWidget* owner, const QString& code, const QString& prefix, const QString& data2, bool reverse,
                   int32_t requiredLevel) override;

    MagneticCardOperation& Operation() { return m_operation; }

    // An answer line stands for the card and the reader, which is not started. For a read:
    // the code as a keyboard-emulating reader types it (";12345678?"), taken as a typed code
    // is; an empty line reads nothing; a code that is refused flashes "Riprovare..." and the
    // next line is read. For a write: "OK" is the reader's report that the card was written;
    // anything else a failed write, tried again with the next line.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Present(QWidget* owner, const QString& message);
    void Activate();
    void Tick();
    void FlashTryAgain();
    // Stops the reader and releases the driver; an error in doing so is shown.
    void Finish();

    MagneticCardOperation m_operation;
    bool m_writing = false;
    QString m_prefix;
    QLabel* m_lblMsg = nullptr;
    QLabel* m_lblTryAgain = nullptr;
    QLineEdit* m_txtKeyCode = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QTimer* m_tmEvent = nullptr;
};

// Makes the card dialog the program's customer-card writer (WriteCustomerCard) and reader.
void InstallCustomerCardWriter();
