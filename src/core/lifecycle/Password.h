#pragma once
// The stored form of passwords and the access-password file.
//
// A password is kept scrambled: each character's eight bits rotate one place toward the
// low end and, for a text of odd length, the wrapped bit of every odd position is flipped.
// The operators' table keeps the same form in its Password field.
#include <QByteArray>
#include <QString>

// Reverse false: clear text to stored form; true: stored form back to clear text. Works on
// the codes 0-255 (a character above 255 counts as "?"). A clear text of blanks only has
// no stored form: it gives the empty text.
QString ScrambleString(const QString& text, bool reverse);

// "prtct1.sys" in the per-user data folder.
inline constexpr const char* kAccessPasswordFileName = "prtct1.sys";
QString AccessPasswordFilePath();

// What the access-password file holds.
struct AccessPasswordFile {
    bool exists = false;   // a missing file means no restriction
    bool readable = true;   // false: it exists but could not be read (error filled)
    QString stored;   // the stored form, one character per byte
    QString error;
};
AccessPasswordFile ReadAccessPasswordFile(const QString& path = AccessPasswordFilePath());
// Replaces the file with the stored form of `clearPassword` (an empty password writes an
// empty file: no restriction) and makes it read-only. Raises AppError on failure.
void WriteAccessPasswordFile(const QString& clearPassword, const QString& path = AccessPasswordFilePath());
