// Moving a finished document into the backup archive: whole in one file, gone from the
// other, no rule run on the way; refusals, confirmation and failures on either side.
#include "BusinessFixture.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "HeadlessGuard.h"
#include "objdb/SqlConnection.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace business;

namespace {

class Archive : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings().RootDir = m_root;
        settings().BackupDir = testenv::newDir("archivio");
        g_nDBOpenMode = 3;
        g_bBackupArchiveMode = false;
        setErrorWindowPresenter([this](const QString&, const QString& text) { shownErrors << text; });

        shop.select("Depositi")->AddRow({"Deposito", "", "Descrizione", "Predefinito"});
        shop.select("Articoli")
            ->AddRow({"Codice", "A", "Descrizione", "Articolo A", "PrezzoVendita", money("2"), "ValoreScorta", 10.0});
        shop.select("Clienti")->AddRow({"Descrizione", "Rossi", "Codice", "C1"});
        auto customer = shop.select("Clienti");
        customer->GetReference("Buoni")->AddRow(
            {"Descrizione", "Buono", "ImportoBuono", money("20"), "ImportoUtilizzato", money("5")});
    }
    void TearDown() override
    {
        if (g_objBackupDBEngine) g_objBackupDBEngine->Close();
        g_objBackupDBEngine.reset();
        setErrorWindowPresenter(nullptr);
    }

    // A sale of two lines of A, for Rossi, paid in part with Rossi's voucher.
    std::unique_ptr<TableData> addSale(const QString& note)
    {
        auto sale = shop.select("Vendite", "OID = 0");
        sale->NewRow();
        sale->SetValue("Note", note);
        sale->SetReferenceByKey("Cliente", "C1");
        sale->SetValue("ImportoVendita", money("10"));
        sale->Update();
        const QVariant article = shop.scalar("SELECT OID FROM Articoli WHERE Codice = 'A'");
        sale->GetReference("Articoli")
            ->AddRow({"objParent", article, "ValoreScarico", 3.0, "ImportoScarico", money("6")});
        sale->GetReference("Articoli")
            ->AddRow({"objParent", article, "ValoreScarico", 2.0, "ImportoScarico", money("4")});
        const QVariant voucher = shop.scalar("SELECT OID FROM BuoniClienti");
        auto use = sale->GetReference("BuoniUtilizzati");
        use->NewRow();
        use->SetValue("ImportoUtilizzatoVendita", money("5"));
        use->SetReferenceOID("Buono", voucher.toLongLong());
        use->Update();
        return shop.select("Vendite", "Note = '" + note + "'");
    }
    static QList<QVariantList> rowsOf(DBEngine& engine, const QString& sql)
    {
        return engine.GetConnection().Query(sql).rows;
    }
    qint64 workingCount(const QString& table) { return shop.scalar("SELECT COUNT(*) FROM " + table).toLongLong(); }
    QString backupFile() const { return settings().BackupDir + "/Mirtavolia.mdb"; }
    double stock() { return shop.scalar("SELECT ValoreScorta FROM Articoli").toDouble(); }
    double voucherUsed() { return shop.scalar("SELECT ImportoUtilizzato FROM BuoniClienti").toDouble(); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    QString m_root = testenv::newDir("lavoro");
    Shop shop {m_root + "/Mirtavolia.mdb"};
    QStringList shownErrors;
};

const QString kSaleRows = "SELECT OID, ImportoVendita, Note, Punti, OID_Cliente FROM Vendite ORDER BY OID";
const QString kLineRows = "SELECT OID, objParent, ImportoScarico, ValoreScarico FROM ScaricoArticoli ORDER BY OID";
const QString kLinks = "SELECT OwnerOID, MemberOID FROM [Vendite$Articoli] ORDER BY MemberOID";

TEST_F(Archive, ASaleMovesWholeWithItsLinesAndLeavesStockAndVouchersAlone)
{
    auto sale = addSale("prima");
    const auto saleRows = rowsOf(*shop.engine, kSaleRows);
    const auto lineRows = rowsOf(*shop.engine, kLineRows);
    const auto links = rowsOf(*shop.engine, kLinks);
    ASSERT_EQ(lineRows.size(), 2);

    EXPECT_TRUE(MoveToArchive(nullptr, sale.get(), true, false));
    EXPECT_TRUE(ui->prompts().isEmpty()) << ui->prompts().join("|").toStdString();
    ASSERT_TRUE(g_objBackupDBEngine);
    EXPECT_TRUE(QFileInfo::exists(backupFile())) << "the archive was created at the first move";

    EXPECT_EQ(workingCount("Vendite"), 0);
    EXPECT_EQ(workingCount("ScaricoArticoli"), 0);
    EXPECT_EQ(workingCount("BuoniVendite"), 0);
    EXPECT_EQ(workingCount("[Vendite$Articoli]"), 0);
    EXPECT_EQ(stock(), 10.0) << "no line gave its quantity back";
    EXPECT_EQ(voucherUsed(), 5.0) << "no voucher use was given back";
    EXPECT_TRUE(sale->HasNoCurrentRow());

    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, kSaleRows), saleRows);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, kLineRows), lineRows);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, kLinks), links);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, "SELECT COUNT(*) FROM BuoniVendite").value(0).value(0).toLongLong(), 1);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, "SELECT Codice FROM Articoli").value(0).value(0).toString(), "A")
        << "the lines' article came along";

    // The next move uses the archive already open.
    const DBEngine* engine = g_objBackupDBEngine.get();
    auto second = addSale("seconda");
    EXPECT_TRUE(MoveToArchive(nullptr, second.get(), true, false));
    EXPECT_EQ(g_objBackupDBEngine.get(), engine);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, "SELECT COUNT(*) FROM Vendite").value(0).value(0).toLongLong(), 2);
    EXPECT_EQ(workingCount("Vendite"), 0);
}

// A backup folder that is the working one under any spelling is refused before anything
// happens: no question, no archive file, nothing moved.
TEST_F(Archive, TheWorkingFolderIsNoBackupFolderUnderAnySpelling)
{
    const QString link = testenv::newDir("collegamenti") + "/lavoro";
    ASSERT_TRUE(QFile::link(m_root, link));
    const QString parent = QFileInfo(m_root).absolutePath();
    struct Case {
        const char* name;
        QString backup;
    };
    const Case cases[] = {
        {"the same text", m_root},
        {"a trailing separator", m_root + "/"},
        {"a detour", m_root + "/../" + QFileInfo(m_root).fileName()},
        {"a dot", parent + "/./" + QFileInfo(m_root).fileName()},
        {"a symbolic link", link},
        {"a link with a trailing separator", link + "/"},
    };
    auto sale = addSale("resta");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings().BackupDir = c.backup;
        ui->clearLog();
        EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), false, false));
        EXPECT_EQ(ui->prompts(),
                  QStringList {"L'indirizzario di backup <" + c.backup
                               + "> non puo' corrispondere a quello dell'archivio di lavoro"});
        EXPECT_FALSE(g_objBackupDBEngine);
        EXPECT_EQ(workingCount("Vendite"), 1);
        EXPECT_EQ(workingCount("ScaricoArticoli"), 2);
    }
    EXPECT_EQ(QDir(m_root).entryList({"*.mdb"}, QDir::Files), QStringList {"Mirtavolia.mdb"});
    // On this system a name differing in letter case is another folder.
    EXPECT_TRUE(BackupFolderAllowed(m_root, m_root.toUpper(), nullptr));
    EXPECT_TRUE(BackupFolderAllowed(m_root, m_root + "/Archivio", nullptr));

    settings().BackupDir = "  ";
    ui->clearLog();
    EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), true, false));
    EXPECT_EQ(ui->prompts(), QStringList {QString::fromUtf8("L'indirizzario di backup non è impostato.")});

    // The file the sale lives in is the working one, whatever RootDir says.
    settings().RootDir = testenv::newDir("altrove");
    settings().BackupDir = m_root;
    ui->clearLog();
    EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), true, false));
    EXPECT_EQ(ui->prompts().size(), 1);
    EXPECT_EQ(workingCount("Vendite"), 1);
}

TEST_F(Archive, OnlyDocumentsWithACurrentRowMove)
{
    EXPECT_FALSE(MoveToArchive(nullptr, nullptr, true, false));
    EXPECT_TRUE(ui->prompts().isEmpty());

    auto article = shop.select("Articoli");
    EXPECT_FALSE(MoveToArchive(nullptr, article.get(), true, false));
    auto none = shop.select("Vendite", "OID = 0");
    EXPECT_FALSE(MoveToArchive(nullptr, none.get(), true, false));
    EXPECT_EQ(ui->prompts(),
              (QStringList {QString::fromUtf8("L'elemento <Articoli> non può essere spostato."),
                            "Nessun elemento da spostare."}));
    EXPECT_EQ(workingCount("Articoli"), 1);
    EXPECT_FALSE(QFileInfo::exists(backupFile()));
}

TEST_F(Archive, TheMoveIsConfirmedUnlessSkipped)
{
    auto sale = addSale("chiedi");
    const QString question = QString::fromUtf8("ATTENZIONE\r\rL'elemento selezionato verrà spostato nell'archivio:\r")
        + backupFile() + "\r\rConfermi ?";
    ui->addAnswer("No");
    EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), false, false));
    EXPECT_EQ(ui->prompts(), QStringList {question});
    EXPECT_EQ(workingCount("Vendite"), 1);
    EXPECT_FALSE(QFileInfo::exists(backupFile()));

    ui->addAnswer("Yes");
    EXPECT_TRUE(MoveToArchive(nullptr, sale.get(), false, true));
    EXPECT_EQ(workingCount("Vendite"), 0);
}

// The working file refuses to let the sale go: the copy is taken back out of the archive, so
// the sale stays in the working file only, and the error is reported.
TEST_F(Archive, AFailedRemovalLeavesTheDocumentOnlyInTheWorkingFile)
{
    auto sale = addSale("bloccata");
    const auto lineRows = rowsOf(*shop.engine, kLineRows);
    shop.engine->sql().execute(
        "CREATE TRIGGER blocca BEFORE DELETE ON \"Vendite\" BEGIN SELECT RAISE(ABORT, 'eliminazione bloccata'); END");
    ui->addAnswer("Yes");   // to see the details of the error
    EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), true, false));

    EXPECT_EQ(workingCount("Vendite"), 1);
    EXPECT_EQ(rowsOf(*shop.engine, kLineRows), lineRows);
    EXPECT_FALSE(g_objBackupDBEngine) << "the next move opens the archive again";
    DBEngine archive;
    archive.OpenDatabase(3, backupFile());
    EXPECT_EQ(rowsOf(archive, "SELECT COUNT(*) FROM Vendite").value(0).value(0).toLongLong(), 0);
    EXPECT_EQ(rowsOf(archive, "SELECT COUNT(*) FROM ScaricoArticoli").value(0).value(0).toLongLong(), 0);
    archive.Close();
    ASSERT_EQ(shownErrors.size(), 1);
    EXPECT_TRUE(shownErrors[0].startsWith("Si e' verificato un errore: ")) << shownErrors[0].toStdString();
    EXPECT_TRUE(shownErrors[0].contains("eliminazione bloccata"));
    EXPECT_TRUE(shownErrors[0].endsWith("CHIUDERE COMPLETAMENTE IL PROGRAMMA E RIPROVARE."));

    // Once the working file lets it go, the move goes through.
    shop.engine->sql().execute("DROP TRIGGER blocca");
    EXPECT_TRUE(MoveToArchive(nullptr, sale.get(), true, false));
    EXPECT_EQ(workingCount("Vendite"), 0);
    EXPECT_EQ(rowsOf(*g_objBackupDBEngine, kLineRows), lineRows);
}

TEST_F(Archive, AFailedCopyLeavesTheDocumentInTheWorkingFile)
{
    auto first = addSale("prima");
    ASSERT_TRUE(MoveToArchive(nullptr, first.get(), true, false));
    g_objBackupDBEngine->sql().execute(
        "CREATE TRIGGER piena BEFORE INSERT ON \"Vendite\" BEGIN SELECT RAISE(ABORT, 'archivio pieno'); END");
    auto sale = addSale("seconda");
    EXPECT_FALSE(MoveToArchive(nullptr, sale.get(), true, false));
    EXPECT_EQ(workingCount("Vendite"), 1);
    EXPECT_EQ(workingCount("ScaricoArticoli"), 2);
    EXPECT_FALSE(g_objBackupDBEngine);
    EXPECT_EQ(ui->prompts().size(), 1) << "the error question";
}

}   // namespace
