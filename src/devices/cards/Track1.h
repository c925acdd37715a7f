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
// each 7-bit group gives the character of its six code bits (the parity bit is not looked
// at, nor is the LRC); the start sentinel goes; the text stops before the end sentinel.
// The text keeps the format written on the shop's cards: a number of exactly seven
// characters gets a "1" appended, and a text read without its end sentinel is cut or
// filled to eight characters ending in "1" (see the source).
QString HexToAsciiFromTrack1(const QByteArray& raw, const QString& start, const QString& end);

// Every character the table does not hold becomes a blank.
QString SubstInvalidCharsForTrack1(const QString& text);
