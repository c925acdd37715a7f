#include "dialogs/OperatorLogin.h"
#include "StartupTestSupport.h"
#include "objdb/TableObject.h"
#include "dialogs/frmPassword.h"
#include "dialogs/frmSelectOper.h"
#include <QComboBox>

namespace {
class OperatorLoginTest : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        openDatabase();
        g_strOperatorName.clear();
        g_varOperatorKey.clear();
    }
    void TearDown() override
    {
        frmPassword::unloadInstance();
        StartupTest::TearDown();
    }
    std::unique_ptr<TableData> operatorRow(const QString& name)
    {
        TableObject* t = g_objDatabase->Tables().Item(QStringLiteral("Operatori"));
        auto rows = t->Select(t->BuildFieldCondition(QStringLiteral("Nome"), name));
        rows->MoveFirst();
        return rows;
    }
};
}

TEST_F(OperatorLoginTest, ChoiceListsOperatorsByNameAndPreselects)
{
    struct Case {
        const char* preset;
        const char* shown;
    };
    const Case cases[] = {{"", "Amministratore"}, {"bruno", "Bruno"}, {"Nessuno", "Amministratore"}};
    for (const Case& c : cases) {
        frmSelectOper w;
        w.OperatorName = QString::fromLatin1(c.preset);
        w.Load();
        EXPECT_EQ(w.Names(),
                  (QStringList {QStringLiteral("Amministratore"), QStringLiteral("Bruno"), QStringLiteral("Zeno")}));
        EXPECT_EQ(w.findChild<QComboBox*>(QStringLiteral("CmbOperatore"))->currentText(), QString::fromLatin1(c.shown))
            << c.preset;
        EXPECT_TRUE(w.OperatorName.isEmpty());
        EXPECT_EQ(w.OperatorTable, QStringLiteral("Operatori"));
    }
}

TEST_F(OperatorLoginTest, ConfirmGivesNameAndKeyCancelGivesNothing)
{
    frmSelectOper w;
    w.Load();
    w.findChild<QComboBox*>(QStringLiteral("CmbOperatore"))->setCurrentIndex(2);
    w.Confirm();
    EXPECT_EQ(w.OperatorName, QStringLiteral("Zeno"));
    EXPECT_EQ(w.OperatorKey.toLongLong(), operatorRow(QStringLiteral("Zeno"))->GetOID());

    frmSelectOper other;
    other.Load();
    other.Cancel();
    EXPECT_TRUE(other.OperatorName.isEmpty());
}

TEST_F(OperatorLoginTest, LoginSetsTheOperatorsAccessLevel)
{
    ui->addAnswer(QStringLiteral("Amministratore"));
    ui->addAnswer(QString());   // no password: Enter
    int titles = 0;
    EXPECT_TRUE(UserLogin(nullptr, true, false, [&titles] { ++titles; }));
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Amministratore"));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 1);
    EXPECT_EQ(g_objDBEngine->User(), QStringLiteral("Amministratore"));
    EXPECT_EQ(titles, 1);

    // An operator whose level is empty works at level 0.
    ui->addAnswer(QStringLiteral("Bruno"));
    ui->addAnswer(QString());
    EXPECT_TRUE(UserLogin(nullptr, true, false));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 0);
}

TEST_F(OperatorLoginTest, WrongPasswordOrNoChoiceRefusesTheLogin)
{
    ui->addAnswer(QStringLiteral("Zeno"));
    ui->addAnswer(QStringLiteral("sbagliata"));
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    EXPECT_FALSE(UserLogin(nullptr, true, false));
    EXPECT_EQ(messageBoxes().size(), 1);

    ui->clearLog();
    ui->addAnswer(QStringLiteral("<cancel>"));   // the choice left with Annulla
    EXPECT_FALSE(UserLogin(nullptr, true, false));
    EXPECT_TRUE(g_strOperatorName.isEmpty());
    EXPECT_TRUE(ui->log().filter(QStringLiteral("[frmPassword]")).isEmpty());

    // A password change before anyone logged in asks nothing.
    ui->clearLog();
    EXPECT_FALSE(UserLogin(nullptr, false, true));
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(OperatorLoginTest, ChangedPasswordIsStoredScrambledAndAskedNextTime)
{
    ui->addAnswer(QStringLiteral("Zeno"));
    ui->addAnswer(QStringLiteral("segreto"));
    ASSERT_TRUE(UserLogin(nullptr, true, false));
    ui->addAnswer(QStringLiteral("\tnuova\tnuova"));
    ASSERT_TRUE(UserLogin(nullptr, false, true));
    EXPECT_EQ(operatorRow(QStringLiteral("Zeno"))->GetValue(QStringLiteral("Password")).toString(),
              ScrambleString(QStringLiteral("nuova"), false));

    ui->clearLog();
    ui->addAnswer(QStringLiteral("Zeno"));
    ui->addAnswer(QStringLiteral("segreto"));
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("nuova"));
    EXPECT_TRUE(UserLogin(nullptr, true, false));
    EXPECT_EQ(messageBoxes().size(), 1);   // the old one no longer passes
}
