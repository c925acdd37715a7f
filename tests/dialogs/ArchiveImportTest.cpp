#include "core/databasefiles/ArchiveImport.h"
#include "core/lifecycle/ErrorReporting.h"
#include "SmallShopDatabase.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include "dialogs/frmMessage.h"
#include <QDir>
#include <QFile>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether this process still holds the file open.
bool heldOpen(const QString& path)
{
    const QString canonical = QFileInfo(path).absoluteFilePath();
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget().startsWith(canonical)) return true;
    return false;
}

// Units only: an archive of another kind, without articles.
class UnitsOnly : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& d) override { d.AddTable(std::make_shared<smallshop::Unita>()); }
};

class ArchiveImportTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const QString dir = testenv::newDir(QStringLiteral("import"));
        archiveDir = dir + QStringLiteral("/archive");
        QDir().mkpath(archiveDir);
        archivePath = archiveDir + QStringLiteral("/Vecchio.mdb");
        {
            smallshop::Shop archive(archivePath);
            a1 = archive.article(QStringLiteral("A1"), QStringLiteral("Quaderno"), Currency::fromUnits(12500));
            archive.article(QStringLiteral("A2"), QStringLiteral("Penna"), Currency::fromUnits(9000),
                            QStringLiteral("KG"));
        }
        working = std::make_unique<smallshop::Shop>(dir + QStringLiteral("/Mirtavolia.mdb"));
        working->article(QStringLiteral("B1"), QStringLiteral("Gomma"), Currency::fromUnits(5000));
        shown = working->select(QStringLiteral("Articoli"));
        archiveBytes = readAll(archivePath);
        archiveFiles = QDir(archiveDir).entryList(QDir::Files);
    }
    void TearDown() override
    {
        setArchiveRowsViewer(nullptr);
        shown.reset();
        working.reset();
        WindowTest::TearDown();
    }
    QStringList codes() const
    {
        QStringList out;
        auto rows = working->select(QStringLiteral("Articoli"), QString(), QStringLiteral("Codice"));
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext())
            out << rows->GetValue(QStringLiteral("Codice")).toString();
        return out;
    }
    void expectArchiveUntouched()
    {
        EXPECT_EQ(readAll(archivePath), archiveBytes);
        EXPECT_EQ(QDir(archiveDir).entryList(QDir::Files), archiveFiles);
        EXPECT_FALSE(heldOpen(archivePath));
    }

    QString archiveDir, archivePath;
    QByteArray archiveBytes;
    QStringList archiveFiles;
    qint64 a1 = 0;
    std::unique_ptr<smallshop::Shop> working;
    std::unique_ptr<TableData> shown;
};

TEST_F(ArchiveImportTest, RowsAreCopiedWithTheirUnitsAndTheArchiveStaysAsItWas)
{
    ui->addAnswer(QStringLiteral("No"));   // no view
    ui->addAnswer(QStringLiteral("Yes"));   // confirm
    EXPECT_TRUE(ImportArchiveData(archivePath, *shown));
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("Vuoi visualizzare i dati che verranno importati ?"),
                            QStringLiteral("Confermi l'importazione ?"), QStringLiteral("OPERAZIONE COMPLETATA.")}));
    EXPECT_EQ(codes(), (QStringList {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("B1")}));

    auto a = working->select(QStringLiteral("Articoli"), QStringLiteral("Codice = 'A2'"));
    ASSERT_FALSE(a->IsEmpty());
    EXPECT_EQ(a->GetValue(QStringLiteral("Prezzo")).value<Currency>(), Currency::fromUnits(9000));
    // The unit is the working file's own "KG": no second copy of the default row.
    auto unit = a->GetReference(QStringLiteral("Unita"));
    EXPECT_EQ(unit->GetValue(QStringLiteral("Codice")).toString(), QStringLiteral("KG"));
    EXPECT_EQ(working->select(QStringLiteral("Unita"))->RowCount(), 2);
    expectArchiveUntouched();

    // The same archive again: its rows are the same rows, not duplicates.
    ui->clearLog();
    ui->addAnswer(QStringLiteral("No"));
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_TRUE(ImportArchiveData(archivePath, *shown));
    EXPECT_EQ(ui->prompts().last(), QStringLiteral("OPERAZIONE COMPLETATA."));
    EXPECT_EQ(codes(), (QStringList {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("B1")}));
}

TEST_F(ArchiveImportTest, DuplicateCodeRollsTheWholeImportBack)
{
    working->article(QStringLiteral("a2"), QStringLiteral("another article with the same code"),
                     Currency::fromUnits(1));
    ui->addAnswer(QStringLiteral("No"));
    ui->addAnswer(QStringLiteral("Yes"));
    ui->addAnswer(QStringLiteral("Yes"));   // the details of the error
    QString details;
    setErrorWindowPresenter([&](const QString&, const QString& text) { details = text; });
    EXPECT_FALSE(ImportArchiveData(archivePath, *shown));
    setErrorWindowPresenter(nullptr);
    EXPECT_EQ(codes(), (QStringList {QStringLiteral("a2"), QStringLiteral("B1")}));
    auto a = working->select(QStringLiteral("Articoli"), QStringLiteral("Codice = 'A2'"));
    EXPECT_EQ(a->GetValue(QStringLiteral("Descrizione")).toString(),
              QStringLiteral("another article with the same code"));
    EXPECT_TRUE(ui->prompts().last().startsWith(QStringLiteral("Impossibile importare i dati")));
    EXPECT_TRUE(ui->prompts().last().endsWith(QStringLiteral("Visualizzare dettagli ?")));
    EXPECT_TRUE(details.contains(QStringLiteral("Il valore < Codice = A2 > è già presente in < Articoli >")))
        << details.toStdString();
    EXPECT_FALSE(ui->prompts().contains(QStringLiteral("OPERAZIONE COMPLETATA.")));
    expectArchiveUntouched();
}

// The operator stops the copy as it begins: the rows already copied go back and the import
// still counts as done (the view is refreshed), with no message after the stop.
TEST_F(ArchiveImportTest, AStoppedCopyLeavesTheWorkingTableAsItWas)
{
    // Stop as the copy begins, once the first row is on its way.
    class StopAtCopy : public itfNotifyEvent {
    public:
        void OnEvent(int action, const QString&, const QString&) override
        {
            if (action == NotifyAction::CopyStarted) frmMessage::instance().RequestStop();
        }
    } stopper;
    shown.reset();
    working.reset();
    working = std::make_unique<smallshop::Shop>(
        QFileInfo(archiveDir).absolutePath() + QStringLiteral("/Mirtavolia.mdb"), &stopper);
    shown = working->select(QStringLiteral("Articoli"));
    ui->addAnswer(QStringLiteral("No"));   // no view
    ui->addAnswer(QStringLiteral("Yes"));   // confirm
    ui->addAnswer(QStringLiteral("Yes"));   // "Confermi l'interruzione ?"
    EXPECT_TRUE(ImportArchiveData(archivePath, *shown));
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("Vuoi visualizzare i dati che verranno importati ?"),
                            QStringLiteral("Confermi l'importazione ?"), QStringLiteral("Confermi l'interruzione ?")}));
    EXPECT_EQ(codes(), QStringList {QStringLiteral("B1")});
    EXPECT_EQ(working->select(QStringLiteral("Unita"))->RowCount(), 2)
        << "no unit came along with a row that went back";
    expectArchiveUntouched();
}

// An archive that cannot be read is named in the error as the operator chose it; the private
// copy the import reads from is nobody's business.
TEST_F(ArchiveImportTest, ErrorsNameTheArchiveNotThePrivateCopy)
{
    const QString broken = archiveDir + QStringLiteral("/Rotto.mdb");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    QString details;
    setErrorWindowPresenter([&](const QString&, const QString& text) { details = text; });
    ui->addAnswer(QStringLiteral("Yes"));   // the details of the error
    EXPECT_FALSE(ImportArchiveData(broken, *shown));
    setErrorWindowPresenter(nullptr);
    const QString everything = ui->prompts().join(u'\n') + u'\n' + details;
    EXPECT_TRUE(everything.contains(broken)) << everything.toStdString();
    EXPECT_FALSE(everything.contains(QDir::tempPath())) << everything.toStdString();
    EXPECT_FALSE(everything.contains(QStringLiteral("objdb_sp"))) << everything.toStdString();
    // The private copy's failure read "copy the archive into the archive" once the path was hidden.
    EXPECT_FALSE(everything.contains(QStringLiteral("> in <"))) << everything.toStdString();
}

TEST_F(ArchiveImportTest, QuestionsDecideWhatHappens)
{
    int viewed = -1;
    setArchiveRowsViewer([&](TableData& rows, QWidget*) { viewed = int(rows.RowCount()); });
    ui->addAnswer(QStringLiteral("Yes"));   // view
    ui->addAnswer(QStringLiteral("No"));   // do not import
    EXPECT_FALSE(ImportArchiveData(archivePath, *shown));
    EXPECT_EQ(viewed, 2);
    EXPECT_EQ(codes(), QStringList {QStringLiteral("B1")});
    expectArchiveUntouched();
}

TEST_F(ArchiveImportTest, ArchiveWithoutTheTableOrWithoutRows)
{
    const QString unitsOnly = archiveDir + QStringLiteral("/Unita.mdb");
    {
        auto engine = std::make_shared<DBEngine>();
        engine->CreateDatabase(3, unitsOnly);
        engine->OpenDatabase(3, unitsOnly);
        auto db = LibraryGlobal::NewDatabase(std::make_shared<UnitsOnly>(), QStringLiteral("units"), nullptr);
        db->AttachEngine(engine);
        engine->Close();
    }
    EXPECT_FALSE(ImportArchiveData(unitsOnly, *shown));
    EXPECT_EQ(ui->prompts(),
              QStringList {QStringLiteral("L'archivio selezionato non contiene dati < Articoli > da importare!")});
    EXPECT_FALSE(heldOpen(unitsOnly));

    const QString empty = archiveDir + QStringLiteral("/Vuoto.mdb");
    {
        smallshop::Shop none(empty);
    }
    ui->clearLog();
    EXPECT_TRUE(ImportArchiveData(empty, *shown));
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("L'archivio non contiene dati da importare"),
                            QStringLiteral("OPERAZIONE COMPLETATA.")}));
    EXPECT_EQ(codes(), QStringList {QStringLiteral("B1")});
}

TEST_F(ArchiveImportTest, UnreadableFileIsReportedAndNothingIsKeptOpen)
{
    const QString text = archiveDir + QStringLiteral("/testo.mdb");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a database file, only some text that is long enough to look like a header");
    f.close();
    for (const QString& path : {text, archiveDir + QStringLiteral("/manca.mdb")}) {
        SCOPED_TRACE(path.toStdString());
        ui->clearLog();
        ui->addAnswer(QStringLiteral("No"));
        EXPECT_FALSE(ImportArchiveData(path, *shown));
        ASSERT_EQ(ui->prompts().size(), 1);
        EXPECT_TRUE(ui->prompts().first().contains(QStringLiteral("Impossibile importare i dati")));
        EXPECT_FALSE(heldOpen(path));
    }
    EXPECT_EQ(readAll(text).left(12), QByteArray("this is not "));
    EXPECT_FALSE(QFile::exists(archiveDir + QStringLiteral("/manca.mdb")));
    EXPECT_EQ(codes(), QStringList {QStringLiteral("B1")});
}

TEST_F(ArchiveImportTest, CommandChoosesTheFileFirst)
{
    ui->addAnswer(QStringLiteral("<cancel>"));
    EXPECT_FALSE(ImportArchiveCommand(*shown));
    EXPECT_EQ(ui->log(), QStringList {QStringLiteral("OPENFILE: Importazione dati")});

    ui->clearLog();
    for (const QString& a : {archivePath, QStringLiteral("No"), QStringLiteral("Yes")}) ui->addAnswer(a);
    EXPECT_TRUE(ImportArchiveCommand(*shown));
    EXPECT_EQ(codes(), (QStringList {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("B1")}));
}

}   // namespace
