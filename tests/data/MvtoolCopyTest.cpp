// The developer's row copy between shop files, run through its command line.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status = -1;
    QString out;
};

ToolRun mvtool(const QStringList& args, const QByteArray& input = QByteArray())
{
    QProcess p;
    p.start(QStringLiteral(MV_MVTOOL_EXE), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

}   // namespace

// A source that is no shop file is an error that touches nothing: a mistyped name must not
// become a new empty shop and a copy of nothing reported as done.
TEST(MvtoolCopy, ASourceThatIsNoShopFileIsAnErrorAndTouchesNothing)
{
    const QString dir = testenv::newDir(QStringLiteral("mvtool-copy"));
    const QString target = dir + QStringLiteral("/target.mdb");
    ASSERT_EQ(
        mvtool({QStringLiteral("run"), target}, "new Articoli\nset Codice=A1\nset Descrizione=Pane\nsave\n").status, 0);

    const QString notADatabase = dir + QStringLiteral("/notes.mdb");
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a database\n");
    }
    struct Case {
        const char* name;
        QString source;
        bool exists;
    };
    const Case cases[] = {
        {"missing", dir + QStringLiteral("/mistyped.mdb"), false},
        {"not a database", notADatabase, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = c.exists ? digest(c.source) : QByteArray();
        const ToolRun r = mvtool({QStringLiteral("copy"), c.source, target, QStringLiteral("Articoli")});
        EXPECT_EQ(r.status, 1) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("rows copied"))) << r.out.toStdString();
        EXPECT_EQ(QFile::exists(c.source), c.exists);
        if (c.exists) {
            EXPECT_EQ(digest(c.source), before);
        }
        const ToolRun rows = mvtool({QStringLiteral("sql"), target, QStringLiteral("SELECT Codice FROM Articoli")});
        EXPECT_EQ(rows.out.split(u'\n', Qt::SkipEmptyParts),
                  (QStringList {QStringLiteral("Codice"), QStringLiteral("A1")}));
    }
}
#endif
