#include "SaxSimulator.h"

namespace {
constexpr char STX = 0x02, ETX = 0x03, ACK = 0x06, CR = 0x0D, NAK = 0x15;

QByteArray checkText(const QByteArray& command)
{
    int x = STX;
    for (const char c : command) x ^= static_cast<unsigned char>(c);
    return QByteArray::number(x, 16).toUpper();
}

// The command inside a frame body, whichever length its check has; nullopt when neither fits.
std::optional<QByteArray> commandOf(const QByteArray& body)
{
    for (const int checkLength : {2, 1}) {
        if (body.size() <= checkLength) continue;
        const QByteArray command = body.left(body.size() - checkLength);
        if (checkText(command) == body.right(checkLength)) return command;
    }
    return std::nullopt;
}
}

std::optional<RegisterSimulator::Taken> SaxSimulator::take(QByteArray& pending)
{
    if (pending.front() != STX) {
        pending.remove(0, 1);
        return Taken {};
    }
    const qsizetype etx = pending.indexOf(ETX);
    if (etx < 0) return std::nullopt;
    const QByteArray body = pending.mid(1, etx - 1);
    pending.remove(0, etx + 1);

    const auto command = commandOf(body);
    if (!command) return Taken {'!' + body, now(QByteArray(1, NAK))};
    if (*command == "F") {
        m_expectedSequence = 0;
        return Taken {*command, now(QByteArray(1, ACK))};
    }
    qsizetype digits = 0;
    while (digits < command->size() && command->at(digits) >= '0' && command->at(digits) <= '9') ++digits;
    if (digits < 3 || command->left(digits).toInt() != m_expectedSequence)
        return Taken {*command, now(QByteArray(1, CR))};
    ++m_expectedSequence;
    return Taken {*command, now(QByteArray(1, ACK))};
}
