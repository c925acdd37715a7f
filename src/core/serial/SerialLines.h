#pragma once
// Lines of text from the counter's input devices (barcode reader, scale, registers).
// A device ends a line with CR, LF or CR LF. What has arrived without its end waits in the
// channel's pending text until the end comes, so each channel assembles its own lines.
#include <QString>

class SerialChannel;

// Drops everything received so far, read or not, and any partial line.
void ClearCommInput(SerialChannel& comm);

// The next complete line received, without its end; the empty text when no line is
// complete yet (or the line is empty). Never waits: it takes what has arrived and
// returns at most one line, so a caller that gets two lines at once calls again.
// The end is the first CR of the pending text, or only when there is no CR the first
// LF; an LF right after it belongs to the same end. So an LF that precedes the first CR
// stays inside the line ("A" LF "B" CR gives "A" LF "B").
// Bytes are taken one character each (Latin-1), as the devices send plain 8-bit text.
[[nodiscard]] QString ReadCommLine(SerialChannel& comm);

// The text before the first CR or LF; the empty text when it begins with one or holds
// none (callers cut typed text only when it holds a line break).
[[nodiscard]] QString GetFirstLine(const QString& text);
