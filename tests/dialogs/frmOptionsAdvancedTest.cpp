#include "StartupTestSupport.h"
#include "dialogs/frmOptionsAdvanced.h"
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace {
class frmOptionsAdvancedTest : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        setMainWindowServices(&mainWindow);
    }
    static QCheckBox* box(QWidget& w, const char* name) { return w.findChild<QCheckBox*>(QString::fromLatin1(name)); }
    static QRadioButton* option(QWidget& w, int i)
    {
        return w.findChild<QRadioButton*>(QStringLiteral("optAccessMode_%1").arg(i));
    }
    startuptest::FakeMainWindow mainWindow;
};
}

TEST(frmOptionsAdvanced, AccessOptionOfTheSettings)
{
    EXPECT_EQ(frmOptionsAdvanced::AccessOption(0, false), 0);
    EXPECT_EQ(frmOptionsAdvanced::AccessOption(2, false), 2);
    EXPECT_EQ(frmOptionsAdvanced::AccessOption(1, true), 3);
    EXPECT_EQ(frmOptionsAdvanced::AccessOption(7, false), -1);   // only an import stores such a mode
}

TEST_F(frmOptionsAdvancedTest, OnlyOpeningChangesReleaseTheDatabase)
{
    struct Case {
        const char* name;
        std::function<void(frmOptionsAdvanced&)> edit;
        int releases;
    };
    const std::vector<Case> cases = {
        {"multi-user", [](frmOptionsAdvanced& w) { option(w, 1)->setChecked(true); }, 0},
        {"read only", [](frmOptionsAdvanced& w) { option(w, 2)->setChecked(true); }, 0},
        {"transactions", [](frmOptionsAdvanced& w) { box(w, "chkTransaction")->toggle(); }, 0},
        {"maintenance", [](frmOptionsAdvanced& w) { option(w, 3)->setChecked(true); }, 1},
        {"receipts", [](frmOptionsAdvanced& w) { box(w, "chkUse_Ricevute")->toggle(); }, 1},
        {"list price", [](frmOptionsAdvanced& w) { box(w, "chkUse_PrezzoAcquistoListino")->toggle(); }, 1},
        {"supplier payments", [](frmOptionsAdvanced& w) { box(w, "chkUse_PagamentiForniture")->toggle(); }, 1},
        {"badges", [](frmOptionsAdvanced& w) { box(w, "chkUse_Badge")->toggle(); }, 1},
        {"points", [](frmOptionsAdvanced& w) { box(w, "chkUse_PuntiPremio")->toggle(); }, 1},
    };
    for (const Case& c : cases) {
        LoadConfiguration();
        ::settings().RootDir = workDir;
        openDatabase();
        mainWindow.releases = 0;
        frmOptionsAdvanced w;
        c.edit(w);
        ASSERT_TRUE(w.Ok()) << c.name;
        EXPECT_EQ(mainWindow.releases, c.releases) << c.name;
        if (!c.releases) {
            EXPECT_EQ(g_objDBEngine->AccessMode(), ::settings().AccessMode) << c.name;
            EXPECT_EQ(g_objDBEngine->UseTransaction(), ::settings().UseTransaction) << c.name;
        }
        ReleaseDatabaseObjects();
        settings->remove(QStringLiteral("Configuration"), QStringLiteral("MaintenanceMode"));
        for (const char* key : {"Use_Ricevute", "Use_PrezzoAcquistoListino", "Use_PagamentoForniture", "Use_Badge",
                                "Use_PuntiPremio", "AccessMode", "UseTransaction"})
            settings->remove(QStringLiteral("Configuration"), QString::fromLatin1(key));
    }
}

TEST_F(frmOptionsAdvancedTest, OkStoresTheAccessModeAndReloadsTheGeneralOptions)
{
    frmOptions options;
    ASSERT_TRUE(options.findChild<QLineEdit*>(QStringLiteral("txtNemeroCopieRicevuta"))->isHidden());
    frmOptionsAdvanced w(&options);
    option(w, 3)->setChecked(true);
    box(w, "chkUse_Ricevute")->setChecked(true);
    ASSERT_TRUE(w.Ok());
    EXPECT_TRUE(::settings().MaintenanceMode);
    EXPECT_EQ(::settings().AccessMode, 0);
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("MaintenanceMode"), QString()),
              QStringLiteral("True"));
    // The receipt copies appear at once in the general dialog.
    EXPECT_FALSE(options.findChild<QLineEdit*>(QStringLiteral("txtNemeroCopieRicevuta"))->isHidden());

    frmOptionsAdvanced again(&options);
    option(again, 1)->setChecked(true);
    ASSERT_TRUE(again.Ok());
    EXPECT_FALSE(::settings().MaintenanceMode);
    EXPECT_EQ(::settings().AccessMode, 1);
}

TEST_F(frmOptionsAdvancedTest, ExportWritesTheStoredSection)
{
    ::settings().Default_CodiceIVA = QStringLiteral("IVA22");
    SaveConfiguration();
    frmOptionsAdvanced w;
    const QString path = workDir + QStringLiteral("/Conf_Mirtavolia_negozio");
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(path);
    w.WriteFileConfiguration();
    EXPECT_EQ(ui->log().filter(QStringLiteral("SAVEFILE: Salva Configurazione")).size(), 1);
    QFile f(path + QStringLiteral(".txt"));   // the default extension is added
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Default_CodiceIVA=IVA22\r\n"));

    // Cancelled: nothing written, no error.
    ui->clearLog();
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    w.WriteFileConfiguration();
    EXPECT_EQ(messageBoxes().size(), 1);   // only the reminder to press OK first
}

TEST_F(frmOptionsAdvancedTest, ImportShowsTheErrorAndReloadsBothDialogs)
{
    SaveConfiguration();
    frmOptions options;
    frmOptionsAdvanced w(&options);
    const QString path = workDir + QStringLiteral("/conf.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Use_Ricevute=True\r\nDefault_CodiceIVA=IVA4\r\n");
    f.close();

    // Unsaved edits are replaced by what is stored.
    box(w, "chkUse_Badge")->setChecked(true);
    ui->addAnswer(path);
    w.ReadFileConfiguration();
    EXPECT_TRUE(messageBoxes().isEmpty());
    EXPECT_TRUE(box(w, "chkUse_Ricevute")->isChecked());
    EXPECT_FALSE(box(w, "chkUse_Badge")->isChecked());
    EXPECT_EQ(options.findChild<QLineEdit*>(QStringLiteral("txtDefault_CodiceIVA"))->text(), QStringLiteral("IVA4"));
    EXPECT_FALSE(options.findChild<QLineEdit*>(QStringLiteral("txtNemeroCopieRicevuta"))->isHidden());

    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Default_CodiceIVA=IVA10\r\nRootDir=a=b\r\n");
    f.close();
    ui->addAnswer(path);
    w.ReadFileConfiguration();
    EXPECT_EQ(messageBoxes(),
              QStringList {QStringLiteral("Errore durante la lettura del file di configurazione\r"
                                          "Una variabile contiene il carattere =, non è possibile continuare")});
    EXPECT_EQ(::settings().Default_CodiceIVA, QStringLiteral("IVA4"));

    ui->clearLog();
    g_bBackupArchiveMode = true;
    w.ReadFileConfiguration();
    EXPECT_EQ(messageBoxes().size(), 1);
    EXPECT_TRUE(ui->log().filter(QStringLiteral("OPENFILE")).isEmpty());
}
