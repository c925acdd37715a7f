#pragma once
// A pseudo-terminal pair standing in for a serial device in device tests. The code under
// test opens devicePath() like any serial port (SerialChannel::setDevicePath, or a
// [Devices] COM<n> setting pointing at it); the test plays the device on the other side,
// byte for byte.
//
// The line is raw (no echo, no CR/LF translation). The helper keeps the device side open
// itself, so bytes sent before the code under test opens the port wait for it, and the
// code under test may close and reopen the port freely.
//
// On the thread of the application object, waits below keep the Qt event loop running,
// so a serial port under test keeps sending and receiving meanwhile.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class PtyPair {
public:
    PtyPair();    // throws std::runtime_error when no pseudo-terminal can be made
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // A link to the pseudo-terminal under this test run's private folder. Serial ports
    // take a system-wide lock named after the path they open; pseudo-terminal numbers are
    // reused at once by parallel test processes, so opening /dev/pts/N itself could meet
    // another process's lock on the same number.
    QString devicePath() const { return m_linkPath; }
    QString terminalPath() const { return m_devicePath; }   // the /dev/pts/N behind it
    int controllerFd() const { return m_master; }

    // The device sends bytes; false when they could not all be sent within the time.
    bool send(const QByteArray& bytes, int timeoutMs = 1000);
    // Waits, without running the event loop, until at least `count` bytes the device sent
    // wait in the line for the port to fetch them; false when the time ran out.
    bool waitUnfetched(qsizetype count, int timeoutMs);
    // Waits until the line holds output back (an XOFF the device sent has been taken by a
    // port with software flow control); false when the time ran out. Call it before the
    // code under test writes: it probes the line with bytes of its own and takes them back.
    bool waitOutputHeld(int timeoutMs);

    // What the code under test sent:
    QByteArray receive(qsizetype count, int timeoutMs);       // up to `count` bytes, stops early on time-out
    QByteArray receiveUntil(char last, int timeoutMs);        // through the first `last`, or what came by the time-out
    QByteArray receiveFor(int timeoutMs);                     // everything within the time
    QByteArray receiveUntilQuiet(int quietMs, int timeoutMs); // until nothing came for `quietMs`

    // Plays the device in a background thread until stopServing() or destruction: each time
    // bytes arrive, `answer` sees every byte received and not yet consumed, removes what it
    // handled and returns the bytes to send back (may be empty). Do not call the receive
    // functions while serving.
    using Answer = std::function<QByteArray(QByteArray& pending)>;
    void serve(Answer answer);
    void stopServing();
    QByteArray servedBytes() const;   // everything received while serving

private:
    // Reads what is there within `waitMs`; false when the time passed with nothing.
    bool readSome(QByteArray& into, int waitMs, bool pumpEvents);
    template <typename Done>
    QByteArray receiveWhile(Done done, int timeoutMs);

    int m_master = -1;
    int m_device = -1;   // our own hold on the device side
    QString m_devicePath;
    QString m_linkPath;

    std::thread m_server;
    std::atomic<bool> m_serving{false};
    mutable std::mutex m_servedMutex;
    QByteArray m_served;
};
