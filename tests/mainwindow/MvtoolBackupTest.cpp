// The developer's tool saves, restores and runs the reminder engine on the working database
// of a configuration, answering the program's questions from a file.
#include "BackupShop.h"
#include "MvtoolRun.h"
#include "TestEnvironment.h"
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QUuid>

#ifdef MV_MVTOOL_EXE

namespace {

class MvtoolBackup : public BackupShop {
protected:
    MvtoolBackup()
    {
        m_config = testenv::newDir("mvtool-config");
        IniSettingsStore ini(m_config + "/Mirtavolia/Mirtavolia.ini");
        ini.set("Configuration", "RootDir", rootDir());
        ini.set("Configuration", "BackupDir", backupDir());
        ini.set("Configuration", "ImportoPunto", "10");
        ini.set("Configuration", "Use_PuntiPremio", "True");
        ini.sync();
    }

    ToolRun tool(const QStringList& args, const QStringList& answers = {})
    {
        const QString file = m_config + "/answers-" + QUuid::createUuid().toString(QUuid::Id128);
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((answers.join('\n') + '\n').toUtf8());
        f.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", m_config);
        env.insert("MIRTAVOLIA_PROMPTS", file);
        return mvtool(args, env, 120000);
    }

private:
    QString m_config;
};

TEST_F(MvtoolBackup, SavesAndRestoresAPeriodKeepingStockAndPoints)
{
    addArticle("A", 100);
    const qint64 customer = addCustomer("C1");
    const qint64 done = sale(QDateTime(QDate(2007, 3, 5), QTime(10, 0)), true, "A", 3, customer);
    const qint64 open = sale(QDateTime(QDate(2007, 3, 6), QTime(10, 0)), false, "A", 2, customer);
    const double stockBefore = stock("A");
    const qint64 pointsBefore = points(customer);

    ToolRun r = tool({"backup", "--from", "2007-03-01", "--to", "05/03/2007", "--delete"}, {"Yes", "Yes", "OK"});
    ASSERT_EQ(r.status, 0) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.contains("MSGBOX: Salvataggio dei dati effettuato.\\r\\rConfermi l'eliminazione dei dati di "
                                 "Fornitura e di Vendita <dal 01/03/2007 al 05/03/2007> dall'archivio di origine ?"));
    EXPECT_TRUE(r.lines.contains("PROGRESS: Salvataggio dei dati <Vendite> dal 01/03/2007 al 05/03/2007..."));
    EXPECT_EQ(r.lines.last(), "COMPLETED");
    EXPECT_EQ(oids(workingPath(), "Vendite"), QList<qint64> {open});
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {done});
    EXPECT_EQ(stock("A"), stockBefore);
    EXPECT_EQ(points(customer), pointsBefore);

    r = tool({"backup", "--restore", "--from", "2007-03-01", "--to", "2007-03-05", "--delete"}, {"Yes", "Yes", "OK"});
    ASSERT_EQ(r.status, 0) << r.lines.join('\n').toStdString();
    EXPECT_EQ(oids(workingPath(), "Vendite"), (QList<qint64> {done, open}));
    EXPECT_EQ(oids(backupPath(), "Vendite"), QList<qint64> {});
    EXPECT_EQ(stock("A"), stockBefore);
    EXPECT_EQ(points(customer), pointsBefore);

    r = tool({"backup", "--from", "2007-03-01"}, {"No"});
    EXPECT_EQ(r.lines.last(), "CANCELLED");
    EXPECT_EQ(r.status, 1);
}

TEST_F(MvtoolBackup, TheQuestionComesBeforeTheWorkItLetsStart)
{
    addArticle("A", 100);
    sale(QDateTime(QDate(2007, 3, 5), QTime(10, 0)), true, "A", 1, 0);
    const ToolRun r = tool({"backup", "--from", "2007-03-01", "--to", "2007-03-31"}, {"Yes", "OK"});
    ASSERT_EQ(r.status, 0) << r.lines.join('\n').toStdString();
    const qsizetype asked = r.lines.indexOf(QRegularExpression("^MSGBOX: Verranno salvati i dati nell'archivio:.*"));
    const qsizetype working = r.lines.indexOf(QRegularExpression("^PROGRESS: .*"));
    ASSERT_GE(asked, 0);
    ASSERT_GE(working, 0);
    EXPECT_LT(asked, working) << r.lines.join('\n').toStdString();
}

TEST_F(MvtoolBackup, WrongArgumentsAreRefusedBeforeAnythingRuns)
{
    const QStringList cases[] = {
        {"backup", "--from", "yesterday"},
        {"backup", "--to"},
        {"backup", "--bogus"},
        {"reminders", "--at", "nonsense"},
        {"reminders", "--close", "abc"},
        {"reminders", "--postpone", "abc=1 settimana"},
        {"reminders", "--postpone", "12"},
    };
    for (const QStringList& args : cases) EXPECT_EQ(tool(args).status, 2) << args.join(' ').toStdString();
}

TEST_F(MvtoolBackup, ReminderRuleOnSupplyDatesMakesOneReminderAndPostponesAWeek)
{
    addArticle("A", 10);
    supply(QDateTime(QDate(2007, 3, 11), QTime(9, 0)), true, "A", 5);
    select("ImpostazioniPromemoria")
        ->AddRow({"NomeTabella", "Forniture", "NomeCampoData", "DataFornitura", "GiorniDiPreavviso", 2,
                  "MessaggioDiNotifica", "Arriva la fornitura del <%DataFornitura%>"});

    ToolRun r = tool({"reminders", "--at", "2007-03-10T12:00:00"}, {"No"});
    ASSERT_EQ(r.status, 0) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.contains("CREATED 1"));
    EXPECT_TRUE(r.lines.contains("MSGBOX: NUOVO PROMEMORIA...\\r\\rVuoi visualizzare i promemoria ?"));
    ASSERT_EQ(r.lines.last().split('\t').value(1), "10/03/2007 12:00:00 - Arriva la fornitura del 11/03/2007 09:00:00");
    const QString key = r.lines.last().split('\t').value(0);

    r = tool({"reminders", "--at", "2007-03-10T12:01:00"});
    EXPECT_TRUE(r.lines.contains("CREATED 0"));
    EXPECT_EQ(value(workingPath(), "SELECT COUNT(*) FROM Promemoria").toInt(), 1);

    r = tool({"reminders", "--at", "2007-03-10T12:30:00", "--postpone", key + "=1 settimana"});
    EXPECT_FALSE(r.lines.last().startsWith(key)) << "no longer due";
    EXPECT_EQ(value(workingPath(), "SELECT DataProssimaNotifica FROM Promemoria").toString(), "2007-03-17 12:30:00")
        << "10,080 minutes after the command";
}

}   // namespace

#endif
