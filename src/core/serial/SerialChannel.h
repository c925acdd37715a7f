#pragma once
// One serial line to a counter device (register, card reader, barcode reader, scale).
// The channel moves bytes and nothing else: framing, replies and retries belong to the
// drivers. Drivers hold the abstract `SerialChannel` and get it from createSerialChannel(),
// so a test can hand them a scripted fake (ScriptedSerialChannel) or open a real channel on
// a pseudo-terminal.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

enum class SerialParity { None, Even, Odd, Mark, Space };
enum class SerialStopBits { One, OneAndHalf, Two };

// The line's handshake, numbered as the stored "Handshaking" values are.
enum class SerialFlowControl { None = 0, XonXoff = 1, Hardware = 2 };

// Speed, parity, data bits and stop bits, written as the classic settings text
// "speed,parity,data,stop" ("9600,n,8,1", "9600,e,7,2"; parity n, e, o, m or s).
struct SerialLineSettings {
    int baudRate = 9600;
    SerialParity parity = SerialParity::None;
    int dataBits = 8;
    SerialStopBits stopBits = SerialStopBits::One;

    // Blanks around the parts and the case of the parity letter do not matter. Anything
    // else malformed raises AppError SerialChannel::kInvalidSettings naming the text.
    static SerialLineSettings parse(const QString& text);
    QString text() const;   // the canonical text, e.g. "9600,n,8,1"
    bool operator==(const SerialLineSettings&) const = default;
};

class SerialChannel : public QObject {
    Q_OBJECT
public:
    // Error numbers: the classic numbers of a serial-port control.
    static constexpr int32_t kInvalidSettings = 380;   // settings text not understood
    static constexpr int32_t kPortNotFound = 8002;   // no such port or device
    static constexpr int32_t kPortUnavailable = 8005;   // already open, busy or not permitted
    static constexpr int32_t kLineSetupFailed = 8015;   // the device refused the line settings
    static constexpr int32_t kPortClosed = 8018;   // operation on a closed port
    static constexpr int32_t kIoFailed = 8020;   // a read or write failed
    static inline const QString kErrorSource = QStringLiteral("SerialChannel");

    ~SerialChannel() override;

    // --- Where: a port number or an explicit device path (the last one set wins).
    // Port N is the device of the setting [Devices] COM<N>, by default /dev/ttyS<N-1>.
    // Changing either while the port is open raises kPortUnavailable.
    void setPortNumber(int number);
    int portNumber() const { return m_portNumber; }   // 0 when a path was given
    void setDevicePath(const QString& path);
    QString devicePath() const;   // the device the port opens
    QString portName() const;   // "COM1", or the path

    // --- How: applied at the next open; settings and flow control also at once when open.
    void setSettings(const QString& text);   // AppError kInvalidSettings when malformed
    QString settings() const { return m_settingsText; }   // as given
    SerialLineSettings lineSettings() const { return m_line; }
    void setFlowControl(SerialFlowControl flow);
    SerialFlowControl flowControl() const { return m_flow; }
    // Modem lines set at open (by default DTR on, RTS off). Devices without them
    // (pseudo-terminals) refuse the request; that is not an error. With hardware flow
    // control the port drives RTS itself.
    void setDtrEnable(bool on) { m_dtr = on; }
    void setRtsEnable(bool on) { m_rts = on; }
    bool dtrEnable() const { return m_dtr; }
    bool rtsEnable() const { return m_rts; }

    // --- The line. Every operation on a closed port raises kPortClosed.
    virtual void open() = 0;   // AppError when the device cannot be opened
    virtual void close() = 0;   // closing a closed port does nothing
    virtual bool isOpen() const = 0;
    virtual void write(const QByteArray& bytes) = 0;   // queued; see waitForWritten()
    virtual qint64 bytesToWrite() const = 0;   // queued, not yet taken by the device
    virtual qint64 bytesAvailable() = 0;   // received and not yet read
    virtual QByteArray readAll() = 0;   // everything received, once
    virtual void clearInput() = 0;   // drops everything received

    // Waits keep the event loop running, so windows repaint, timers fire and received()
    // is delivered meanwhile. They return whether the condition held before `timeoutMs`.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    bool waitForBytes(qint64 count, int timeoutMs);
    bool waitForWritten(int timeoutMs);

    // Text received but not yet handed out as a line (see SerialLines.h). Each channel
    // keeps its own, so two readers never mix their partial lines.
    QString& pendingText() { return m_pendingText; }

signals:
    // Bytes arrived (at least one). Emitted from the event loop, never from inside a call.
    void received();
    // The device went away while the port was open (an adapter pulled, the line hung up):
    // the port is closed already, and `why` says so in the operator's words. Emitted from the
    // event loop, once per loss; the next open() may find the device back.
    void lost(const QString& why);

protected:
    explicit SerialChannel(QObject* parent = nullptr);
    // Called when settings or flow control change while the port is open.
    virtual void applyLineSettings() = 0;
    [[noreturn]] void raise(int32_t number, const QString& what) const;
    void requireOpen() const;

private:
    int m_portNumber = 0;
    QString m_path;
    QString m_settingsText = QStringLiteral("9600,n,8,1");
    SerialLineSettings m_line;
    SerialFlowControl m_flow = SerialFlowControl::None;
    bool m_dtr = true;
    bool m_rts = false;
    QString m_pendingText;
};

// The device path of port number `number` (>= 1): [Devices] COM<number>, else /dev/ttyS<number-1>.
QString serialDevicePath(int number);

// A new, closed channel: the system's serial port unless a test installed a factory.
std::unique_ptr<SerialChannel> createSerialChannel();
// The system's serial port (QSerialPort), whatever factory is installed.
std::unique_ptr<SerialChannel> createSystemSerialChannel();
// An empty factory restores the system's.
void setSerialChannelFactory(std::function<std::unique_ptr<SerialChannel>()> factory);
