// Changing operator and password from the main window's menu: the rights of the operator
// before never outlive a change that did not succeed.
#include "mainwindow/OperatorSession.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "MainWindowShop.h"
#include "dialogs/OperatorLogin.h"

namespace {
class OperatorSessionTest : public MainWindowShop {
protected:
    void SetUp() override
    {
        openShop(QStringLiteral("Amministratore"));
        ASSERT_EQ(g_objDatabase->AccessLevel(), 1);
    }
    int titles = 0;
    std::function<void()> setTitle = [this] { ++titles; };
};
}   // namespace

TEST_F(OperatorSessionTest, ANewOperatorGetsOwnLevel)
{
    answer({"Operatore", ""});
    EXPECT_TRUE(OperatorSession::ChangeOperator(nullptr, setTitle));
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Operatore"));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 0);   // LivelloAccesso empty
    EXPECT_EQ(titles, 1);

    answer({"Amministratore", ""});
    EXPECT_TRUE(OperatorSession::ChangeOperator(nullptr, setTitle));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 1);
    EXPECT_FALSE(answersLeft());
}

TEST_F(OperatorSessionTest, ARefusedChangeLeavesNoRights)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> answers;
    };
    const Case cases[] = {
        {"wrong password, then the window left", {"Operatore", "sbagliata", "OK", "<cancel>"}},
        {"no operator chosen", {"<cancel>"}},
        {"password window left at once", {"Amministratore", "<cancel>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_objDatabase->SetAccessLevel(1);
        answer(c.answers);
        EXPECT_FALSE(OperatorSession::ChangeOperator(nullptr, setTitle));
        EXPECT_EQ(g_objDatabase->AccessLevel(), 0);
        EXPECT_FALSE(answersLeft());
    }
}

TEST_F(OperatorSessionTest, ARefusedPasswordChangeKeepsTheOperatorAsHeWas)
{
    answer({"<cancel>"});
    EXPECT_FALSE(OperatorSession::ChangePassword(nullptr));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 1);
    EXPECT_EQ(g_strOperatorName, QStringLiteral("Amministratore"));

    // Before any operator was chosen nothing is asked.
    g_strOperatorName.clear();
    prompts->clearLog();
    EXPECT_FALSE(OperatorSession::ChangePassword(nullptr));
    EXPECT_TRUE(log().isEmpty());
}
