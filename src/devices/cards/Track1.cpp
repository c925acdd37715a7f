#include "Track1.h"
#include <QRegularExpression>
#include <bit>
#include <vector>

const QString track1::kTable = QStringLiteral(" !\"#$%&'()*+@,./0123456789:;<=>?-ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_");

int track1::CodeOf(QChar c) { return static_cast<int>(kTable.indexOf(c)); }

namespace {
constexpr int kCodeBits = 6;
constexpr int kGroupBits = kCodeBits + 1;   // with the parity bit
constexpr int kUnknownCode = 63;

// Odd parity over the seven bits: the parity bit is 1 when the code holds an even number of ones.
int parityBit(int code) { return std::popcount(static_cast<unsigned>(code)) % 2 == 0 ? 1 : 0; }

// The bits of a raw read, in card order: bytes up to the first of value 0, each from its
// most significant bit down.
std::vector<int> readBits(const QByteArray& raw) {
    std::vector<int> bits;
    for (char ch : raw) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == 0) break;
        for (int b = 7; b >= 0; --b) bits.push_back((byte >> b) & 1);
    }
    return bits;
}

struct Group {
    int code = 0;
    int parity = 0;
};

Group groupAt(const std::vector<int>& bits, size_t first) {
    Group g;
    for (int j = 0; j < kCodeBits; ++j) g.code |= bits[first + j] << j;
    g.parity = bits[first + kCodeBits];
    return g;
}

// Whole texts that the general numeric test takes for a number: sign, decimal point and
// exponent allowed, blanks around.
bool isNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}
}

QByteArray AsciiToHexForTrack1(const QString& text, const QString& start, const QString& end) {
    const QString s = start + text + end;
    std::vector<int> codes;
    codes.reserve(size_t(s.size()) + 1);
    int lrc = 0;
    for (QChar c : s) {
        int code = track1::CodeOf(c);
        if (code < 0) code = kUnknownCode;
        codes.push_back(code);
        lrc ^= code;
    }
    codes.push_back(lrc);

    const size_t bitCount = codes.size() * kGroupBits;
    QByteArray out(qsizetype((bitCount + 7) / 8), '\0');
    size_t bit = 0;
    auto put = [&](int value) {
        if (value) out[qsizetype(bit / 8)] = char(static_cast<unsigned char>(out[qsizetype(bit / 8)]) | (1u << (bit % 8)));
        ++bit;
    };
    for (int code : codes) {
        for (int j = 0; j < kCodeBits; ++j) put((code >> j) & 1);
        put(parityBit(code));
    }
    return out;
}

QString HexToAsciiFromTrack1(const QByteArray& raw, const QString& start, const QString& end) {
    const std::vector<int> bits = readBits(raw);
    QString text;
    for (size_t first = 0; first + kGroupBits <= bits.size(); first += kGroupBits)
        text += track1::kTable.at(groupAt(bits, first).code);

    if (!start.isEmpty() && text.startsWith(start)) text.remove(0, start.size());

    const qsizetype endAt = end.isEmpty() ? -1 : text.indexOf(end);
    if (endAt >= 0) {
        text.truncate(endAt);
        // The shop's seven-digit codes were written with a closing "1".
        if (text.size() == 7 && isNumber(text)) text += u'1';
        return text;
    }
    // A read that lost its end: the code is taken as eight characters ending in "1".
    if (text.size() < 8) return text;
    qsizetype p = 0;
    while (p < text.size() && text[p].isDigit() && text[p].unicode() < 128) ++p;
    if (p < 8) text = text.left(p) + QString(8 - p, u'0');
    else text = text.left(8);
    text[7] = u'1';
    return text;
}

bool Track1ReadIsSound(const QByteArray& raw, const QString& start, const QString& end) {
    if (start.size() != 1 || end.size() != 1) return false;
    const int startCode = track1::CodeOf(start.at(0));
    const int endCode = track1::CodeOf(end.at(0));
    std::vector<int> bits = readBits(raw);

    int lrc = 0;
    size_t first = 0;
    for (bool isFirst = true;; isFirst = false, first += kGroupBits) {
        if (first + kGroupBits > bits.size()) return false;   // no end sentinel
        const Group g = groupAt(bits, first);
        if (g.parity != parityBit(g.code)) return false;
        if (isFirst && g.code != startCode) return false;
        lrc ^= g.code;
        if (!isFirst && g.code == endCode) break;
    }
    first += kGroupBits;
    // The reader's bytes stop at the first byte of value 0, so the bits of an LRC that
    // ended in such a byte were zeros.
    if (first >= bits.size()) return false;
    bits.resize(std::max(bits.size(), first + kGroupBits), 0);
    const Group check = groupAt(bits, first);
    return check.code == lrc && check.parity == parityBit(check.code);
}

QString SubstInvalidCharsForTrack1(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (track1::CodeOf(c) < 0) c = u' ';
    return out;
}
