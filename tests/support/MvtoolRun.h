#pragma once
// The developer's tool run as a separate process: its exit status (-1 when it crashed or
// did not finish), the lines it printed and what it wrote to standard error.
#ifdef MV_MVTOOL_EXE
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

struct ToolRun {
    int status = -1;
    QString out;   // standard output as written
    QStringList lines;   // its lines that hold something
    QString err;
};

// An empty `env` runs the tool in the test's own environment.
inline ToolRun mvtool(const QStringList& args, const QProcessEnvironment& env = {}, int timeoutMs = 60000)
{
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.start(QStringLiteral(MV_MVTOOL_EXE), args);
    p.waitForFinished(timeoutMs);
    ToolRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
#endif
