#pragma once
// The developer's tool run by a test, offscreen, in this test run's private folders (the
// tool inherits them): its commands.
#include "TestEnvironment.h"
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace devicetest {
struct ToolRun {
    int exitCode = -1;   // -1 when it did not finish
    QString out;   // stdout
    QString err;   // stderr
};

inline ToolRun RunTool(const QString& tool, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(tool, args);
    ToolRun run;
    if (!p.waitForFinished(60000)) return run;
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}
}
