#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {
QTemporaryDir& tempRoot() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/mvtest-XXXXXX"));
    return dir;
}

struct PrivateFolders {
    PrivateFolders() {
        const QString r = tempRoot().path();
        QDir(r).mkpath(QStringLiteral("config"));
        QDir(r).mkpath(QStringLiteral("data"));
        QDir(r).mkpath(QStringLiteral("runtime"));
        // Qt insists on a private runtime folder and warns on every use otherwise.
        QFile::setPermissions(r + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv("XDG_CONFIG_HOME", qPrintable(r + QStringLiteral("/config")), 1);
        setenv("XDG_DATA_HOME", qPrintable(r + QStringLiteral("/data")), 1);
        setenv("XDG_RUNTIME_DIR", qPrintable(r + QStringLiteral("/runtime")), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        unsetenv("MIRTAVOLIA_PROMPTS");
        unsetenv("MIRTAVOLIA_PROMPT_LOG");
    }
} const g_privateFolders;
}

QString testenv::root() { return tempRoot().path(); }

QString testenv::newDir(const QString& name) {
    QString p = root() + u'/' + name + u'-' + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QDir().mkpath(p);
    return p;
}
