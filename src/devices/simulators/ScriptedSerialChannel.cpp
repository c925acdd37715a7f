#include "ScriptedSerialChannel.h"
#include "base/AppError.h"
#include <QMetaObject>
#include <utility>

ScriptedSerialChannel::ScriptedSerialChannel(QObject* parent) : SerialChannel(parent) { }

void ScriptedSerialChannel::expect(const QByteArray& request, const QByteArray& reply)
{
    m_expected.push_back({request, reply});
}

void ScriptedSerialChannel::deliver(const QByteArray& bytes)
{
    if (bytes.isEmpty()) return;
    m_input.append(bytes);
    notifyLater();
}

void ScriptedSerialChannel::notifyLater()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_open && !m_input.isEmpty()) emit received();
        },
        Qt::QueuedConnection);
}

void ScriptedSerialChannel::clearWritten()
{
    m_written.clear();
    m_writes.clear();
}

void ScriptedSerialChannel::setOutputHeld(bool held)
{
    m_held = held;
    if (held) return;
    const QList<QByteArray> queued = std::exchange(m_heldWrites, {});
    for (const QByteArray& w : queued) take(w);
}

void ScriptedSerialChannel::failNextOpen(int32_t number, const QString& description)
{
    m_openFailure = std::make_pair(number, description);
}

void ScriptedSerialChannel::open()
{
    if (m_open) raise(kPortUnavailable, QStringLiteral("La porta %1 è già aperta").arg(portName()));
    if (m_openFailure) {
        const auto failure = *std::exchange(m_openFailure, std::nullopt);
        raise(failure.first, failure.second);
    }
    m_open = true;
    ++m_openCount;
    if (!m_input.isEmpty()) notifyLater();
}

void ScriptedSerialChannel::close()
{
    m_open = false;
    m_heldWrites.clear();
}

void ScriptedSerialChannel::write(const QByteArray& bytes)
{
    requireOpen();
    if (bytes.isEmpty()) return;
    if (m_held)
        m_heldWrites.append(bytes);
    else
        take(bytes);
}

void ScriptedSerialChannel::take(const QByteArray& bytes)
{
    m_written.append(bytes);
    m_writes.append(bytes);
    if (!m_expected.empty() && m_expected.front().request == bytes) {
        // The answer comes after the request has left, never inside write(): a driver
        // has to wait for it as it would for a real device.
        QMetaObject::invokeMethod(
            this,
            [this, reply = m_expected.front().reply] {
                if (m_open) deliver(reply);
            },
            Qt::QueuedConnection);
        m_expected.pop_front();
    }
}

qint64 ScriptedSerialChannel::bytesToWrite() const
{
    qint64 n = 0;
    for (const QByteArray& w : m_heldWrites) n += w.size();
    return n;
}

qint64 ScriptedSerialChannel::bytesAvailable()
{
    requireOpen();
    return m_input.size();
}

QByteArray ScriptedSerialChannel::readAll()
{
    requireOpen();
    return std::exchange(m_input, {});
}

void ScriptedSerialChannel::clearInput()
{
    requireOpen();
    m_input.clear();
}
