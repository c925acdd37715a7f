#include "BalanceConsole.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"
#include "base/UiServices.h"
#include "devices/scale/modOmegaNet.h"
#include <QPointer>

BalanceConsole::BalanceConsole() : m_comm(createSerialChannel())
{
    connect(m_comm.get(), &SerialChannel::received, this, [this] { OnComm(); });
}

BalanceConsole::~BalanceConsole()
{
    if (m_comm->isOpen()) m_comm->close();
}

QString BalanceConsole::PortErrorMessage(const PortSettings& s, const QString& error)
{
    return QStringLiteral("Impostazione porta (COM") + s.port + QStringLiteral(" - ") + s.params
        + QStringLiteral(") controllo bilancia fallita: \r\r") + error;
}

void BalanceConsole::SetBalance(bool open, const PortSettings& s)
{
    m_listening = false;
    OpenConsolePort(*m_comm, open, static_cast<int>(config::ReadWhole(s.port, -32768, 32767, 0)), s);
    m_listening = open;
}

void BalanceConsole::Send(const QString& text)
{
    const QByteArray frame = NetBuildFrame(text);
    ClearCommInput(*m_comm);
    m_comm->write(frame);
}

void BalanceConsole::OnComm()
{
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
            emit Logged(QString::fromLatin1(data) + (data.isEmpty() ? QStringLiteral(" err") : QStringLiteral(" Ok"))
                        + QStringLiteral("\r\n"));
        }
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
    if (self) m_running = false;
}
