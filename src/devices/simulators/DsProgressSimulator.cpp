#include "DsProgressSimulator.h"

namespace {
constexpr char EOT = 0x04, CR = 0x0D;
}

std::optional<RegisterSimulator::Taken> DsProgressSimulator::take(QByteArray& pending)
{
    const qsizetype cr = pending.indexOf(CR);
    if (cr < 0) return std::nullopt;
    const QByteArray command = pending.left(cr);
    pending.remove(0, cr + 1);
    if (!command.startsWith('K'))
        return Taken {command.isEmpty() ? QByteArray("<empty>") : command, now("?" + QByteArray(1, CR))};
    return Taken {command, now(QByteArray(1, EOT) + CR)};
}
