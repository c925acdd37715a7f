#pragma once
// The scale's test console without its window: a port opened with the technician's own
// settings, framed messages sent to the scale, and every message that comes back
// unwrapped, answered and logged. A message counts as complete after a second of silence.
#include "core/serial/ConsolePort.h"
#include <QObject>
#include <QString>
#include <memory>

class SerialChannel;

class BalanceConsole : public QObject {
    Q_OBJECT
public:
    using PortSettings = ConsolePortSettings;   // params: "19200,n,8,1"
    // The one-character answer to a message: acknowledged when its frame checked.
    static constexpr char kValidAnswer = 6;   // ACK
    static constexpr char kInvalidAnswer = 21;   // NAK
    static constexpr int kQuietMs = 1000;

    BalanceConsole();
    ~BalanceConsole() override;

    // Opens the port with `settings` (closing it first), or closes it, then empties its
    // input. Raises the port's AppError; the console then counts as not listening.
    void SetBalance(bool open, const PortSettings& settings);
    // Whether the console opened the port and takes what arrives.
    bool Listening() const { return m_listening; }
    // Sends the text framed, after emptying the input. Raises AppError (port closed, a
    // character or a length the frame cannot hold).
    void Send(const QString& text);

    SerialChannel& Channel() { return *m_comm; }

    // The error message of a failed SetBalance, as the console shows it.
    static QString PortErrorMessage(const PortSettings& settings, const QString& error);

signals:
    // One line of the log: the message's data and " Ok", or " err" for a message that did
    // not check; CR LF at the end.
    void Logged(const QString& line);

private:
    void OnComm();

    std::unique_ptr<SerialChannel> m_comm;
    bool m_listening = false;
    bool m_running = false;
};
