#include "CardReaderSimulator.h"

namespace {
constexpr char ESC = 27;
constexpr char FS = 28;
}

// Track 1: six-bit characters from blank (code 0) to "_"; tracks 2 and 3: four-bit
// characters from "0" to "?". Each character has an odd parity bit; an LRC closes the track.
const CardReaderSimulator::Alphabet CardReaderSimulator::kTrack1 {6, ' ', '%', '?'};
const CardReaderSimulator::Alphabet CardReaderSimulator::kTrack23 {4, '0', ';', '?'};

CardReaderSimulator::CardReaderSimulator(Model model) : m_model(model) { insertBlankCard(); }

// ---- Settings and card -----------------------------------------------------------------

void CardReaderSimulator::setMute(bool mute)
{
    std::lock_guard lock(m_mutex);
    m_mute = mute;
}

void CardReaderSimulator::setCardPresent(bool present)
{
    std::lock_guard lock(m_mutex);
    m_cardPresent = present;
}

void CardReaderSimulator::failNextOperations(int count, char status)
{
    std::lock_guard lock(m_mutex);
    m_failures = count;
    m_failureStatus = status;
}

void CardReaderSimulator::insertBlankCard()
{
    std::lock_guard lock(m_mutex);
    for (Bits& t : m_tracks) t.clear();
}

bool CardReaderSimulator::writeTrack1Text(const QString& text)
{
    const auto bits = encode(text, kTrack1);
    if (!bits) return false;
    std::lock_guard lock(m_mutex);
    m_tracks[0] = *bits;
    return true;
}

std::optional<QString> CardReaderSimulator::track1Text() const
{
    std::lock_guard lock(m_mutex);
    return decode(m_tracks[0], kTrack1);
}

int CardReaderSimulator::track1BitCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_tracks[0].size());
}

void CardReaderSimulator::flipTrack1Bit(int index)
{
    std::lock_guard lock(m_mutex);
    if (index >= 0 && size_t(index) < m_tracks[0].size()) m_tracks[0][size_t(index)] = !m_tracks[0][size_t(index)];
}

void CardReaderSimulator::truncateTrack1(int bitCount)
{
    std::lock_guard lock(m_mutex);
    if (bitCount >= 0 && size_t(bitCount) < m_tracks[0].size()) m_tracks[0].resize(size_t(bitCount));
}

QList<QByteArray> CardReaderSimulator::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

bool CardReaderSimulator::lowCoercivity() const
{
    std::lock_guard lock(m_mutex);
    return m_low;
}

QByteArray CardReaderSimulator::bitsPerCharacter() const
{
    std::lock_guard lock(m_mutex);
    return m_bitsPerChar;
}

int CardReaderSimulator::resets() const
{
    std::lock_guard lock(m_mutex);
    return m_resets;
}

// ---- Encoding --------------------------------------------------------------------------

std::optional<CardReaderSimulator::Bits> CardReaderSimulator::encode(const QString& text, const Alphabet& a)
{
    const int limit = 1 << a.bitsPerChar;
    std::vector<int> codes;
    auto add = [&](QChar c) {
        const int code = c.unicode() - a.first;
        if (code < 0 || code >= limit) return false;
        codes.push_back(code);
        return true;
    };
    if (!add(QChar::fromLatin1(a.start))) return std::nullopt;
    for (QChar c : text)
        if (!add(c)) return std::nullopt;
    add(QChar::fromLatin1(a.end));
    int lrc = 0;
    for (int c : codes) lrc ^= c;
    codes.push_back(lrc);

    Bits bits;
    for (int code : codes) {
        int ones = 0;
        for (int j = 0; j < a.bitsPerChar; ++j) {
            const bool bit = (code >> j) & 1;
            ones += bit;
            bits.push_back(bit);
        }
        bits.push_back(ones % 2 == 0);
    }
    return bits;
}

std::optional<QString> CardReaderSimulator::decode(const Bits& bits, const Alphabet& a)
{
    const size_t group = size_t(a.bitsPerChar) + 1;
    size_t at = 0;
    while (at < bits.size() && !bits[at]) ++at;   // the card's leading zeros
    auto next = [&](int& code) {
        if (at + group > bits.size()) return false;
        code = 0;
        int ones = 0;
        for (size_t j = 0; j < group; ++j) {
            if (j < size_t(a.bitsPerChar)) code |= int(bits[at + j]) << j;
            ones += bits[at + j];
        }
        at += group;
        return ones % 2 == 1;
    };
    int code = 0;
    if (!next(code) || code != a.start - a.first) return std::nullopt;
    int lrc = code;
    QString text;
    for (;;) {
        if (!next(code)) return std::nullopt;
        lrc ^= code;
        if (code == a.end - a.first) break;
        text += QChar(char16_t(a.first + code));
    }
    int check = 0;
    if (!next(check) || check != lrc) return std::nullopt;
    return text;
}

// ---- The protocol ----------------------------------------------------------------------

qsizetype CardReaderSimulator::commandLength(const QByteArray& p) const
{
    if (p.size() < 2) return 0;
    switch (p.at(1)) {
    case 'c': return p.size() >= 3 ? 3 : 0;
    case 'o': return p.size() >= 5 ? 5 : 0;
    case ESC: return p.size() >= 3 ? 3 : 0;
    case 'w': {
        const qsizetype end = p.indexOf(QByteArray("?") + FS, 2);
        return end < 0 ? 0 : end + 2;
    }
    case 'n': {
        // ESC s, then ESC <track> <length> <bytes> for each track, then "?" FS.
        if (p.size() < 4) return 0;
        qsizetype i = 4;
        for (;;) {
            if (i >= p.size()) return 0;
            if (p.at(i) == '?') return i + 1 < p.size() ? (p.at(i + 1) == FS ? i + 2 : p.size()) : 0;
            if (p.at(i) != ESC) return p.size();   // malformed: drop it all
            if (i + 2 >= p.size()) return 0;
            i += 3 + static_cast<unsigned char>(p.at(i + 2));
        }
    }
    default: return 2;
    }
}

QByteArray CardReaderSimulator::answer(QByteArray& pending)
{
    std::lock_guard lock(m_mutex);
    QByteArray replies;
    for (;;) {
        const qsizetype esc = pending.indexOf(ESC);
        if (esc < 0) {
            pending.clear();   // bytes outside a command mean nothing to the reader
            break;
        }
        pending.remove(0, esc);
        const qsizetype length = commandLength(pending);
        if (length == 0) break;
        const QByteArray command = pending.left(length);
        pending.remove(0, length);
        m_commands.append(command);
        const QByteArray reply = handle(command);
        if (!m_mute) replies += reply;
    }
    return replies;
}

bool CardReaderSimulator::consumeFailure(char& status)
{
    if (m_failures <= 0) return false;
    --m_failures;
    status = m_failureStatus;
    return true;
}

bool CardReaderSimulator::cardBlank() const
{
    for (const Bits& t : m_tracks)
        if (!t.empty()) return false;
    return true;
}

QByteArray CardReaderSimulator::handle(const QByteArray& command)
{
    const bool full = m_model == Model::MSR206HL;
    auto status = [](char s) { return QByteArray(1, ESC) + s; };
    char failure = 0;
    switch (command.at(1)) {
    case 'a': ++m_resets; return {};
    case ESC:   // the host's acknowledgement of a failed status
        return {};
    case 'r':
        if (!m_cardPresent) return {};
        return textRead();
    case 'm':
        if (!full) return status(kUnknownCommand);
        if (!m_cardPresent) return {};
        return rawRead();
    case 'w':
        if (consumeFailure(failure)) return status(failure);
        return status(textWrite(command.mid(2)) ? kOk : kCardError);
    case 'n':
        if (!full) return status(kUnknownCommand);
        if (consumeFailure(failure)) return status(failure);
        return status(rawWrite(command.mid(2)) ? kOk : kCardError);
    case 'c':
        if (consumeFailure(failure)) return status(failure);
        for (Bits& t : m_tracks) t.clear();
        return status(kOk);
    case 'x':
    case 'y':
        if (!full) return status(kUnknownCommand);
        m_low = command.at(1) == 'y';
        return status(kOk);
    case 'o':
        if (!full) return status(kUnknownCommand);
        m_bitsPerChar = command.mid(2);
        return status(kOk);
    default: return status(kUnknownCommand);
    }
}

QByteArray CardReaderSimulator::textRead()
{
    QByteArray out = QByteArray(1, ESC) + 's';
    char failure = 0;
    const bool failed = consumeFailure(failure);
    bool track1Read = false;
    // A failing read still sends what it could read: the status tells the host not to use it.
    for (int t = 0; t < 3; ++t) {
        out += ESC;
        out += char(t + 1);
        const Alphabet& a = t == 0 ? kTrack1 : kTrack23;
        if (const auto text = decode(m_tracks[t], a)) {
            out += a.start + text->toLatin1() + a.end;
            if (t == 0) track1Read = true;
        }
    }
    out += '?';
    out += FS;
    out += ESC;
    out += failed ? failure : track1Read ? kOk : kCardError;
    return out;
}

QByteArray CardReaderSimulator::rawRead()
{
    QByteArray out = QByteArray(1, ESC) + 's';
    char failure = 0;
    const bool failed = consumeFailure(failure);
    for (int t = 0; t < 3; ++t) {
        // The reader hands the bits back from each byte's most significant bit down.
        QByteArray bytes;
        {
            const Bits& bits = m_tracks[t];
            bytes.fill('\0', qsizetype((bits.size() + 7) / 8));
            for (size_t i = 0; i < bits.size(); ++i)
                if (bits[i])
                    bytes[qsizetype(i / 8)]
                        = char(static_cast<unsigned char>(bytes[qsizetype(i / 8)]) | (0x80u >> (i % 8)));
        }
        out += ESC;
        out += char(t + 1);
        out += char(bytes.size());
        out += bytes;
    }
    out += '?';
    out += FS;
    out += ESC;
    out += failed ? failure : cardBlank() ? kCardError : kOk;
    return out;
}

bool CardReaderSimulator::textWrite(const QByteArray& block)
{
    // ESC s ESC 1 <text> ESC 2 <text> ESC 3 <text> ? FS
    if (!block.startsWith(QByteArray(1, ESC) + 's') || !block.endsWith(QByteArray("?") + FS)) return false;
    const QList<QByteArray> parts = block.mid(2, block.size() - 4).split(ESC);
    Bits tracks[3];
    bool given[3] = {false, false, false};
    for (const QByteArray& part : parts) {
        if (part.isEmpty()) continue;
        const int t = part.at(0) - 1;
        if (t < 0 || t > 2) return false;
        const auto bits = encode(QString::fromLatin1(part.mid(1)), t == 0 ? kTrack1 : kTrack23);
        if (!bits) return false;
        tracks[t] = *bits;
        given[t] = true;
    }
    for (int t = 0; t < 3; ++t)
        if (given[t]) m_tracks[t] = tracks[t];
    return true;
}

bool CardReaderSimulator::rawWrite(const QByteArray& block)
{
    if (!block.startsWith(QByteArray(1, ESC) + 's')) return false;
    Bits tracks[3];
    qsizetype i = 2;
    while (i + 2 < block.size() && block.at(i) == ESC) {
        const int t = block.at(i + 1) - 1;
        const int length = static_cast<unsigned char>(block.at(i + 2));
        if (t < 0 || t > 2 || i + 3 + length > block.size()) return false;
        // Written bytes carry the bits from their least significant bit up.
        for (int b = 0; b < length; ++b) {
            const auto byte = static_cast<unsigned char>(block.at(i + 3 + b));
            for (int j = 0; j < 8; ++j) tracks[t].push_back((byte >> j) & 1);
        }
        i += 3 + length;
    }
    for (int t = 0; t < 3; ++t) m_tracks[t] = tracks[t];
    return true;
}
