#include "SerialRegisterDriver.h"
#include "core/configuration/DeviceSettings.h"
#include "core/serial/SerialLines.h"
#include "core/helpers/SystemHelpers.h"

#include <QElapsedTimer>

#include <algorithm>

qint64 AmountInMinorUnits(Currency value, int decimals)
{
    decimals = std::max(0, decimals);
    // The currency holds four decimals; places beyond them are zeros.
    const int kept = std::min(decimals, 4);
    qint64 minor = RoundCurrency(value, kept).units();
    for (int i = kept; i < 4; ++i) minor /= 10;
    for (int i = kept; i < decimals; ++i) minor *= 10;
    return minor;
}

QString FormatAmount(Currency value, int decimals, int width)
{
    const qint64 minor = AmountInMinorUnits(value, decimals);
    QString digits = QString::number(minor < 0 ? -minor : minor).rightJustified(width, u'0');
    return minor < 0 ? u'-' + digits : digits;
}

std::optional<QByteArray> ReadRegisterAnswer(SerialChannel& comm, int timeoutMs, int gapMs,
                                             const std::function<qsizetype(const QByteArray&)>& replyLength)
{
    QElapsedTimer clock;
    clock.start();
    // Bytes that came after the previous answer wait in the channel's pending text.
    QByteArray buffer = comm.pendingText().toLatin1();
    comm.pendingText().clear();
    // Waits up to `waitMs`, but never past the time-out: a line that never falls silent
    // must not hold the caller beyond it.
    enum class Wait { Byte, Silence, TimedOut };
    auto more = [&](int waitMs) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) return Wait::TimedOut;
        const bool cut = left < waitMs;
        if (!comm.waitForBytes(1, int(cut ? left : std::max(0, waitMs)))) return cut ? Wait::TimedOut : Wait::Silence;
        buffer += comm.readAll();
        return Wait::Byte;
    };
    if (buffer.isEmpty() && more(timeoutMs) != Wait::Byte) return std::nullopt;
    for (;;) {
        const qsizetype length = replyLength(buffer);
        if (length > 0) {
            comm.pendingText() = QString::fromLatin1(buffer.mid(length));
            buffer.truncate(length);
            return buffer;
        }
        switch (more(gapMs)) {
        case Wait::Byte: break;
        case Wait::Silence: return buffer;
        case Wait::TimedOut: return std::nullopt;
        }
    }
}

std::optional<QByteArray> ReadRegisterReply(SerialChannel& comm, int timeoutMs, int gapMs,
                                            const std::function<bool(const QByteArray&)>& complete)
{
    return ReadRegisterAnswer(comm, timeoutMs, gapMs,
                              [&](const QByteArray& b) { return complete(b) ? b.size() : qsizetype(0); });
}

SerialRegisterDriver::SerialRegisterDriver(const QString& controlName, const QString& description,
                                           SerialFlowControl flow)
    : m_comm(createSerialChannel()), m_description(description)
{
    m_comm->setObjectName(controlName);
    if (m_comm->isOpen()) m_comm->close();
    m_comm->setDtrEnable(true);
    m_comm->setRtsEnable(false);
    m_comm->setFlowControl(flow);
}

SerialRegisterDriver::~SerialRegisterDriver()
{
    try {
        m_comm->close();
    } catch (...) {
        // Releasing a driver never fails: the line goes with it.
    }
}

void SerialRegisterDriver::SetParameters(const QVariantList& params)
{
    if (params.size() < 2) throw AppError(9, m_description, QStringLiteral("Subscript out of range"));
    if (m_comm->isOpen()) m_comm->close();
    m_comm->setPortNumber(params.at(0).toInt());
    m_comm->setSettings(params.at(1).toString());
    if (!m_comm->isOpen()) m_comm->open();
}

void SerialRegisterDriver::beginSession(int16_t decimals)
{
    m_decimals = decimals;
    if (!m_comm->isOpen()) m_comm->open();
    ClearCommInput(*m_comm);
}

void SerialRegisterDriver::RaiseDriverError(int32_t code, const QString& message) const
{
    throw AppError::object(code, m_description, DriverErrorText(code, message));
}

QString SerialRegisterDriver::ConnectionErrorText(const QString& closing) const
{
    return QStringLiteral("Errore di comunicazione con il registratore di cassa (COM%1-%2")
               .arg(m_comm->portNumber())
               .arg(m_comm->settings())
        + closing;
}

void SerialRegisterDriver::writeBytes(const QByteArray& bytes) { m_comm->write(bytes); }
