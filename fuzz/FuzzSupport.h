#pragma once
// What every fuzz target shares: a scratch folder of its own (the user's settings and data are
// never touched), and a loud stop when an input breaks a promise, so libFuzzer keeps the input.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzzsupport {

// A fresh folder for this process, in memory when /dev/shm is there (the targets write
// files on every input). XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR point into it, so
// nothing a target runs can reach the user's own settings.
inline QString scratchRoot()
{
    static QString root = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        static QTemporaryDir dir(base + QStringLiteral("/mvfuzz-XXXXXX"));
        if (!dir.isValid()) {
            std::fprintf(stderr, "no scratch folder under %s\n", qPrintable(base));
            std::abort();
        }
        for (const char* name : {"config", "data", "tmp"}) QDir(dir.path()).mkpath(QString::fromLatin1(name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/data")));
        qputenv("TMPDIR", QFile::encodeName(dir.path() + QStringLiteral("/tmp")));
        return dir.path();
    }();
    return root;
}

// Qt's application object, made once, after the scratch folder has taken the user's place.
inline void application(const char* name)
{
    scratchRoot();
    static int argc = 1;
    static QByteArray program(name);
    static char* argv[] = {program.data(), nullptr};
    static QCoreApplication app(argc, argv);
}

// Stops the run: the input that got here broke what the target checks.
[[noreturn]] inline void broken(const QString& what)
{
    // Control characters shown as \xNN, so a NUL does not cut the report short.
    QString shown;
    for (const QChar c : what)
        shown += (c.unicode() < 0x20 && c != u'\n') ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'))
                                                    : QString(c);
    std::fprintf(stderr, "\n*** broken promise: %s\n", shown.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

}   // namespace fuzzsupport
