#include "core/databasefiles/DatabaseRepair.h"
#include "base/FileOps.h"
#include "dialogs/OptionsNumbers.h"
#include "StartupTestSupport.h"
#include "dialogs/frmOptions.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <sqlite3.h>

namespace {
class frmOptionsTest : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        setMainWindowServices(&mainWindow);
    }
    void TearDown() override
    {
        setFileOps(nullptr);
        StartupTest::TearDown();
    }
    template <class T> static T* control(QWidget& w, const char* name)
    {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QLineEdit* field(QWidget& w, const char* name) { return control<QLineEdit>(w, name); }
    startuptest::FakeMainWindow mainWindow;
};

// The database file cannot be moved away from its name (a read-only folder entry).
// The repaired file cannot take the working file's name.
class FailingRenames : public FileOps {
public:
    bool rename(const QString& from, const QString& to) override
    {
        if (!to.endsWith(QStringLiteral("/Mirtavolia.mdb"))) return FileOps::rename(from, to);
        m_lastError = QStringLiteral("Sola lettura");
        return false;
    }
};

// A shop file as the program makes it: a file of another program is no shop to repair.
void makeDatabaseFile(const QString& path)
{
    auto engine = std::make_shared<DBEngine>();
    engine->CreateDatabase(kDefaultDBOpenMode, path);
    engine->OpenDatabase(kDefaultDBOpenMode, path);
    LibraryGlobal::NewDatabase(NewDatabaseDefinition(), QStringLiteral("test"), nullptr)->AttachEngine(engine, nullptr);
    engine->Close();
}
}

TEST(OptionsNumbers, FormatsAndReadsWithTheDecimalComma)
{
    EXPECT_EQ(optionsnum::Format(1.5, 3, 2), QStringLiteral("001,50"));
    EXPECT_EQ(optionsnum::Format(0.05, 1, 2), QStringLiteral("0,05"));
    EXPECT_EQ(optionsnum::Format(10, 6, 0), QStringLiteral("000010"));
    EXPECT_EQ(optionsnum::Format(-2.5, 3, 2), QStringLiteral("-002,50"));
    EXPECT_EQ(optionsnum::Plain(12.5), QStringLiteral("12,5"));
    EXPECT_EQ(optionsnum::Plain(0.1 * 3), QStringLiteral("0,3"));
    EXPECT_EQ(optionsnum::Read(QStringLiteral("1.234,50")), 1234.5);
    EXPECT_EQ(optionsnum::Read(QStringLiteral("0.5")), 0.5);
    EXPECT_FALSE(optionsnum::Read(QStringLiteral("-")));
    EXPECT_FALSE(optionsnum::Read(QString()));
}

TEST(OptionsNumbers, AmountKeyFilter)
{
    struct Case {
        const char* text;
        char16_t typed;
        std::optional<QChar> entered;
    };
    const Case cases[] = {
        {"12", u'.', QChar(u',')},   // a point is entered as a comma
        {"12", u',', QChar(u',')},    {"12,5", u'.', std::nullopt},   // a second decimal mark is refused
        {"12,5", u',', std::nullopt}, {"12", u'a', std::nullopt},   // letters are refused
        {"12", u'7', QChar(u'7')},    {"", u'-', QChar(u'-')},      {"12", u'\b', QChar(u'\b')},   // backspace passes
    };
    for (const Case& c : cases)
        EXPECT_EQ(optionsnum::FilterAmountKey(QString::fromLatin1(c.text), QChar(c.typed)), c.entered)
            << c.text << " " << char(c.typed);
}

TEST_F(frmOptionsTest, LoadFillsTheFieldsAndFollowsTheSwitches)
{
    ::settings().ImportoMaxArticolo = 250;
    ::settings().ValoreArrotondamento = 0.05;
    ::settings().ImportoPunto = 10;
    ::settings().ImportoPuntoPremio = 0.5;
    ::settings().PuntiMinPremio = 100;
    ::settings().BalanceCOMPortNumber = 3;
    ::settings().Use_Ricevute = false;
    ::settings().Use_PuntiPremio = false;
    ::settings().MaintenanceMode = true;
    frmOptions w;
    EXPECT_EQ(field(w, "maskImportoMax")->text(), QStringLiteral("250"));
    EXPECT_EQ(field(w, "maskArrotondamento")->text(), QStringLiteral("0,05"));
    EXPECT_EQ(field(w, "maskImportoPunto")->text(), QStringLiteral("010,00"));
    EXPECT_EQ(field(w, "maskImportoPuntoPremio")->text(), QStringLiteral("000,50"));
    EXPECT_EQ(field(w, "maskPuntiPremio")->text(), QStringLiteral("000100"));
    EXPECT_EQ(field(w, "txtValorePremio")->text(), QStringLiteral("50"));
    EXPECT_EQ(control<QComboBox>(w, "cboCOMPortBil")->currentText(), QStringLiteral("COM3"));
    EXPECT_TRUE(field(w, "txtNemeroCopieRicevuta")->isHidden());
    EXPECT_TRUE(control<QLabel>(w, "lblNumeroCopie")->isHidden());
    EXPECT_FALSE(field(w, "maskPuntiPremio")->isEnabled());
    EXPECT_TRUE(control<QGroupBox>(w, "frameBackupRestore")->isHidden());
    EXPECT_FALSE(w.Confirmed());
    EXPECT_TRUE(mainWindow.optionsActive);
    EXPECT_FALSE(mainWindow.widget.isEnabled());
}

TEST_F(frmOptionsTest, PremiumValueNeedsTwoNumbers)
{
    frmOptions w;
    field(w, "maskPuntiPremio")->setText(QStringLiteral("20"));
    field(w, "maskImportoPuntoPremio")->setText(QStringLiteral("0,25"));
    EXPECT_EQ(field(w, "txtValorePremio")->text(), QStringLiteral("5"));
    field(w, "maskPuntiPremio")->clear();
    EXPECT_TRUE(field(w, "txtValorePremio")->text().isEmpty());
}

TEST_F(frmOptionsTest, BackupFolderControlsTheBackupFunctions)
{
    ::settings().BackupDir = QStringLiteral("/srv/backup");
    ::settings().BackupFuncSaveEnabled = true;
    ::settings().BkpSaveNotify = 0;
    frmOptions w;
    auto* save = control<QCheckBox>(w, "chkSaveData");
    auto* notify = control<QComboBox>(w, "cmbSaveNotify");
    auto* autoSave = control<QCheckBox>(w, "chkAutoSaveOnExit");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(notify->isEnabled());
    EXPECT_FALSE(autoSave->isEnabled());   // "[ mai ]"
    notify->setCurrentIndex(2);
    EXPECT_TRUE(autoSave->isEnabled());
    save->setChecked(false);
    EXPECT_FALSE(notify->isEnabled());
    EXPECT_FALSE(autoSave->isEnabled());
    save->setChecked(true);

    // A blank folder (trailing blanks trimmed) turns the functions off; the switches stay.
    field(w, "txtBkpDir")->setText(QStringLiteral("   "));
    for (const char* name : {"chkSaveData", "chkRestoreData", "chkEnableDelete"})
        EXPECT_FALSE(control<QCheckBox>(w, name)->isEnabled()) << name;
    EXPECT_FALSE(notify->isEnabled());
    EXPECT_TRUE(save->isChecked());
}

TEST_F(frmOptionsTest, OkStoresAndSavesTheSettings)
{
    frmOptions w;
    field(w, "txtBkpDir")->setText(QStringLiteral("/srv/backup"));
    field(w, "txtDefault_CodiceIVA")->setText(QStringLiteral("IVA10"));
    field(w, "txtProgrLen_ClientiForn")->setText(QStringLiteral("5 cifre"));
    field(w, "txtNemeroCopieRicevuta")->setText(QStringLiteral("3"));
    field(w, "maskImportoMax")->setText(QStringLiteral("1500,5"));
    field(w, "maskImportoPunto")->setText(QStringLiteral("012,00"));
    control<QComboBox>(w, "cboCOMPortBil")->setCurrentIndex(1);
    control<QComboBox>(w, "cmbSaveNotify")->setCurrentIndex(3);
    ASSERT_TRUE(w.Ok());
    EXPECT_TRUE(w.Confirmed());
    EXPECT_TRUE(messageBoxes().isEmpty());   // same working folder: no question
    EXPECT_EQ(::settings().BackupDir, QStringLiteral("/srv/backup"));
    EXPECT_EQ(::settings().Default_CodiceIVA, QStringLiteral("IVA10"));
    EXPECT_EQ(::settings().ProgrLen_ClientiForn, 5);
    EXPECT_EQ(::settings().NCopyRicevute, QStringLiteral("3"));
    EXPECT_EQ(::settings().ImportoMaxArticolo, 1500.5);
    EXPECT_EQ(::settings().ImportoPunto, 12.0);
    EXPECT_EQ(::settings().BalanceCOMPortNumber, 2);
    EXPECT_EQ(::settings().BkpSaveNotify, 3);
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("Default_CodiceIVA"), QString()),
              QStringLiteral("IVA10"));
    EXPECT_EQ(mainWindow.releases, 0);
}

TEST_F(frmOptionsTest, WorkingFolderChangeIsConfirmedAndReleasesTheDatabase)
{
    const QString root = ::settings().RootDir;
    frmOptions w;
    // Another spelling of the same folder: not a change.
    field(w, "txtWorkDir")->setText(root + QStringLiteral("/./"));
    ASSERT_TRUE(w.Ok());
    EXPECT_TRUE(messageBoxes().isEmpty());
    EXPECT_EQ(::settings().RootDir, root);
    EXPECT_EQ(mainWindow.releases, 0);

    // Only the letters' case: on this system another folder, asked about and stored.
    frmOptions cased;
    field(cased, "txtWorkDir")->setText(root.toUpper());
    ui->addAnswer(QStringLiteral("Yes"));
    ASSERT_TRUE(cased.Ok());
    EXPECT_EQ(messageBoxes(), QStringList {QStringLiteral("L'indirizzario di lavoro e' cambiato.\r\rConfermi ?")});
    EXPECT_EQ(::settings().RootDir, root.toUpper());
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("RootDir"), QString()), root.toUpper());
    EXPECT_EQ(mainWindow.releases, 1);
    ui->clearLog();
    mainWindow.releases = 0;
    ::settings().RootDir = root;

    frmOptions again;
    field(again, "txtWorkDir")->setText(QStringLiteral("/altra/cartella"));
    field(again, "txtDefault_CodiceIVA")->setText(QStringLiteral("IVA4"));
    ui->addAnswer(QStringLiteral("No"));
    EXPECT_FALSE(again.Ok());
    EXPECT_EQ(messageBoxes(), QStringList {QStringLiteral("L'indirizzario di lavoro e' cambiato.\r\rConfermi ?")});
    EXPECT_NE(::settings().RootDir, QStringLiteral("/altra/cartella"));
    EXPECT_NE(::settings().Default_CodiceIVA, QStringLiteral("IVA4"));   // nothing stored
    EXPECT_EQ(field(again, "txtDefault_CodiceIVA")->text(), QStringLiteral("IVA4"));   // edits kept
    EXPECT_FALSE(again.Confirmed());

    ui->addAnswer(QStringLiteral("Yes"));
    ASSERT_TRUE(again.Ok());
    EXPECT_EQ(::settings().RootDir, QStringLiteral("/altra/cartella"));
    EXPECT_EQ(mainWindow.releases, 1);
}

TEST_F(frmOptionsTest, FolderHoldingANulIsRefusedNotCut)
{
    const QString root = ::settings().RootDir;
    frmOptions w;
    field(w, "txtWorkDir")->setText(root + QChar(0) + QStringLiteral("sub"));
    EXPECT_FALSE(w.Ok());
    EXPECT_EQ(messageBoxes(),
              QStringList {QStringLiteral("Il nome dell'indirizzario contiene un carattere non valido.")});
    EXPECT_EQ(::settings().RootDir, root);
    EXPECT_FALSE(w.Confirmed());
}

TEST_F(frmOptionsTest, FieldThatIsNotANumberIsRefused)
{
    frmOptions w;
    field(w, "maskArrotondamento")->setText(QStringLiteral("-"));
    field(w, "txtWorkDir")->setText(QStringLiteral("/altra/cartella"));
    EXPECT_FALSE(w.Ok());
    EXPECT_EQ(messageBoxes(),
              QStringList {QStringLiteral("Il valore di \"Arrotondamento importi\" non è un numero valido.")});
    EXPECT_EQ(mainWindow.releases, 0);   // refused before anything was changed
    EXPECT_FALSE(w.Confirmed());
}

TEST_F(frmOptionsTest, NestedOptionsWindowsKeepTheMainWindowDisabled)
{
    {
        frmOptions options;
        {
            OptionsWindowScope advanced;
            EXPECT_EQ(OptionsWindowScope::Depth(), 2);
        }
        EXPECT_TRUE(mainWindow.optionsActive);
        EXPECT_FALSE(mainWindow.widget.isEnabled());
    }
    EXPECT_FALSE(mainWindow.optionsActive);
    EXPECT_TRUE(mainWindow.widget.isEnabled());
}

TEST_F(frmOptionsTest, AdvancedOptionsAskForTheServicePassword)
{
    frmOptions w;
    ui->addAnswer(QStringLiteral("sbagliata"));
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    w.Advanced();
    EXPECT_EQ(messageBoxes().size(), 1);   // wrong password
    EXPECT_TRUE(ui->log().filter(QStringLiteral("[frmOptionsAdvanced]")).isEmpty());

    ui->clearLog();
    ui->addAnswer(frmOptions::ServicePassword());
    ui->addAnswer(QStringLiteral("<cancel>"));   // the advanced dialog, left with Esci
    w.Advanced();
    EXPECT_TRUE(messageBoxes().isEmpty());
    EXPECT_EQ(ui->log().filter(QStringLiteral("[frmOptionsAdvanced]")).size(), 1);
}

TEST_F(frmOptionsTest, RepairOfBothFilesReportsCompletion)
{
    const QString backupDir = testenv::newDir(QStringLiteral("backup"));
    makeDatabaseFile(backupDir + QStringLiteral("/Mirtavolia.mdb"));
    ::settings().BackupDir = backupDir;
    openDatabase();   // open meanwhile: released before the repair
    frmOptions w;
    ui->addAnswer(QStringLiteral("Yes"));
    ui->addAnswer(QStringLiteral("Yes"));
    w.RepairDatabase();
    EXPECT_EQ(messageBoxes(),
              (QStringList {QStringLiteral("Questa funzione tenta il recupero del database...\r\rContinuare ?"),
                            QStringLiteral("Vuoi recuperare anche il Database di Backup ?"),
                            QStringLiteral("Recupero completato")}));
    EXPECT_EQ(mainWindow.releases, 1);
    EXPECT_FALSE(g_objDBEngine);
    EXPECT_EQ(DatabaseRepair::IntegrityCheck(databasePath()), QStringLiteral("ok"));
    EXPECT_EQ(QDir(backupDir).entryList(QDir::Files), QStringList {QStringLiteral("Mirtavolia.mdb")});
}

TEST_F(frmOptionsTest, FailedRepairIsNotReportedAsCompleted)
{
    makeDatabaseFile(databasePath());
    ::settings().MaintenanceMode = false;
    ::settings().BackupDir.clear();
    frmOptions w;
    setFileOps(std::make_shared<FailingRenames>());
    ui->addAnswer(QStringLiteral("Yes"));
    w.RepairDatabase();
    const QStringList boxes = messageBoxes();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes.at(1).startsWith(QStringLiteral("Impossibile sostituire il database")))
        << boxes.at(1).toStdString();
    EXPECT_FALSE(boxes.contains(QStringLiteral("Recupero completato")));
    EXPECT_TRUE(QFile::exists(databasePath()));
}

TEST_F(frmOptionsTest, RepairWithNoAnswerTouchesNothing)
{
    openDatabase();
    frmOptions w;
    ui->addAnswer(QStringLiteral("No"));
    w.RepairDatabase();
    EXPECT_EQ(mainWindow.releases, 0);
    EXPECT_TRUE(IsDatabaseOpen());
}
