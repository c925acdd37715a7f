#include "BarcodeInput.h"

#include "core/seams/CounterServices.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"
#include "base/UiServices.h"

#include <QCoreApplication>

BarcodeInput::BarcodeInput(SerialChannel& port) : m_port(port)
{
    m_connection = QObject::connect(&m_port, &SerialChannel::received, [this] { MSComm_OnComm(); });
}

BarcodeInput::~BarcodeInput() { QObject::disconnect(m_connection); }

void BarcodeInput::MSComm_OnComm()
{
    if (m_receiving) return;
    m_receiving = true;
    try {
        for (;;) {
            QCoreApplication::processEvents();
            // A receive event can still be queued when the reader is switched off.
            if (!m_port.isOpen()) break;
            const QString code = ReadCommLine(m_port);
            if (!code.isEmpty()) {
                deliver(code);
                continue;
            }
            // An empty line (a stray line end) is no code; the codes behind it must not wait
            // for the next scan to be read.
            const QString& pending = m_port.pendingText();
            if (!pending.contains(u'\r') && !pending.contains(u'\n')) break;
        }
    } catch (...) {
        // Called from the event loop: an exception must not leave it.
        m_receiving = false;
        ShowErrorDetails(CurrentError());
        return;
    }
    m_receiving = false;
}

void BarcodeInput::deliver(const QString& code)
{
    ui().status(QStringLiteral("Letto codice a barre: <") + code + u'>');
    // Held for the call: the window may unregister its box while the code is handed over.
    const std::shared_ptr<BarcodeTarget> target = m_target;
    if (!target) return;
    if (target->CanReceive())
        target->Receive(code + u'\r');
    else
        ui().beep();
}
