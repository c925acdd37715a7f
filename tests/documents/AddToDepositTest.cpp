// Adding an article code to a deposit: a code of another deposit becomes a new article of
// the chosen one, the same code twice in one deposit is refused, and what the operator is
// told when the code or the deposit is missing.
#include "documents/AddToDeposit.h"
#include "SearchShop.h"

namespace {

using Outcome = AddToDeposit::Outcome;

class DepositAdding : public SearchShop {
protected:
    void SetUp() override
    {
        SearchShop::SetUp();
        m_add = std::make_unique<AddToDeposit>(db(), op);
        centro = deposit(QStringLiteral("Centro"));
        nord = deposit(QStringLiteral("Nord"));
    }
    qint64 deposit(const QString& name)
    {
        return select(QStringLiteral("Depositi"), QStringLiteral("OID = 0"))
            ->AddRow({QStringLiteral("Deposito"), name});
    }
    // The deposits that have an article of this code, by name.
    QStringList depositsOf(const QString& code)
    {
        QStringList names;
        auto rows = select(QStringLiteral("Articoli"), QStringLiteral("Codice = ") + db().QuoteText(code));
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext())
            names << rows->GetReference(QStringLiteral("Deposito"))->GetText(QStringLiteral("Deposito"));
        names.sort();
        return names;
    }
    AddToDeposit& add() { return *m_add; }

    qint64 centro = 0, nord = 0;

private:
    std::unique_ptr<AddToDeposit> m_add;
};

const QString kExists = QStringLiteral("L'articolo esiste nel deposito selezionato.");

TEST_F(DepositAdding, TheSameCodeIsANewArticleInAnotherDepositAndRefusedInTheSameOne)
{
    addArticle(QStringLiteral("8001"), "1.00", 0, QStringLiteral("QntPzz"), "1.00", QStringLiteral("Centro"));

    const AddToDeposit::Result created = add().Add(QStringLiteral("8001"), nord);
    EXPECT_EQ(created.outcome, Outcome::Created);
    EXPECT_TRUE(created.clearCode());
    EXPECT_EQ(op.log, QStringList {"new Articoli"});
    EXPECT_EQ(op.lastPresets, (QVariantList {"Codice", "8001", "Deposito", nord}));
    EXPECT_EQ(depositsOf(QStringLiteral("8001")), (QStringList {"Centro", "Nord"}));
    EXPECT_EQ(prompts(), QStringList());

    const AddToDeposit::Result again = add().Add(QStringLiteral("8001"), nord);
    EXPECT_EQ(again.outcome, Outcome::AlreadyThere);
    EXPECT_EQ(again.article, created.article);
    EXPECT_TRUE(again.clearCode());
    EXPECT_EQ(prompts(), QStringList {kExists});
    EXPECT_EQ(op.log.size(), 1);   // no editor the second time
    EXPECT_EQ(depositsOf(QStringLiteral("8001")), (QStringList {"Centro", "Nord"}));
}

TEST_F(DepositAdding, WhatIsMissingIsToldAndNothingIsMade)
{
    struct Case {
        const char* what;
        const char* code;
        bool withDeposit;
        Outcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {"no code", "", true, Outcome::NoCode, "Devi inserire il codice dell'articolo da aggiungere"},
        {"blanks only", "   ", true, Outcome::NoCode, "Devi inserire il codice dell'articolo da aggiungere"},
        {"no deposit", "8001", false, Outcome::NoDeposit, "Devi selezionare il deposito"},
        {"the code first", "", false, Outcome::NoCode, "Devi inserire il codice dell'articolo da aggiungere"},
        {"too long", "123456789012345678901234567890123", true, Outcome::NotCreated,
         "Il Codice non può essere più di 32 caratteri."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearPrompts();
        const AddToDeposit::Result r = add().Add(QString::fromUtf8(c.code), c.withDeposit ? nord : 0);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_FALSE(r.clearCode());
        EXPECT_EQ(prompts(), QStringList {QString::fromUtf8(c.message)});
    }
    EXPECT_EQ(op.log, QStringList());
    EXPECT_EQ(count(QStringLiteral("Articoli")), 0);
}

TEST_F(DepositAdding, ADepositRemovedMeanwhileIsNoDeposit)
{
    const qint64 gone = deposit(QStringLiteral("Sud"));
    auto row = select(QStringLiteral("Depositi"), QStringLiteral("OID = %1").arg(gone));
    row->MoveFirst();
    row->DeleteRow();
    EXPECT_EQ(add().Add(QStringLiteral("8001"), gone).outcome, Outcome::NoDeposit);
    EXPECT_EQ(count(QStringLiteral("Articoli")), 0);
}

TEST_F(DepositAdding, AnEditorCancelledKeepsTheCodeAndMakesNothing)
{
    op.saveNewRows = false;
    const AddToDeposit::Result r = add().Add(QStringLiteral("8001"), centro);
    EXPECT_EQ(r.outcome, Outcome::NotCreated);
    EXPECT_FALSE(r.clearCode());
    EXPECT_EQ(op.log, QStringList {"new Articoli"});
    EXPECT_EQ(count(QStringLiteral("Articoli")), 0);
}

TEST_F(DepositAdding, AScannedCodeIsAddedByItsArticleCodeAndItsBlanksGo)
{
    addBarcodeLayout(QStringLiteral("2"), 2, 5, 8, 5, 100);
    EXPECT_EQ(add().Add(QStringLiteral("2123450015004"), centro).outcome, Outcome::Created);
    EXPECT_EQ(add().Add(QStringLiteral(" 777 "), centro).outcome, Outcome::Created);
    EXPECT_EQ(depositsOf(QStringLiteral("12345")), QStringList {"Centro"});
    EXPECT_EQ(depositsOf(QStringLiteral("777")), QStringList {"Centro"});
    // The same article code from another label of it is the article already there.
    EXPECT_EQ(add().Add(QStringLiteral("2123450099904"), centro).outcome, Outcome::AlreadyThere);
}

TEST_F(DepositAdding, TheDepositsInTheTablesOrderTheDefaultOneFirst)
{
    const std::vector<AddToDeposit::Deposit> list = add().Deposits();
    QStringList names;
    for (const AddToDeposit::Deposit& d : list) names << d.name;
    EXPECT_EQ(names, (QStringList {"", "Centro", "Nord"}));
    EXPECT_EQ(list[1].key, centro);
    EXPECT_EQ(list[0].description, QStringLiteral("PREDEFINITO"));
}

}   // namespace
