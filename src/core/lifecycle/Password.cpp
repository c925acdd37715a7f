#include "Password.h"
#include "base/AppError.h"
#include "base/FileOps.h"
#include "core/helpers/SystemHelpers.h"
#include <QFile>
#include <QFileInfo>

namespace {
constexpr int32_t kPathFileAccessError = 75;
int ansiCode(QChar c) { return c.unicode() <= 0xFF ? c.unicode() : '?'; }
}

QString ScrambleString(const QString& text, bool reverse)
{
    // Blank clear text has no stored form. A stored form, on the other hand, may well be
    // made of blanks ("@@" scrambles to two of them), so it is only short-cut when empty.
    if (!reverse) {
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u' ') --end;
        if (end == 0) return QString();
    } else if (text.isEmpty()) {
        return QString();
    }
    const int parity = text.size() % 2;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int c = ansiCode(text.at(i));
        const bool oddPosition = (i % 2) == 0;   // positions count from 1
        if (!reverse) {
            int h = c & 1;
            if (oddPosition) h ^= parity;
            out.append(QChar(char16_t((c >> 1) + 128 * h)));
        } else {
            int h = c >= 128 ? 1 : 0;
            if (oddPosition) h ^= parity;
            out.append(QChar(char16_t((c % 128) * 2 + h)));
        }
    }
    return out;
}

QString AccessPasswordFilePath() { return JoinPath(GetDataFolder(), QString::fromLatin1(kAccessPasswordFileName)); }

AccessPasswordFile ReadAccessPasswordFile(const QString& path)
{
    AccessPasswordFile f;
    f.exists = fileOps().exists(path);
    if (!f.exists) return f;
    bool ok = false;
    const QByteArray bytes = fileOps().readFile(path, &ok);
    if (!ok) {
        f.readable = false;
        f.error = fileOps().lastError();
        return f;
    }
    f.stored = QString::fromLatin1(bytes);
    return f;
}

void WriteAccessPasswordFile(const QString& clearPassword, const QString& path)
{
    const QString stored = ScrambleString(clearPassword, false);
    QByteArray bytes;
    bytes.reserve(stored.size());
    for (QChar c : stored) bytes.append(char(ansiCode(c)));
    // The file is kept read-only between changes; the replace goes through a new file, so a
    // failed write leaves the previous password in force.
    if (QFileInfo::exists(path)) QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    if (!fileOps().writeFile(path, bytes)) throw AppError(kPathFileAccessError, AppTitle(), fileOps().lastError());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
}
