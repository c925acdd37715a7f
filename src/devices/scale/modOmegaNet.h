#pragma once
// The frame that wraps every message to and from the shop's scale:
//   STX, the data, EOT, c1, c2, ETX
// with S the sum of the data bytes plus 6 (STX and EOT), c1 = the low seven bits of S and
// c2 = S / 256, both with bit 7 set so neither can be taken for a control byte.
#include <QByteArray>
#include <QString>

namespace omeganet {
constexpr char STX = 2;
constexpr char EOT = 4;
constexpr char ETX = 3;
// S must stay below this for c2 to fit a byte.
constexpr int kMaxSum = 65536;
}

// The frame of `data`; raises an AppError when the data's sum does not fit the check.
QByteArray NetBuildFrame(const QByteArray& data);
// The data of the first frame in `bytes`; empty when that frame is missing, cut short or
// does not check (a frame whose data hold an EOT included).
QByteArray NetParseFrame(const QByteArray& bytes);

// The same for text, one byte per character (Latin-1); a character that has no byte
// raises an AppError naming it.
QByteArray NetBuildFrame(const QString& text);
