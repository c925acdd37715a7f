#include "Crf4600Simulator.h"

namespace {
constexpr char STX = 0x02, ETX = 0x03;
}

std::optional<RegisterSimulator::Taken> Crf4600Simulator::take(QByteArray& pending)
{
    // Anything before a command (the program's ACK of the last answer) is no command.
    if (pending.front() != STX) {
        pending.remove(0, 1);
        return Taken {};
    }
    const qsizetype etx = pending.indexOf(ETX);
    if (etx < 0) return std::nullopt;
    const QByteArray command = pending.mid(1, etx - 1);
    pending.remove(0, etx + 1);
    return Taken {command.isEmpty() ? QByteArray("<empty>") : command, now(STX + QByteArray("0") + ETX)};
}
