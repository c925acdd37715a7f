#pragma once
// What a driver says to its register and hears back, for a developer to read: a serial
// channel that passes everything to a real one and reports each piece, and the way the
// pieces are printed.
#include "core/serial/SerialChannel.h"
#include <functional>
#include <memory>

enum class TrafficDirection {
    Sent,   // written by the program
    Received,   // read by the program
    Discarded,   // received, then thrown away unread (the input emptied before a command)
};

class TracingSerialChannel final : public SerialChannel {
public:
    using Observer = std::function<void(TrafficDirection, const QByteArray&)>;
    TracingSerialChannel(std::unique_ptr<SerialChannel> inner, Observer observer);

    void open() override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray& bytes) override;
    qint64 bytesToWrite() const override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    void clearInput() override;

protected:
    void applyLineSettings() override;

private:
    std::unique_ptr<SerialChannel> m_inner;
    Observer m_observer;
};

// "-> 02 30 36 34 04 41 30 03   <STX>064<EOT>A0<ETX>": the direction, the bytes in
// hexadecimal, and the same bytes as text with control characters by name.
QString FormatTraffic(TrafficDirection direction, const QByteArray& bytes);
// The bytes as text, control characters by name ("<STX>064<EOT>A0<ETX>").
QString ReadableBytes(const QByteArray& bytes);
