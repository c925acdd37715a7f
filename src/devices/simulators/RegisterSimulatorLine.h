#pragma once
// A simulated register on a pseudo-terminal: the program opens devicePath() as its serial
// port and talks to the simulator, which runs on a thread of its own. The line is raw and
// the device side stays held, so the program may close and reopen its port at will.
#include "RegisterSimulator.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class RegisterSimulatorLine {
public:
    enum class Direction { FromProgram, ToProgram, LostWhileOff };
    struct Event {
        qint64 ms;   // since the line started
        Direction direction;
        QByteArray bytes;
    };

    // Throws std::runtime_error when no pseudo-terminal can be made.
    explicit RegisterSimulatorLine(std::shared_ptr<RegisterSimulator> simulator);
    ~RegisterSimulatorLine();
    RegisterSimulatorLine(const RegisterSimulatorLine&) = delete;
    RegisterSimulatorLine& operator=(const RegisterSimulatorLine&) = delete;

    // A link to the pseudo-terminal in a private folder: serial ports lock the path they
    // open, and pseudo-terminal numbers are reused at once by other processes.
    QString devicePath() const;
    RegisterSimulator& simulator() { return *m_simulator; }

    // A register switched off reads nothing and answers nothing: what the program sends
    // meanwhile is lost. Switched on again it answers the next command.
    void setPowered(bool on);
    bool powered() const { return m_powered; }

    // The register sends bytes on its own (a frame, XOFF, XON). Any thread.
    void send(const QByteArray& bytes);

    QByteArray fromProgram() const;   // every byte the register received while on
    QList<Event> traffic() const;

private:
    void serve();
    void write(const QByteArray& bytes);
    void record(Direction d, const QByteArray& bytes);

    std::shared_ptr<RegisterSimulator> m_simulator;
    QTemporaryDir m_dir;
    QString m_linkPath;
    int m_master = -1;
    int m_device = -1;
    std::atomic<bool> m_running{true};
    std::atomic<bool> m_powered{true};
    std::mutex m_writeMutex;
    mutable std::mutex m_trafficMutex;
    QList<Event> m_traffic;
    qint64 m_startMs = 0;
    std::thread m_thread;
};
