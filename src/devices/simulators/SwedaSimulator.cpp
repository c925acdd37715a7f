#include "SwedaSimulator.h"

namespace {
constexpr char EOT = 0x04, CR = 0x0D;
}

std::optional<RegisterSimulator::Taken> SwedaSimulator::take(QByteArray& pending)
{
    const qsizetype cr = pending.indexOf(CR);
    if (cr < 0) return std::nullopt;
    const QByteArray command = pending.left(cr);
    pending.remove(0, cr + 1);
    if (!command.startsWith("KX"))
        return Taken {command.isEmpty() ? QByteArray("<empty>") : command, now("E6" + QByteArray(1, CR))};
    return Taken {command, now(QByteArray(1, EOT) + CR)};
}
