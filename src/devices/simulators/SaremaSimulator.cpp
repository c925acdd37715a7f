#include "SaremaSimulator.h"

namespace {
constexpr char XON = 0x11, XOFF = 0x13;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

enum class Scan { Complete, Incomplete, Invalid };

// What follows a quoted text at `i`: "@" (message), "1%" (display) or
// quantity "*" amount "H" department "R" (a row). `end` is set past it when complete.
Scan scanAfterQuote(const QByteArray& p, qsizetype i, qsizetype& end)
{
    const qsizetype n = p.size();
    if (i >= n) return Scan::Incomplete;
    if (p[i] == '@') {
        end = i + 1;
        return Scan::Complete;
    }
    if (p[i] == '1') {
        if (i + 1 >= n) return Scan::Incomplete;
        if (p[i + 1] == '%') {
            end = i + 2;
            return Scan::Complete;
        }
    }
    // digits, then the given separator
    auto number = [&](qsizetype& j, char separator, bool sign) {
        if (sign && j < n && p[j] == '-') ++j;
        const qsizetype start = j;
        while (j < n && isDigit(p[j])) ++j;
        if (j >= n) return Scan::Incomplete;
        if (j == start || p[j] != separator) return Scan::Invalid;
        ++j;
        return Scan::Complete;
    };
    qsizetype j = i;
    for (const auto& [separator, sign] : {std::pair {'*', false}, std::pair {'H', true}, std::pair {'R', false}}) {
        const Scan s = number(j, separator, sign);
        if (s != Scan::Complete) return s;
    }
    end = j;
    return Scan::Complete;
}
}

SimulatorOutput SaremaSimulator::pacing() const
{
    const int busy = m_busyMs;
    if (busy <= 0) return {};
    return SimulatorOutput {{0, QByteArray(1, XOFF)}, {busy, QByteArray(1, XON)}};
}

std::optional<RegisterSimulator::Taken> SaremaSimulator::take(QByteArray& pending)
{
    auto sequence = [&](qsizetype length) {
        const QByteArray command = pending.left(length);
        pending.remove(0, length);
        return Taken {command, pacing()};
    };
    if (pending.startsWith('K')) return sequence(1);
    if (pending == "1" || pending == "9") return std::nullopt;
    if (pending.startsWith("1T")) return sequence(2);

    const qsizetype quote = pending.startsWith("9M") ? 2 : 0;
    if (pending.size() <= quote) return std::nullopt;
    if (pending[quote] != '"') {
        pending.remove(0, 1);   // a key this register does not have
        return Taken {};
    }
    const qsizetype closing = pending.indexOf('"', quote + 1);
    if (closing < 0) return std::nullopt;
    qsizetype end = 0;
    switch (scanAfterQuote(pending, closing + 1, end)) {
    case Scan::Incomplete: return std::nullopt;
    case Scan::Complete: return sequence(end);
    case Scan::Invalid: break;
    }
    const QByteArray broken = pending.left(closing + 1);
    pending.remove(0, closing + 1);
    return Taken {'!' + broken, {}};
}
