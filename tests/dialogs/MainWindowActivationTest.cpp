// The main window's activation without a window: opening, login and the failure's offer of
// the settings, driven through the answer lines and a fake main window.
#include "dialogs/MainWindowActivation.h"
#include "dialogs/OperatorLogin.h"
#include "StartupTestSupport.h"
#include "objdb/TableObject.h"

namespace {
using Outcome = MainWindowActivation::Outcome;

const QString kCreate = QStringLiteral("Il database non è presente\r\rVuoi crearlo ?");
const QString kFailed = QStringLiteral("Database non inizializzato...\r\rVuoi cambiare le impostazioni ?");

class Activation : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        setMainWindowServices(&window);
        g_strOperatorName.clear();
        g_varOperatorKey.clear();
    }
    Outcome activate(std::initializer_list<const char*> answers)
    {
        for (const char* a : answers) ui->addAnswer(QString::fromUtf8(a));
        const Outcome o = activation.Activate(window);
        EXPECT_FALSE(ui->hasAnswers()) << "answers left over";
        return o;
    }
    startuptest::FakeMainWindow window;
    MainWindowActivation activation;
};
}

TEST_F(Activation, MissingDatabaseIsCreatedAndTheOperatorLogsIn)
{
    EXPECT_EQ(activate({"Yes", "Amministratore", ""}), Outcome::Ready);
    EXPECT_EQ(messageBoxes(), QStringList {kCreate});
    EXPECT_TRUE(QFile::exists(databasePath()));
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Amministratore"));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 1);
    EXPECT_TRUE(activation.OpenedBefore());
    EXPECT_FALSE(activation.Activating());

    // Later activations find everything in place and ask nothing.
    ui->clearLog();
    EXPECT_EQ(activate({}), Outcome::Ready);
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(Activation, NoToCreationOffersTheSettingsAndNoAgainCloses)
{
    EXPECT_EQ(activate({"No", "<cancel>", "No"}), Outcome::Close);
    ASSERT_EQ(messageBoxes().size(), 2);
    EXPECT_EQ(messageBoxes()[0], kCreate);
    EXPECT_TRUE(messageBoxes()[1].endsWith(kFailed)) << messageBoxes()[1].toStdString();
    EXPECT_FALSE(QFile::exists(databasePath()));
    EXPECT_EQ(window.releases, 1);
    EXPECT_FALSE(activation.OpenedBefore());

    // Yes to the settings shows them (here left again); the next activation tries anew.
    ui->clearLog();
    EXPECT_EQ(activate({"No", "<cancel>", "Yes", "<cancel>"}), Outcome::SettingsOffered);
    EXPECT_EQ(ui->log().filter(QStringLiteral("INPUT: [frmOptions]")).size(), 2);
    EXPECT_FALSE(activation.Activating());
    EXPECT_EQ(activate({"Yes", "Bruno", ""}), Outcome::Ready);
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Bruno"));
}

TEST_F(Activation, WrongPasswordIsAskedAgainAndCancelClosesTheWindow)
{
    openDatabase();   // a database in the working folder, not open yet
    ReleaseDatabaseObjects();
    EXPECT_EQ(activate({"Zeno", "sbagliata", "OK", "<cancel>"}), Outcome::Close);
    EXPECT_EQ(messageBoxes(),
              QStringList {QStringLiteral("La password non è corretta.\r\rFare attenzione all'utilizzo "
                                          "delle maiuscole/minuscole")});
    EXPECT_EQ(window.releases, 0);

    ui->clearLog();
    ReleaseDatabaseObjects();   // what the window's close does
    EXPECT_EQ(activate({"zeno", "sbagliata", "OK", "segreto"}), Outcome::Ready);
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Zeno"));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 0);
    EXPECT_EQ(g_objDBEngine->User(), QStringLiteral("Zeno"));
}

TEST_F(Activation, NothingRunsWhileOptionsAreOpenOrAnOpeningIsUnderWay)
{
    window.optionsActive = true;
    EXPECT_EQ(activate({}), Outcome::Skipped);
    EXPECT_TRUE(ui->log().isEmpty());
    EXPECT_FALSE(g_objDatabase);

    // An activation raised while the login runs the event loop does nothing.
    window.optionsActive = false;
    std::optional<Outcome> nested;
    QTimer::singleShot(0, [&] { nested = activation.Activate(window); });
    EXPECT_EQ(activate({"Yes", "Amministratore", ""}), Outcome::Ready);
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(*nested, Outcome::Skipped);
}
