#include "EllisseSimulator.h"

namespace {
constexpr char STX = 0x02, ETX = 0x03, EOT = 0x04, ACK = 0x06, NAK = 0x15;
constexpr int kResultDelayMs = 10;   // the register prints before it reports
}

void EllisseSimulator::setResultStatus(char status) { m_resultStatus = status; }

QByteArray EllisseSimulator::unsolicited(const QByteArray& text)
{
    std::lock_guard lock(mutex());
    m_state = State::AwaitingAcknowledgement;
    m_expectedAcknowledgement = text.left(2) + '0';
    return frame(text);
}

QByteArray EllisseSimulator::frame(const QByteArray& text)
{
    int sum = 2 + 4;
    for (const char c : text) sum = (sum + static_cast<unsigned char>(c)) & 0xFF;
    static const char hex[] = "0123456789ABCDEF";
    return STX + text + EOT + hex[sum >> 4] + hex[sum & 15] + ETX;
}

std::optional<RegisterSimulator::Taken> EllisseSimulator::take(QByteArray& pending)
{
    if (pending.front() != STX) {
        pending.remove(0, 1);
        return Taken {};
    }
    const qsizetype etx = pending.indexOf(ETX);
    if (etx < 0) return std::nullopt;
    const QByteArray raw = pending.left(etx + 1);
    pending.remove(0, etx + 1);

    const QByteArray text = raw.size() >= 5 ? raw.mid(1, raw.size() - 5) : QByteArray();
    if (raw.size() < 5 || frame(text) != raw) return Taken {'!' + raw, now(QByteArray(1, NAK))};

    if (m_state == State::AwaitingAcknowledgement && text == m_expectedAcknowledgement) {
        m_state = State::AwaitingClose;
        return Taken {text, {}};
    }
    if (text == "000") {
        m_state = State::Idle;
        return Taken {text, now(QByteArray(1, ACK))};
    }
    if (text.left(2) >= QByteArray("70")) {
        m_state = State::AwaitingAcknowledgement;
        m_expectedAcknowledgement = text.left(2) + '0';
        return Taken {
            text,
            SimulatorOutput {{0, QByteArray(1, ACK)}, {kResultDelayMs, frame(text.left(2) + m_resultStatus.load())}}};
    }
    m_state = State::Idle;
    return Taken {text, now(QByteArray(1, ACK))};
}
