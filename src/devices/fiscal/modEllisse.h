#pragma once
// The ELLISSE register's line protocol: STX text EOT check ETX frames, single-byte ACK/NAK
// answers, and the two-phase records (codes 70 and above) whose result the register
// reports in a frame of its own. Shared by both ELLISSE drivers and the register test
// console. Waits use the register settings' Timout.
#include <QByteArray>

class SerialChannel;

// STX, text, EOT, the check (sum of the text's bytes plus STX and EOT, modulo 256, as two
// upper-case hexadecimal digits), ETX.
QByteArray EllBuildFrame(const QByteArray& text);

// The text of the first frame in `data` (first STX to the first ETX after it) when that
// frame is exactly what EllBuildFrame makes of its text; otherwise empty.
QByteArray EllParseFrame(const QByteArray& data);

// Sends one frame and reads the register's answer: true when it accepted the command.
// `replies` receives the texts of the answer's frames, CR LF between them.
bool EllSendCommand(const QByteArray& text, SerialChannel& comm, QByteArray& replies);

// Reads one answer: ACK is acceptance, NAK refusal; frames are accepted when one of them
// has status "0" (its third character). With `acknowledge`, an answer made of frames is
// acknowledged with the frame of the first two characters of `replies` and "0".
bool EllReadReply(SerialChannel& comm, QByteArray& replies, bool acknowledge);

// A record through both phases: sent and accepted; for codes 70 and above also the
// register's result read and acknowledged, and the exchange closed with "000".
bool EllSendCommandEx(const QByteArray& text, SerialChannel& comm, QByteArray& replies);
