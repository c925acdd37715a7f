#include "BalanceConsole.h"
#include "AppError.h"
#include "Configuration.h"
#include "SerialChannel.h"
#include "SerialLines.h"
#include "UiServices.h"
#include "modOmegaNet.h"
#include <QPointer>

BalanceConsole::BalanceConsole() : m_comm(createSerialChannel()) {
    connect(m_comm.get(), &SerialChannel::received, this, [this] { OnComm(); });
}

BalanceConsole::~BalanceConsole() {
    if (m_comm->isOpen()) m_comm->close();
}

QString BalanceConsole::PortErrorMessage(const PortSettings& s, const QString& error) {
    return QStringLiteral("Impostazione porta (COM") + s.port + QStringLiteral(" - ") + s.params +
           QStringLiteral(") controllo bilancia fallita: \r\r") + error;
}

void BalanceConsole::SetBalance(bool open, const PortSettings& s) {
    m_listening = false;
    if (m_comm->isOpen()) m_comm->close();
    if (open) {
        m_comm->setPortNumber(static_cast<int>(config::ReadWhole(s.port, -32768, 32767, 0)));
        m_comm->setSettings(s.params);
        m_comm->setFlowControl(s.handshakeRts ? SerialFlowControl::Hardware : SerialFlowControl::None);
        m_comm->setDtrEnable(s.dtr);
        m_comm->setRtsEnable(s.rts);
        m_comm->open();
        m_listening = true;
    }
    // A closed port has no input to empty.
    if (m_comm->isOpen()) ClearCommInput(*m_comm);
}

void BalanceConsole::Send(const QString& text) {
    const QByteArray frame = NetBuildFrame(text);
    ClearCommInput(*m_comm);
    m_comm->write(frame);
}

void BalanceConsole::OnComm() {
    if (m_running || !m_listening || !m_comm->isOpen()) return;
    m_running = true;
    const QPointer<BalanceConsole> self(this);
    try {
        QByteArray collected = m_comm->readAll();
        if (!collected.isEmpty()) {
            // Whatever comes while the line is busy belongs to the same message.
            for (;;) {
                m_comm->waitUntil([] { return false; }, kQuietMs);
                if (!self) return;
                if (!m_comm->isOpen()) break;
                const QByteArray more = m_comm->readAll();
                if (more.isEmpty()) break;
                collected += more;
            }
            const QByteArray data = NetParseFrame(collected);
            if (m_comm->isOpen())
                m_comm->write(NetBuildFrame(QByteArray(1, data.isEmpty() ? kInvalidAnswer : kValidAnswer)));
            emit Logged(QString::fromLatin1(data) + (data.isEmpty() ? QStringLiteral(" err") : QStringLiteral(" Ok")) +
                        QStringLiteral("\r\n"));
        }
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
    if (self) m_running = false;
}
