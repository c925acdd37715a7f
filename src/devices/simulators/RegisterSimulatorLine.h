#pragma once
// A simulated register on a pseudo-terminal: the program opens devicePath() as its serial
// port and talks to the simulator, which runs on a thread of its own. The line is raw and
// the device side stays held, so the program may close and reopen its port at will.
#include "PseudoTerminal.h"
#include "RegisterSimulator.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

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

    // The port the program opens (see PseudoTerminal::devicePath).
    QString devicePath() const { return m_line.devicePath(); }
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
    void heard(const QByteArray& chunk);
    void record(Direction d, const QByteArray& bytes);

    std::shared_ptr<RegisterSimulator> m_simulator;
    std::atomic<bool> m_powered {true};
    mutable std::mutex m_trafficMutex;
    QList<Event> m_traffic;
    QByteArray m_pending;   // received and not yet answered; the serving thread's own
    qint64 m_startMs = 0;
    PseudoTerminal m_line;   // last: its serving thread stops before the members it uses go
};
