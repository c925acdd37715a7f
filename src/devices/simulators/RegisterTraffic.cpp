#include "RegisterTraffic.h"

TracingSerialChannel::TracingSerialChannel(std::unique_ptr<SerialChannel> inner, Observer observer)
    : m_inner(std::move(inner)), m_observer(std::move(observer))
{
    connect(m_inner.get(), &SerialChannel::received, this, &SerialChannel::received);
}

void TracingSerialChannel::open()
{
    m_inner->setDevicePath(devicePath());
    m_inner->setSettings(settings());
    m_inner->setFlowControl(flowControl());
    m_inner->setDtrEnable(dtrEnable());
    m_inner->setRtsEnable(rtsEnable());
    m_inner->open();
}

void TracingSerialChannel::close() { m_inner->close(); }
bool TracingSerialChannel::isOpen() const { return m_inner->isOpen(); }

void TracingSerialChannel::write(const QByteArray& bytes)
{
    m_inner->write(bytes);
    if (!bytes.isEmpty()) m_observer(TrafficDirection::Sent, bytes);
}

qint64 TracingSerialChannel::bytesToWrite() const { return m_inner->bytesToWrite(); }
qint64 TracingSerialChannel::bytesAvailable() { return m_inner->bytesAvailable(); }

QByteArray TracingSerialChannel::readAll()
{
    const QByteArray bytes = m_inner->readAll();
    if (!bytes.isEmpty()) m_observer(TrafficDirection::Received, bytes);
    return bytes;
}

void TracingSerialChannel::clearInput()
{
    const QByteArray dropped = m_inner->isOpen() ? m_inner->readAll() : QByteArray();
    m_inner->clearInput();
    if (!dropped.isEmpty()) m_observer(TrafficDirection::Discarded, dropped);
}

void TracingSerialChannel::applyLineSettings()
{
    m_inner->setSettings(settings());
    m_inner->setFlowControl(flowControl());
}

QString ReadableBytes(const QByteArray& bytes)
{
    static const char* const names[32]
        = {"NUL", "SOH", "STX", "ETX",  "EOT", "ENQ", "ACK", "BEL", "BS",  "HT", "LF",  "VT",  "FF", "CR", "SO", "SI",
           "DLE", "XON", "DC2", "XOFF", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US"};
    QString text;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32)
            text += u'<' + QString::fromLatin1(names[u]) + u'>';
        else if (u == 127)
            text += QStringLiteral("<DEL>");
        else
            text += QChar::fromLatin1(c);
    }
    return text;
}

QString FormatTraffic(TrafficDirection direction, const QByteArray& bytes)
{
    const QString arrow = direction == TrafficDirection::Sent ? QStringLiteral("->")
        : direction == TrafficDirection::Received             ? QStringLiteral("<-")
                                                              : QStringLiteral("<- (discarded)");
    return arrow + u' ' + QString::fromLatin1(bytes.toHex(' ').toUpper()) + QStringLiteral("   ")
        + ReadableBytes(bytes);
}
