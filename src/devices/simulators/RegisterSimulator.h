#pragma once
// A fiscal register played in software: it reads what the program sends, byte for byte,
// and answers as the register's protocol says. Each family has its own simulator, written
// from the protocol and sharing nothing with the drivers, so a test of a driver against it
// checks both sides. Hosted on a pseudo-terminal by RegisterSimulatorLine.
#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <mutex>
#include <optional>

// Bytes the register sends, `delayMs` after the previous chunk.
struct SimulatorChunk {
    int delayMs = 0;
    QByteArray bytes;
};
using SimulatorOutput = QList<SimulatorChunk>;

class RegisterSimulator {
public:
    virtual ~RegisterSimulator() = default;
    virtual QString name() const = 0;

    // The host's call: `pending` holds every byte received and not yet handled; the
    // simulator removes what it handles and returns its answer. Thread-safe.
    SimulatorOutput answer(QByteArray& pending);

    // The next command is answered with `output` instead of the register's own answer (a
    // refusal, an error code, silence when empty). Queued, one command each.
    void replaceNextAnswer(SimulatorOutput output);
    void replaceNextAnswer(const QByteArray& bytes) { replaceNextAnswer(SimulatorOutput {{0, bytes}}); }

    // The commands received, as the register understood them (frames without their
    // framing), in order.
    QList<QByteArray> commands() const;
    void clearCommands();

protected:
    struct Taken {
        QByteArray command;   // empty: bytes that were no command (an acknowledgement, noise)
        SimulatorOutput reply;
    };
    // Takes one command (or noise) from the front of `pending`; nullopt while the command
    // there is not complete yet. Called with the simulator's lock held.
    virtual std::optional<Taken> take(QByteArray& pending) = 0;
    // The register's answer to the last command was replaced: its protocol state goes back
    // to waiting for a new command.
    virtual void answerReplaced() { }

    static SimulatorOutput now(const QByteArray& bytes) { return SimulatorOutput {{0, bytes}}; }
    // Held while take() runs; a family that changes its state from another thread takes it.
    std::mutex& mutex() const { return m_mutex; }

private:
    mutable std::mutex m_mutex;
    std::deque<SimulatorOutput> m_replacements;
    QList<QByteArray> m_commands;
};
