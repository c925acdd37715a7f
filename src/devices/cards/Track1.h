#pragma once
// Track 1 of a magnetic card as the high-coercivity reader/writer handles it in raw mode:
// 6-bit characters from the driver's own 64-character table, each followed by an odd
// parity bit, closed by an LRC character. The writer packs the bit stream into bytes from
// their least significant bit up; the reader returns the bits it read from the most
// significant bit down.
#include <QByteArray>
#include <QString>

namespace track1 {
// The 64 characters in code order. Not the published track-1 order: "@" is code 12,
// "," code 13 and "-" code 32.
extern const QString kTable;
// The code of `c`, or -1 when the table does not hold it (case matters).
int CodeOf(QChar c);
}

// The packed bytes of Start + text + End and their LRC (characters outside the table count
// as code 63). Every byte written is kept, a byte of value 0 included.
QByteArray AsciiToHexForTrack1(const QString& text, const QString& start, const QString& end);

// The card text of a raw read. The raw bytes are taken up to the first byte of value 0;
// the start sentinel goes; the text stops before the end sentinel. The text keeps the
// format written on the shop's cards: a number of exactly seven characters gets a "1"
// appended, and a text read without its end sentinel is cut or filled to eight characters
// ending in "1" (see the source). Parity and LRC are not looked at here: see
// Track1ReadIsSound.
QString HexToAsciiFromTrack1(const QByteArray& raw, const QString& start, const QString& end);

// Whether a raw read holds a whole track that passed its checks: it begins with the start
// sentinel, every character has odd parity, an end sentinel follows, and the character
// after it is the LRC of everything from the start sentinel through the end sentinel,
// with odd parity too. A read that fails here must not give a code: a flipped bit would
// otherwise turn one customer's card into another customer's code.
bool Track1ReadIsSound(const QByteArray& raw, const QString& start, const QString& end);

// Every character the table does not hold becomes a blank.
QString SubstInvalidCharsForTrack1(const QString& text);
