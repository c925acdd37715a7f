#pragma once
// A serial device played from a script, for tests of drivers and readers that need no
// pseudo-terminal: it records what the program writes and answers from a list of
// expected requests. Replies and delivered bytes arrive through the event loop, as a real
// device's would, so a driver's wait sees them and received() is emitted.
#include "core/serial/SerialChannel.h"
#include <QList>
#include <deque>
#include <optional>

class ScriptedSerialChannel final : public SerialChannel {
    Q_OBJECT
public:
    explicit ScriptedSerialChannel(QObject* parent = nullptr);

    // When the program writes exactly `request` in one write, the device answers `reply`
    // on the next turn of the event loop (so the program must wait for it, as for a real
    // device). Expectations are met in order, each once; other writes are only recorded.
    void expect(const QByteArray& request, const QByteArray& reply);
    int unmetExpectations() const { return static_cast<int>(m_expected.size()); }

    // Bytes arrive from the device now; received() follows on the next turn of the event loop.
    void deliver(const QByteArray& bytes);

    // What the device has taken: all bytes, and write by write. Kept across close/open.
    QByteArray written() const { return m_written; }
    QList<QByteArray> writes() const { return m_writes; }
    void clearWritten();

    // The device holds its output as after XOFF: writes stay queued until released.
    void setOutputHeld(bool held);
    // The next open() fails with this error (a missing or busy device).
    void failNextOpen(int32_t number, const QString& description);
    int openCount() const { return m_openCount; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    qint64 bytesToWrite() const override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    void clearInput() override;

protected:
    void applyLineSettings() override { }

private:
    void take(const QByteArray& bytes);
    void notifyLater();

    struct Exchange {
        QByteArray request;
        QByteArray reply;
    };
    bool m_open = false;
    int m_openCount = 0;
    bool m_held = false;
    QList<QByteArray> m_heldWrites;
    std::optional<std::pair<int32_t, QString>> m_openFailure;
    std::deque<Exchange> m_expected;
    QByteArray m_input;
    QByteArray m_written;
    QList<QByteArray> m_writes;
};
