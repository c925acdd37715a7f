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
std::vector<int> readBits(const QByteArray& raw)
{
    std::vector<int> bits;
    for (char ch : raw) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == 0) break;
        for (int b = 7; b >= 0; --b) bits.push_back((byte >> b) & 1);
    }
    return bits;
}

// The six code bits of the 7-bit group that begins at `first`.
int codeAt(const std::vector<int>& bits, size_t first)
{
    int code = 0;
    for (int j = 0; j < kCodeBits; ++j) code |= bits[first + j] << j;
    return code;
}

// Whole texts that the general numeric test takes for a number: sign, decimal point and
// exponent allowed, blanks around.
bool isNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}
}

QByteArray AsciiToHexForTrack1(const QString& text, const QString& start, const QString& end)
{
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
        if (value)
            out[qsizetype(bit / 8)] = char(static_cast<unsigned char>(out[qsizetype(bit / 8)]) | (1u << (bit % 8)));
        ++bit;
    };
    for (int code : codes) {
        for (int j = 0; j < kCodeBits; ++j) put((code >> j) & 1);
        put(parityBit(code));
    }
    return out;
}

QString HexToAsciiFromTrack1(const QByteArray& raw, const QString& start, const QString& end)
{
    const std::vector<int> bits = readBits(raw);
    QString text;
    for (size_t first = 0; first + kGroupBits <= bits.size(); first += kGroupBits)
        text += track1::kTable.at(codeAt(bits, first));

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
    if (p < 8)
        text = text.left(p) + QString(8 - p, u'0');
    else
        text = text.left(8);
    text[7] = u'1';
    return text;
}

QString SubstInvalidCharsForTrack1(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (track1::CodeOf(c) < 0) c = u' ';
    return out;
}
