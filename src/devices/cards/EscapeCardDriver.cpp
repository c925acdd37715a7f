#include "EscapeCardDriver.h"
#include "base/AppError.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"
#include "clsMagneticCardEvents.h"
#include <QElapsedTimer>
#include <chrono>
#include <thread>

EscapeCardDriver::EscapeCardDriver() : m_comm(createSerialChannel())
{
    m_comm->setDtrEnable(true);
    m_comm->setRtsEnable(false);
    m_comm->setFlowControl(SerialFlowControl::None);
    connect(m_comm.get(), &SerialChannel::received, this, [this] { OnComm(); });
}

EscapeCardDriver::~EscapeCardDriver()
{
    if (m_comm && m_comm->isOpen()) m_comm->close();
}

QString EscapeCardDriver::JoinCardData(const QString& data1, const QString& data2)
{
    return data2.isEmpty() ? data1 : data1 + u' ' + data2;
}

void EscapeCardDriver::SplitText(QString text, bool reverse, QString& data1, QString& data2)
{
    if (reverse) std::reverse(text.begin(), text.end());
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0) {
        data1 = text;
        data2.clear();
    } else {
        data1 = text.left(blank);
        data2 = text.mid(blank + 1);
    }
}

void EscapeCardDriver::RaiseDeviceError(int code, const QString& message) const
{
    QString description = QStringLiteral("Codice: ") + QString::number(code);
    if (!message.isEmpty()) description += QStringLiteral("\r\r") + message;
    throw AppError::object(code, ModelDescription(), description);
}

void EscapeCardDriver::SetParameters(const QVariantList& params)
{
    if (params.size() < ParameterCount())
        throw AppError(AppError::kInvalidCall, ModelDescription(),
                       QStringLiteral("Parametri del dispositivo incompleti: ne servono %1").arg(ParameterCount()));
    if (m_comm->isOpen()) m_comm->close();
    m_comm->setPortNumber(params.at(0).toInt());
    m_comm->setSettings(params.at(1).toString());
    KeepExtraParameters(params);
}

void EscapeCardDriver::OpenAndReset(clsMagneticCardEvents* events)
{
    m_events = events;
    if (!m_comm->isOpen()) m_comm->open();
    ClearCommInput(*m_comm);
    SendDeviceCommand("a");
}

void EscapeCardDriver::NewSession(clsMagneticCardEvents* events) { OpenAndReset(events); }

void EscapeCardDriver::EndSession() { SendDeviceCommand("a"); }

void EscapeCardDriver::CancelSession()
{
    if (m_comm->isOpen()) SendDeviceCommand("a");
}

void EscapeCardDriver::EraseCard(bool wait)
{
    ClearCommInput(*m_comm);
    SendDeviceCommand(QByteArray("c") + '\0');
    // An erase is always waited for; only a waiting caller hears of a refusal.
    WaitDeviceReply(Erase, true);
    if (wait && !m_statusOk)
        RaiseDeviceError(1, QStringLiteral("Inizializzazione carta non riuscita, codice ") + StatusCode());
}

void EscapeCardDriver::WriteData(const QString& data1, const QString& data2, bool reverse, bool wait)
{
    QString text = JoinCardData(data1, data2);
    if (reverse) std::reverse(text.begin(), text.end());
    // The block goes with the command even for an empty text: a write command alone
    // leaves the reader waiting for data that never come.
    const QByteArray block = DataBlock(text);
    ClearCommInput(*m_comm);
    SendDeviceCommand(WriteCommand(), block);
    WaitDeviceReply(Write, wait);
    if (wait && !m_statusOk) RaiseDeviceError(2, QStringLiteral("Scrittura non riuscita, codice ") + StatusCode());
}

void EscapeCardDriver::ReadData(bool wait, bool reverse, QString& data1, QString& data2)
{
    ClearCommInput(*m_comm);
    SendDeviceCommand(ReadCommand());
    WaitDeviceReply(Read, wait, reverse);
    if (!wait) return;
    if (!m_statusOk) RaiseDeviceError(1, QStringLiteral("Lettura non riuscita, codice ") + StatusCode());
    data1 = m_data1;
    data2 = m_data2;
}

void EscapeCardDriver::SendDeviceCommand(const QByteArray& command, const QByteArray& block)
{
    m_comm->write(ESC + command + block);
    // The reader needs this pause before anything else reaches it; nothing may run meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(kCommandPauseMs));
}

void EscapeCardDriver::WaitDeviceReply(Operation operation, bool wait, bool reverse)
{
    m_pending = operation;
    m_statusOk = false;
    m_status.clear();
    m_inEvent = false;
    m_reverse = reverse;
    m_background = !wait;
    if (!wait) return;

    const QPointer<EscapeCardDriver> self(this);
    const bool answered = m_comm->waitUntil([this] { return !m_status.isEmpty(); }, kReplyTimeoutMs);
    if (!self)
        throw AppError(AppError::kInvalidCall, QStringLiteral("EscapeCardDriver"),
                       QStringLiteral("Dispositivo carte rilasciato durante l'attesa"));
    if (!answered && m_status.isEmpty())
        RaiseDeviceError(operation, QStringLiteral("Timeout, il dispositivo non ha risposto"));
}

void EscapeCardDriver::OnComm()
{
    if (m_inEvent || !m_comm->isOpen()) return;
    m_inEvent = true;
    const QPointer<EscapeCardDriver> self(this);
    try {
        QByteArray reply = m_comm->readAll();
        if (reply.isEmpty()) {
            m_inEvent = false;
            return;
        }
        if (reply.at(0) != ESC) {
            ClearCommInput(*m_comm);
            m_inEvent = false;
            return;
        }
        // The rest of the reply: until the line has been quiet for a while. A line that never
        // falls quiet gives no reply at all once the reply time-out has passed, so a waiting
        // caller times out as it does on a silent line.
        QElapsedTimer clock;
        clock.start();
        bool quiet = false;
        while (!quiet && clock.elapsed() < kReplyTimeoutMs) {
            const int left = int(kReplyTimeoutMs - clock.elapsed());
            quiet = !m_comm->waitUntil([this] { return m_comm->bytesAvailable() > 0; }, std::min(kReplyQuietMs, left));
            if (!self) return;
            if (!quiet)
                reply += m_comm->readAll();
            else if (left < kReplyQuietMs)
                quiet = false;
        }
        if (quiet) HandleReply(reply);
    } catch (const AppError&) {
        // A port lost in the middle of a reply: the operation gets no status, so a waiting
        // caller times out with the driver's own message.
    }
    if (self) m_inEvent = false;
}

void EscapeCardDriver::HandleReply(const QByteArray& reply)
{
    QByteArray dataPart;
    if (reply.size() > 2 && reply.at(1) == 's') dataPart = reply.mid(2, std::max<qsizetype>(0, reply.size() - 6));

    bool readerFailed = false;
    switch (m_pending) {
    case Read: {
        m_status = QString(QChar::fromLatin1(reply.back()));
        m_statusOk = m_status == u"0";
        readerFailed = !m_statusOk;
        SplitReadData(dataPart, m_reverse, m_data1, m_data2);
        break;
    }
    case Write:
    case Erase:
    case BitsPerCharacter:
        m_status = QString::fromLatin1(reply.mid(1, 1));
        m_statusOk = m_status == u"0";
        readerFailed = !m_statusOk;
        break;
    case AnsweredY:
        m_status = QString::fromLatin1(reply.mid(1, 1));
        m_statusOk = m_status == u"y";
        return;
    case None: return;
    }
    if (m_pending == BitsPerCharacter) return;

    // The reader stays in its error state until told otherwise.
    if (readerFailed) SendDeviceCommand(QByteArray(1, ESC) + char(0x85));
    if (m_events && m_background) {
        switch (m_pending) {
        case Read: m_events->RaiseReadComplete(m_statusOk, m_data1, m_data2, m_status); break;
        case Write: m_events->RaiseWriteComplete(m_statusOk, m_status); break;
        case Erase: m_events->RaiseEraseComplete(m_statusOk, m_status); break;
        default: break;
        }
    }
}
