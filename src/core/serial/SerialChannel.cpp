#include "SerialChannel.h"
#include "base/AppError.h"
#include "base/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

#include <poll.h>
#include <sys/ioctl.h>
#include <chrono>
#include <thread>

// ---------------------------------------------------------------------------------------
// Settings text

namespace {
[[noreturn]] void badSettings(const QString& text)
{
    throw AppError(SerialChannel::kInvalidSettings, SerialChannel::kErrorSource,
                   QStringLiteral("Parametri della porta seriale non validi: \"%1\" "
                                  "(velocità,parità,bit di dati,bit di stop, ad es. 9600,n,8,1)")
                       .arg(text));
}
}

SerialLineSettings SerialLineSettings::parse(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) badSettings(text);
    SerialLineSettings s;

    bool ok = false;
    const QString speed = parts[0].trimmed();
    s.baudRate = speed.toInt(&ok);
    if (!ok || s.baudRate <= 0 || speed.startsWith(u'+')) badSettings(text);

    const QString parity = parts[1].trimmed().toLower();
    if (parity == u"n")
        s.parity = SerialParity::None;
    else if (parity == u"e")
        s.parity = SerialParity::Even;
    else if (parity == u"o")
        s.parity = SerialParity::Odd;
    else if (parity == u"m")
        s.parity = SerialParity::Mark;
    else if (parity == u"s")
        s.parity = SerialParity::Space;
    else
        badSettings(text);

    const QString data = parts[2].trimmed();
    s.dataBits = data.toInt(&ok);
    if (!ok || data.size() != 1 || s.dataBits < 5 || s.dataBits > 8) badSettings(text);

    const QString stop = parts[3].trimmed();
    if (stop == u"1")
        s.stopBits = SerialStopBits::One;
    else if (stop == u"1.5")
        s.stopBits = SerialStopBits::OneAndHalf;
    else if (stop == u"2")
        s.stopBits = SerialStopBits::Two;
    else
        badSettings(text);
    return s;
}

QString SerialLineSettings::text() const
{
    static const char parityLetters[] = {'n', 'e', 'o', 'm', 's'};
    const QString stop = stopBits == SerialStopBits::One ? QStringLiteral("1")
        : stopBits == SerialStopBits::Two                ? QStringLiteral("2")
                                                         : QStringLiteral("1.5");
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(QChar::fromLatin1(parityLetters[static_cast<int>(parity)]))
        .arg(dataBits)
        .arg(stop);
}

// ---------------------------------------------------------------------------------------
// The channel's common part

SerialChannel::SerialChannel(QObject* parent) : QObject(parent) { }
SerialChannel::~SerialChannel() = default;

void SerialChannel::raise(int32_t number, const QString& what) const { throw AppError(number, kErrorSource, what); }

void SerialChannel::requireOpen() const
{
    if (!isOpen()) raise(kPortClosed, QStringLiteral("La porta %1 non è aperta").arg(portName()));
}

void SerialChannel::setPortNumber(int number)
{
    if (isOpen()) raise(kPortUnavailable, QStringLiteral("La porta %1 è già aperta").arg(portName()));
    if (number < 1) raise(kPortNotFound, QStringLiteral("Numero di porta seriale non valido: %1").arg(number));
    m_portNumber = number;
    m_path.clear();
}

void SerialChannel::setDevicePath(const QString& path)
{
    if (isOpen()) raise(kPortUnavailable, QStringLiteral("La porta %1 è già aperta").arg(portName()));
    m_path = path;
    m_portNumber = 0;
}

QString SerialChannel::devicePath() const { return m_portNumber >= 1 ? serialDevicePath(m_portNumber) : m_path; }

QString SerialChannel::portName() const
{
    return m_portNumber >= 1 ? QStringLiteral("COM%1").arg(m_portNumber) : m_path;
}

void SerialChannel::setSettings(const QString& text)
{
    const SerialLineSettings parsed = SerialLineSettings::parse(text);
    const SerialLineSettings oldLine = m_line;
    const QString oldText = m_settingsText;
    m_line = parsed;
    m_settingsText = text;
    if (!isOpen()) return;
    try {
        applyLineSettings();
    } catch (...) {
        // The port keeps the settings it had, and so do we.
        m_line = oldLine;
        m_settingsText = oldText;
        applyLineSettings();
        throw;
    }
}

void SerialChannel::setFlowControl(SerialFlowControl flow)
{
    const SerialFlowControl old = m_flow;
    m_flow = flow;
    if (!isOpen()) return;
    try {
        applyLineSettings();
    } catch (...) {
        m_flow = old;
        applyLineSettings();
        throw;
    }
}

bool SerialChannel::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    if (!QCoreApplication::instance()) {
        // No event loop to run (a command-line use without an application object).
        while (!done()) {
            if (elapsed.elapsed() >= timeoutMs) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    // A short tick re-checks conditions that no signal announces (bytes taken by the
    // device, a flag set by some other handler); received() wakes the loop at once.
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SerialChannel::received, &loop, &QEventLoop::quit);
    tick.start();
    const QPointer<SerialChannel> self(this);
    while (!done()) {
        if (elapsed.elapsed() >= timeoutMs) return false;
        loop.exec();
        if (!self)   // a handler run meanwhile destroyed the channel
            return false;
    }
    return true;
}

bool SerialChannel::waitForBytes(qint64 count, int timeoutMs)
{
    return waitUntil([&] { return bytesAvailable() >= count; }, timeoutMs);
}

bool SerialChannel::waitForWritten(int timeoutMs)
{
    return waitUntil([&] { return !isOpen() || bytesToWrite() == 0; }, timeoutMs) && isOpen();
}

QString serialDevicePath(int number)
{
    return settingsStore().get(QStringLiteral("Devices"), QStringLiteral("COM%1").arg(number),
                               QStringLiteral("/dev/ttyS%1").arg(number - 1));
}

// ---------------------------------------------------------------------------------------
// The system's serial port

namespace {

class SystemSerialChannel final : public SerialChannel {
public:
    SystemSerialChannel()
    {
        connect(&m_port, &QSerialPort::readyRead, this, [this] {
            if (m_pulling)
                m_notifyAfterPull = true;
            else
                emit received();
        });
        connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::NoError || !m_port.isOpen()) return;
            // A device that only said "not now" (its output held by XOFF) stays. A vanished
            // one (unplugged adapter, the other end of a pseudo-terminal gone) leaves nothing
            // to talk to: a hung-up line reads as an end of file that is ready again at once,
            // so a port left open would be woken for it without end. Close, say why at the
            // next use, and tell whoever holds the line.
            if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError) return;
            if (!deviceGone()) {
                if (e == QSerialPort::ResourceError) m_port.clearError();
                return;
            }
            m_lostReason = QStringLiteral("linea interrotta");
            m_port.close();
            const QString told = QStringLiteral("La porta %1 non è più disponibile (%2): è stata chiusa")
                                     .arg(portName(), m_lostReason);
            QMetaObject::invokeMethod(
                this, [this, told] { emit lost(told); }, Qt::QueuedConnection);
        });
    }
    ~SystemSerialChannel() override { m_port.close(); }

    void open() override
    {
        if (m_port.isOpen()) raise(kPortUnavailable, QStringLiteral("La porta %1 è già aperta").arg(portName()));
        const QString path = devicePath();
        if (path.isEmpty()) raise(kPortNotFound, QStringLiteral("Nessuna porta seriale impostata"));
        m_lostReason.clear();
        m_port.setPortName(path);
        configure();
        if (!m_port.open(QIODevice::ReadWrite)) {
            const auto e = m_port.error();
            const QString why = m_port.errorString();
            const int32_t number = e == QSerialPort::DeviceNotFoundError ? kPortNotFound
                : e == QSerialPort::PermissionError                      ? kPortUnavailable
                : e == QSerialPort::OpenError                            ? kPortUnavailable
                                                                         : kLineSetupFailed;
            m_port.clearError();
            const QString where = portNumber() >= 1 ? QStringLiteral("%1 (%2)").arg(portName(), path) : path;
            raise(number, QStringLiteral("Impossibile aprire la porta %1: %2").arg(where, why));
        }
        // Pseudo-terminals and some adapters have no modem lines; the port works without.
        // With hardware flow control the port drives RTS itself.
        if (!m_port.setDataTerminalReady(dtrEnable())) m_port.clearError();
        if (flowControl() != SerialFlowControl::Hardware && !m_port.setRequestToSend(rtsEnable())) m_port.clearError();
    }

    void close() override
    {
        m_port.close();
        m_lostReason.clear();
    }

    bool isOpen() const override { return m_port.isOpen(); }

    void write(const QByteArray& bytes) override
    {
        requireOpenHere();
        if (bytes.isEmpty()) return;
        if (m_port.write(bytes) != bytes.size()) {
            const QString why = m_port.errorString();
            m_port.clearError();
            raise(kIoFailed, QStringLiteral("Errore di scrittura sulla porta %1: %2").arg(portName(), why));
        }
        // Hand the bytes to the device now, as far as it takes them, so that a caller that
        // does not wait afterwards still sends them. A device holding its output (XOFF)
        // takes nothing; the rest leaves from the event loop when it resumes.
        if (deviceHasRoom()) m_port.flush();
        requireOpenHere();   // the flush may have found the device gone
    }

    qint64 bytesToWrite() const override { return m_port.isOpen() ? m_port.bytesToWrite() : 0; }

    qint64 bytesAvailable() override
    {
        requireOpenHere();
        pull();
        return m_port.bytesAvailable();
    }

    QByteArray readAll() override
    {
        requireOpenHere();
        pull();
        return m_port.readAll();
    }

    void clearInput() override
    {
        requireOpenHere();
        m_port.readAll();
        m_port.clear(QSerialPort::Input);
    }

protected:
    void applyLineSettings() override
    {
        if (!configure()) {
            const QString why = m_port.errorString();
            m_port.clearError();
            raise(kLineSetupFailed,
                  QStringLiteral("La porta %1 non accetta i parametri %2: %3").arg(portName(), settings(), why));
        }
    }

private:
    void requireOpenHere() const
    {
        if (!m_lostReason.isEmpty() && !m_port.isOpen())
            raise(kPortClosed, QStringLiteral("La porta %1 non è più disponibile: %2").arg(portName(), m_lostReason));
        requireOpen();
    }

    bool configure()
    {
        const SerialLineSettings s = lineSettings();
        bool ok = m_port.setBaudRate(s.baudRate);
        ok = m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) && ok;
        static const QSerialPort::Parity parities[]
            = {QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity, QSerialPort::MarkParity,
               QSerialPort::SpaceParity};
        ok = m_port.setParity(parities[static_cast<int>(s.parity)]) && ok;
        const QSerialPort::StopBits stop = s.stopBits == SerialStopBits::One ? QSerialPort::OneStop
            : s.stopBits == SerialStopBits::Two                              ? QSerialPort::TwoStop
                                                                             : QSerialPort::OneAndHalfStop;
        ok = m_port.setStopBits(stop) && ok;
        const QSerialPort::FlowControl flow = flowControl() == SerialFlowControl::XonXoff ? QSerialPort::SoftwareControl
            : flowControl() == SerialFlowControl::Hardware                                ? QSerialPort::HardwareControl
                                                                                          : QSerialPort::NoFlowControl;
        ok = m_port.setFlowControl(flow) && ok;
        return ok;
    }

    bool deviceHasRoom() const
    {
        pollfd p {m_port.handle(), POLLOUT, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT);
    }

    bool deviceGone() const
    {
        pollfd p {m_port.handle(), POLLIN | POLLOUT, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    // Bytes the system holds but the port object has not fetched yet (no event loop ran
    // since they came) count as received: callers that poll without waiting see them.
    // The notification for them is posted, never emitted from inside this call.
    void pull()
    {
        int pending = 0;
        if (m_port.handle() < 0 || ::ioctl(m_port.handle(), FIONREAD, &pending) != 0 || pending <= 0) return;
        m_pulling = true;
        m_port.waitForReadyRead(0);
        m_pulling = false;
        if (m_port.error() == QSerialPort::TimeoutError) m_port.clearError();
        if (m_notifyAfterPull) {
            m_notifyAfterPull = false;
            QMetaObject::invokeMethod(
                this, [this] { emit received(); }, Qt::QueuedConnection);
        }
    }

    QSerialPort m_port;
    QString m_lostReason;
    bool m_pulling = false;
    bool m_notifyAfterPull = false;
};

std::function<std::unique_ptr<SerialChannel>()>& factorySlot()
{
    static std::function<std::unique_ptr<SerialChannel>()> factory;
    return factory;
}

}   // namespace

std::unique_ptr<SerialChannel> createSystemSerialChannel() { return std::make_unique<SystemSerialChannel>(); }

std::unique_ptr<SerialChannel> createSerialChannel()
{
    if (const auto& f = factorySlot()) return f();
    return createSystemSerialChannel();
}

void setSerialChannelFactory(std::function<std::unique_ptr<SerialChannel>()> factory)
{
    factorySlot() = std::move(factory);
}
