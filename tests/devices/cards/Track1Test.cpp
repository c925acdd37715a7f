#include "devices/cards/Track1.h"
#include <QList>
#include <gtest/gtest.h>

namespace {
// A raw read as the reader returns it, built from card characters given by their codes in
// the driver's table: each code with its parity bit (odd parity unless `badParityAt`
// names the character), then packed from each byte's most significant bit down.
QByteArray cardBytes(const QList<int>& codes, int badParityAt = -1)
{
    std::vector<int> bits;
    for (int i = 0; i < codes.size(); ++i) {
        int ones = 0;
        for (int j = 0; j < 6; ++j) {
            bits.push_back((codes[i] >> j) & 1);
            ones += (codes[i] >> j) & 1;
        }
        int parity = ones % 2 == 0 ? 1 : 0;
        if (i == badParityAt) parity ^= 1;
        bits.push_back(parity);
    }
    QByteArray out(qsizetype((bits.size() + 7) / 8), '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i])
            out[qsizetype(i / 8)] = char(static_cast<unsigned char>(out[qsizetype(i / 8)]) | (0x80u >> (i % 8)));
    return out;
}

QList<int> codesOf(const QString& text)
{
    QList<int> codes;
    for (QChar c : text) codes << track1::CodeOf(c);
    return codes;
}

int lrcOf(const QList<int>& codes)
{
    int lrc = 0;
    for (int c : codes) lrc ^= c;
    return lrc;
}

// The characters of a whole track: sentinels, text and the right LRC.
QList<int> wholeTrack(const QString& text)
{
    QList<int> codes = codesOf(QStringLiteral("%") + text + u'?');
    codes << lrcOf(codes);
    return codes;
}

// What the reader returns for bytes the writer packed: the same bits, each byte reversed.
QByteArray asRead(const QByteArray& written)
{
    QByteArray out = written;
    for (char& c : out) {
        unsigned char b = static_cast<unsigned char>(c), r = 0;
        for (int j = 0; j < 8; ++j) r |= ((b >> j) & 1) << (7 - j);
        c = char(r);
    }
    return out;
}
}

TEST(Track1Table, KeepsTheDriversOwnOrderOfPunctuation)
{
    EXPECT_EQ(track1::kTable.size(), 64);
    EXPECT_EQ(track1::CodeOf(u'@'), 12);
    EXPECT_EQ(track1::CodeOf(u','), 13);
    EXPECT_EQ(track1::CodeOf(u'-'), 32);
    EXPECT_EQ(track1::CodeOf(u'%'), 5);
    EXPECT_EQ(track1::CodeOf(u'?'), 31);
    EXPECT_EQ(track1::CodeOf(u'a'), -1);
}

TEST(Track1Packing, KnownBytesOfWrittenTracks)
{
    struct Case {
        const char* text;
        QByteArray bytes;
    };
    const Case cases[] = {
        // Sentinels and LRC alone: three 7-bit groups in three bytes.
        {"", QByteArray::fromHex("C58F06")},
        {"1", QByteArray::fromHex("C5E86701")},
        {"12345678", QByteArray::fromHex("C5A87442AD58AED88F14")},
        {"87654321", QByteArray::fromHex("45ECD552A14EA4D18F14")},
        {"AB-@,", QByteArray::fromHex("C5B018C46C7C70")},
        // A character outside the table is written as code 63.
        {"a", QByteArray::fromHex("C5FFA704")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AsciiToHexForTrack1(QString::fromLatin1(c.text), QStringLiteral("%"), QStringLiteral("?")).toHex(),
                  c.bytes.toHex());
    }
}

TEST(Track1Unpacking, TextKeepsTheCardFormat)
{
    struct Case {
        const char* what;
        QList<int> codes;
        const char* text;
    };
    const Case cases[] = {
        {"eight digits", wholeTrack(QStringLiteral("12345678")), "12345678"},
        {"seven digits get a closing 1", wholeTrack(QStringLiteral("1234567")), "12345671"},
        {"seven letters stay", wholeTrack(QStringLiteral("ABCDEFG")), "ABCDEFG"},
        {"two texts", wholeTrack(QStringLiteral("12 AB")), "12 AB"},
        {"no end: a short text stays", codesOf(QStringLiteral("%ABC")), "ABC"},
        {"no end: eleven digits cut to eight ending in 1", codesOf(QStringLiteral("%12345678901")), "12345671"},
        {"no end: digits then a letter, filled with zeros", codesOf(QStringLiteral("%12A4567890")), "12000001"},
        {"no start sentinel", codesOf(QStringLiteral("12?")), "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HexToAsciiFromTrack1(cardBytes(c.codes), QStringLiteral("%"), QStringLiteral("?")),
                  QString::fromLatin1(c.text));
    }
}

TEST(Track1Unpacking, StopsAtTheFirstZeroByte)
{
    QByteArray raw = cardBytes(wholeTrack(QStringLiteral("12")));
    raw += '\0';
    raw += cardBytes(codesOf(QStringLiteral("99999999")));
    EXPECT_EQ(HexToAsciiFromTrack1(raw, QStringLiteral("%"), QStringLiteral("?")), QStringLiteral("12"));
}

TEST(Track1Unpacking, ReadsBackWhatThePackingWrote)
{
    for (const char* text : {"", "1", "12345678", "87654321", "AB-@,", "MARIO ROSSI"}) {
        SCOPED_TRACE(text);
        const QByteArray raw
            = asRead(AsciiToHexForTrack1(QString::fromLatin1(text), QStringLiteral("%"), QStringLiteral("?")));
        EXPECT_EQ(HexToAsciiFromTrack1(raw, QStringLiteral("%"), QStringLiteral("?")), QString::fromLatin1(text));
    }
}

// The reader's raw read is taken as it comes: a character's parity bit and the LRC are not
// looked at, so a damaged track reads as the characters its code bits give.
TEST(Track1Unpacking, ParityAndLrcAreNotLookedAt)
{
    const QList<int> good = wholeTrack(QStringLiteral("12345678"));
    QList<int> wrongLrc = good;
    wrongLrc.back() ^= 1;
    QList<int> otherDigit = good;
    otherDigit[2] = track1::CodeOf(u'3');
    QList<int> noLrc = good;
    noLrc.removeLast();
    struct Case {
        const char* what;
        QByteArray raw;
        const char* text;
    };
    const Case cases[] = {
        {"parity of a digit", cardBytes(good, 3), "12345678"},
        {"parity of the LRC", cardBytes(good, int(good.size()) - 1), "12345678"},
        {"wrong LRC", cardBytes(wrongLrc), "12345678"},
        {"a digit changed with its parity", cardBytes(otherDigit), "13345678"},
        {"no LRC", cardBytes(noLrc), "12345678"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HexToAsciiFromTrack1(c.raw, QStringLiteral("%"), QStringLiteral("?")), QString::fromLatin1(c.text));
    }
}

TEST(Track1Text, CharactersOutsideTheTableBecomeBlanks)
{
    EXPECT_EQ(SubstInvalidCharsForTrack1(QStringLiteral("Ab-1_é")), QStringLiteral("A -1_ "));
}
