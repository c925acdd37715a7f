#pragma once
// The developer's tool run by a test, offscreen, in this test run's private folders (the
// tool inherits them): its commands, and pictures of windows (`mvtool shot`).
#include "TestEnvironment.h"
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <initializer_list>

namespace devicetest {
struct ToolRun {
    int exitCode = -1;   // -1 when it did not finish
    QString out;         // stdout
    QString err;         // stderr
};

inline ToolRun RunTool(const QString& tool, const QStringList& args) {
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

struct ToolShot {
    ToolRun run;
    QSize size;   // of the picture; empty when there is none
};

inline ToolShot TakeToolShot(const QString& tool, const QString& window) {
    const QString file = testenv::newDir(QStringLiteral("shots")) + u'/' + window + QStringLiteral(".png");
    ToolShot shot;
    shot.run = RunTool(tool, {QStringLiteral("shot"), window, file});
    shot.size = QImage(file).size();
    return shot;
}

// Each of `windows` pictured by the tool at its default size: the tool succeeds and the
// picture is at least 300 x 150.
inline void ExpectShotsAtDefaultSize(const QString& tool, std::initializer_list<const char*> windows) {
    for (const char* window : windows) {
        SCOPED_TRACE(window);
        const ToolShot shot = TakeToolShot(tool, QString::fromLatin1(window));
        EXPECT_EQ(shot.run.exitCode, 0) << shot.run.err.toStdString();
        EXPECT_GE(shot.size.width(), 300);
        EXPECT_GE(shot.size.height(), 150);
    }
}
}
