#pragma once
// Article descriptions as the registers can print them: plain letters, digits and blanks.
#include <QString>

// Replaces à by a, è and é by e, ò by o, ù by u, and every other character that is not an
// ASCII letter or digit by a blank. The length never changes.
QString NormalizeDescription(const QString& text);

// NormalizeDescription, upper case, the first `maxLength` characters, trailing blanks
// removed: the description most drivers send.
QString CleanDescription(const QString& text, int maxLength);
