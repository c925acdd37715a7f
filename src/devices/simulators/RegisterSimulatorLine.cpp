#include "RegisterSimulatorLine.h"

#include <chrono>
#include <thread>

namespace {
qint64 monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A register's answer is one piece on the wire, however long the program leaves it waiting.
constexpr int kSendTimeoutMs = 2000;
}

RegisterSimulatorLine::RegisterSimulatorLine(std::shared_ptr<RegisterSimulator> simulator)
    : m_simulator(std::move(simulator))
{
    m_startMs = monotonicMs();
    m_line.listen([this](const QByteArray& chunk) { heard(chunk); });
}

RegisterSimulatorLine::~RegisterSimulatorLine() { m_line.stopServing(); }

void RegisterSimulatorLine::setPowered(bool on) { m_powered = on; }

void RegisterSimulatorLine::send(const QByteArray& bytes)
{
    m_line.send(bytes, kSendTimeoutMs);
    record(Direction::ToProgram, bytes);
}

void RegisterSimulatorLine::record(Direction d, const QByteArray& bytes)
{
    std::lock_guard lock(m_trafficMutex);
    m_traffic.push_back({monotonicMs() - m_startMs, d, bytes});
}

void RegisterSimulatorLine::heard(const QByteArray& chunk)
{
    if (!m_powered) {
        m_pending.clear();
        record(Direction::LostWhileOff, chunk);
        return;
    }
    record(Direction::FromProgram, chunk);
    m_pending += chunk;
    for (const SimulatorChunk& out : m_simulator->answer(m_pending)) {
        for (int waited = 0; waited < out.delayMs && m_line.serving(); waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, out.delayMs - waited)));
        if (!m_line.serving()) return;
        if (!out.bytes.isEmpty()) send(out.bytes);
    }
}

QByteArray RegisterSimulatorLine::fromProgram() const
{
    std::lock_guard lock(m_trafficMutex);
    QByteArray all;
    for (const Event& e : m_traffic) {
        if (e.direction == Direction::FromProgram) all += e.bytes;
    }
    return all;
}

QList<RegisterSimulatorLine::Event> RegisterSimulatorLine::traffic() const
{
    std::lock_guard lock(m_trafficMutex);
    return m_traffic;
}
