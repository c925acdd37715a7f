#pragma once
// A pseudo-terminal standing in for a serial device. The program (or the code under test)
// opens devicePath() like any serial port (SerialChannel::setDevicePath, or a [Devices]
// COM<n> setting pointing at it); whoever holds this object plays the device on the other
// side, byte for byte.
//
// The line is raw (no echo, no CR/LF translation). The device side is held open here, so
// bytes sent before the port is opened wait for it, and the port may be closed and reopened
// freely.
//
// On the thread of the application object, the waits below keep the Qt event loop running,
// so a serial port on that thread keeps sending and receiving meanwhile.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class PseudoTerminal {
public:
    // The link to the terminal is made in `linkFolder`, or in a private folder of its own
    // when none is given. Throws std::runtime_error when no pseudo-terminal can be made.
    explicit PseudoTerminal(const QString& linkFolder = QString());
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // A link to the terminal, unique to this object. Serial ports take a system-wide lock
    // named after the path they open, and pseudo-terminal numbers are reused at once by
    // other processes, so opening /dev/pts/N itself could meet another process's lock.
    QString devicePath() const { return m_linkPath; }
    QString terminalPath() const { return m_terminalPath; }   // the /dev/pts/N behind it
    int controllerFd() const { return m_master; }

    // The device sends bytes; false when they could not all be sent within the time. Any
    // thread.
    bool send(const QByteArray& bytes, int timeoutMs = 1000);
    // Waits, without running the event loop, until at least `count` bytes the device sent
    // wait in the line for the port to fetch them; false when the time ran out.
    bool waitUnfetched(qsizetype count, int timeoutMs);
    // Waits until the line holds output back (an XOFF the device sent has been taken by a
    // port with software flow control); false when the time ran out. Call it before the
    // port writes: it probes the line with bytes of its own and takes them back.
    bool waitOutputHeld(int timeoutMs);

    // What the port sent:
    QByteArray receive(qsizetype count, int timeoutMs);   // up to `count` bytes, stops early on time-out
    QByteArray receiveUntil(char last, int timeoutMs);   // through the first `last`, or what came by the time-out
    QByteArray receiveFor(int timeoutMs);   // everything within the time
    QByteArray receiveUntilQuiet(int quietMs, int timeoutMs);   // until nothing came for `quietMs`

    // The line hangs up, as when the adapter of a serial device is pulled: this side closes,
    // and the port reads an end of file from then on. Serving stops; nothing more is sent or
    // received here.
    void hangUp();

    // Plays the device on a thread of its own until stopServing() or destruction: `heard`
    // gets each piece the port sent, as it arrives, and may send() in answer. Do not call
    // the receive functions while serving.
    using Listener = std::function<void(const QByteArray& chunk)>;
    void listen(Listener heard);
    // The same for a device that answers what it received: `answer` sees every byte received
    // and not yet consumed, removes what it handled and returns the bytes to send back (may
    // be empty).
    using Answer = std::function<QByteArray(QByteArray& pending)>;
    void serve(Answer answer);
    void stopServing();
    // False once serving is being stopped: a listener that waits checks it to give up early.
    bool serving() const { return m_serving; }
    QByteArray servedBytes() const;   // everything received while serving

private:
    // Reads what is there within `waitMs`; false when the time passed with nothing.
    bool readSome(QByteArray& into, int waitMs, bool pumpEvents);
    template <typename Done> QByteArray receiveWhile(Done done, int timeoutMs);

    std::unique_ptr<QTemporaryDir> m_ownFolder;
    int m_master = -1;
    int m_device = -1;   // our own hold on the device side
    QString m_terminalPath;
    QString m_linkPath;

    std::mutex m_sendMutex;
    std::thread m_server;
    std::atomic<bool> m_serving {false};
    mutable std::mutex m_servedMutex;
    QByteArray m_served;
};
