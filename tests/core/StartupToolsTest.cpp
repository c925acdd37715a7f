// The developer's start-up commands, run as the developer runs them.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
class StartupTools : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = testenv::newDir(QStringLiteral("tool"));
        for (const char* d : {"config", "data", "tmp"}) QDir(m_root).mkpath(QString::fromLatin1(d));
    }
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run mvtool(const QStringList& args, const QByteArray& input = QByteArray()) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root + QStringLiteral("/data"));
        env.insert(QStringLiteral("TMPDIR"), m_root + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(MV_MVTOOL_EXE), args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    // The stored value as the program loads it.
    QString setting(const QString& key) {
        const QString prefix = QStringLiteral("Configuration/") + key + u'=';
        for (const QString& line : mvtool({QStringLiteral("config-dump")}).out.split(u'\n'))
            if (line.startsWith(prefix)) return line.mid(prefix.size());
        return QString();
    }
    QString file(const char* name) const { return m_root + u'/' + QString::fromLatin1(name); }
    static void writeFile(const QString& path, const QByteArray& content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    static void sql(const QString& path, const char* statements) {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        char* error = nullptr;
        if (sqlite3_exec(db, statements, nullptr, nullptr, &error) != SQLITE_OK) ADD_FAILURE() << error;
        sqlite3_free(error);
        sqlite3_close(db);
    }
    static qint64 scalar(const QString& path, const char* query) {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, query, -1, &st, nullptr);
        const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return v;
    }
    QString m_root;
};
}

TEST_F(StartupTools, ConfigurationRoundTripsThroughTheExchangeFile) {
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA22")}).exitCode, 0);
    ASSERT_EQ(mvtool({QStringLiteral("config-save")}).exitCode, 0);
    ASSERT_EQ(mvtool({QStringLiteral("config-export"), file("conf.txt")}).exitCode, 0);
    QFile exported(file("conf.txt"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    EXPECT_TRUE(text.contains("Default_CodiceIVA=IVA22\r\n"));

    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA4")}).exitCode, 0);
    const Run import = mvtool({QStringLiteral("config-import"), file("conf.txt")});
    EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_EQ(setting(QStringLiteral("Default_CodiceIVA")), QStringLiteral("IVA22"));

    // A line holding two "=" stops the import before anything is written.
    writeFile(file("bad.txt"), "Default_CodiceIVA=IVA10\r\nRootDir=/dati=vecchi\r\n");
    const Run bad = mvtool({QStringLiteral("config-import"), file("bad.txt")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("Una variabile contiene il carattere =, non è possibile continuare"))) << bad.err.toStdString();
    EXPECT_EQ(setting(QStringLiteral("Default_CodiceIVA")), QStringLiteral("IVA22"));
}

// Jet writes True as -1: a filter of the data-set commands reads it as the stored 1.
TEST_F(StartupTools, RunFiltersFindTheSameRowsWhateverFormOfTrue) {
    const Run r = mvtool({QStringLiteral("run"), file("Mirtavolia.mdb")},
                         "new Vendite\nset Completato=True\nsave\nnew Vendite\nsave\nselect Vendite\n"
                         "filter Completato = -1\nfilter Completato = True\nfilter Not Completato\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("Vendite: 2 rows"), QStringLiteral("Vendite: 1 rows"), QStringLiteral("Vendite: 1 rows"),
                           QStringLiteral("Vendite: 1 rows")}));
}

TEST_F(StartupTools, RepairShrinksTheFileAndKeepsEveryRow) {
    const QString db = file("Mirtavolia.mdb");
    sql(db, "CREATE TABLE Scratch(a);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5000)"
            " INSERT INTO Scratch SELECT randomblob(300) FROM c;"
            "DELETE FROM Scratch WHERE rowid % 25 <> 0;");
    const qint64 before = QFileInfo(db).size();
    const Run r = mvtool({QStringLiteral("repair"), db});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_LT(QFileInfo(db).size(), before);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Scratch"), 200);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
    // Opened once through the library: the shop's tables are declared in it too.
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Operatori"), 2);
    EXPECT_EQ(QDir(m_root).entryList(QDir::Files), QStringList{QStringLiteral("Mirtavolia.mdb")});
}
#endif
