#include "RegisterSimulator.h"

SimulatorOutput RegisterSimulator::answer(QByteArray& pending)
{
    std::lock_guard lock(m_mutex);
    SimulatorOutput out;
    while (!pending.isEmpty()) {
        std::optional<Taken> taken = take(pending);
        if (!taken) break;
        if (!taken->command.isEmpty()) {
            m_commands.push_back(taken->command);
            if (!m_replacements.empty()) {
                taken->reply = std::move(m_replacements.front());
                m_replacements.pop_front();
                answerReplaced();
            }
        }
        out += taken->reply;
    }
    return out;
}

void RegisterSimulator::replaceNextAnswer(SimulatorOutput output)
{
    std::lock_guard lock(m_mutex);
    m_replacements.push_back(std::move(output));
}

QList<QByteArray> RegisterSimulator::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void RegisterSimulator::clearCommands()
{
    std::lock_guard lock(m_mutex);
    m_commands.clear();
}
