// The hidden batch that gives articles their supplier from marker characters at the end of
// their descriptions.
#include "mainwindow/SupplierAssignment.h"
#include "objdb/TableObject.h"
#include "ViewShop.h"
#include <QList>

TEST(SupplierMarkers, TheTrailingRunIsWalkedFromTheEnd)
{
    struct Case {
        const char* description;
        const char* symbols;
        const char* text;
        int position;
    };
    const Case cases[] = {
        {"Vite *#", "*#", "Vite   ", 1},   // both markers go; the one met last wins
        {"Vite #*", "*#", "Vite   ", 2},
        {"Dado#", "*#", "Dado ", 2},   // no blank before the marker: the run is the whole word
        {"a*b c#", "*#", "a*b c ", 2},   // a marker before the last blank stays
        {"Vite", "*#", "Vite", 0},
        {"Vite   ", "*#", "Vite", 0},   // trailing blanks go before the walk
        {"Vite x", "X", "Vite x", 0},   // markers compare with case
        {"", "*", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const SupplierAssignment::Worked w
            = SupplierAssignment::WorkDescription(QString::fromUtf8(c.description), QString::fromUtf8(c.symbols));
        EXPECT_EQ(w.text, QString::fromUtf8(c.text));
        EXPECT_EQ(w.position, c.position);
    }
}

namespace {
class SupplierAssignmentTest : public ViewShop {
protected:
    SupplierAssignmentTest()
    {
        rossi = addSupplier(QStringLiteral("Rossi"));
        bianchi = addSupplier(QStringLiteral("Bianchi"));
    }
    qint64 article(const QString& code, const QString& description)
    {
        const qint64 oid = addArticle({code, "1.00", "0.50", 0});
        auto row = select(QStringLiteral("Articoli"));
        EXPECT_TRUE(row->MoveToOID(oid));
        row->SetValue(QStringLiteral("Descrizione"), description);
        row->Update();
        return oid;
    }
    QString description(qint64 oid)
    {
        auto row = select(QStringLiteral("Articoli"));
        EXPECT_TRUE(row->MoveToOID(oid));
        return row->GetValue(QStringLiteral("Descrizione")).toString();
    }
    QList<qint64> suppliers(qint64 oid)
    {
        auto row = select(QStringLiteral("Articoli"));
        EXPECT_TRUE(row->MoveToOID(oid));
        QList<qint64> out;
        auto list = row->GetReference(QStringLiteral("Fornitori"));
        for (list->MoveFirst(); !list->IsEOF(); list->MoveNext()) out << list->GetOID();
        return out;
    }
    // Picks the suppliers in this order, one a call.
    SupplierAssignment::ChooseSupplier picks(QList<qint64> order)
    {
        return [order](TableData& rows) mutable {
            if (order.isEmpty()) return false;
            const qint64 next = order.takeFirst();
            return next != 0 && rows.MoveToOID(next);
        };
    }
    void answer(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) prompts->addAnswer(QString::fromUtf8(l));
    }
    QStringList asked(const char* kind) const
    {
        QStringList out;
        const QString prefix = QString::fromLatin1(kind) + QStringLiteral(": ");
        for (const QString& l : prompts->log())
            if (l.startsWith(prefix)) out << l.mid(prefix.size());
        return out;
    }

    qint64 rossi = 0, bianchi = 0;
};
}   // namespace

TEST_F(SupplierAssignmentTest, MarkersGiveSuppliersAndLeaveTheDescriptions)
{
    const qint64 vite = article(QStringLiteral("V1"), QStringLiteral("Vite *#"));
    const qint64 bullone = article(QStringLiteral("B1"), QStringLiteral("Bullone #"));
    const qint64 dado = article(QStringLiteral("D1"), QStringLiteral("Dado"));
    answer({"Yes", "*", "#", "", "Yes"});
    QStringList progress;
    const int changed
        = SupplierAssignment::Run(db(), picks({rossi, bianchi}), [&progress](const QString& p) { progress << p; });
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(description(vite), QStringLiteral("Vite"));
    EXPECT_EQ(suppliers(vite), QList<qint64> {rossi});
    EXPECT_EQ(description(bullone), QStringLiteral("Bullone"));
    EXPECT_EQ(suppliers(bullone), QList<qint64> {bianchi});
    EXPECT_EQ(description(dado), QStringLiteral("Dado"));
    EXPECT_TRUE(suppliers(dado).isEmpty());

    EXPECT_EQ(asked("MSGBOX").last(), QStringLiteral("* = Rossi\r# = Bianchi\r\rContinuare con la conversione ?"));
    EXPECT_EQ(progress, (QStringList {"1/3", "2/3", "3/3"}));
    EXPECT_FALSE(prompts->hasAnswers());
}

TEST_F(SupplierAssignmentTest, ASupplierAlreadyListedIsNotAddedTwice)
{
    const qint64 vite = article(QStringLiteral("V1"), QStringLiteral("Vite *"));
    auto row = select(QStringLiteral("Articoli"));
    ASSERT_TRUE(row->MoveToOID(vite));
    row->AddToList(QStringLiteral("Fornitori"), rossi);
    answer({"Yes", "*", "", "Yes"});
    EXPECT_EQ(SupplierAssignment::Run(db(), picks({rossi})), 1);
    EXPECT_EQ(suppliers(vite), QList<qint64> {rossi});
    EXPECT_EQ(description(vite), QStringLiteral("Vite"));
}

TEST_F(SupplierAssignmentTest, MarkersAreOneCharacterEachUsedOnceAndTwentyAtMost)
{
    article(QStringLiteral("V1"), QStringLiteral("Vite"));
    // Two characters, then a marker used twice, are refused; a chooser left without a choice
    // asks for the marker again.
    answer({"Yes", "ab", "OK", "*", "*", "OK", "#", "#", "", "No"});
    SupplierAssignment::Run(db(), picks({rossi, 0, bianchi}));
    EXPECT_EQ(asked("MSGBOX").filter(QStringLiteral("un solo carattere")).size(), 2);
    EXPECT_EQ(asked("MSGBOX").last(), QStringLiteral("* = Rossi\r# = Bianchi\r\rContinuare con la conversione ?"));

    // The twentieth marker ends the list without a further question.
    prompts->clearLog();
    answer({"Yes"});
    QList<qint64> twenty;
    for (int i = 0; i < 20; ++i) {
        prompts->addAnswer(QString(QChar('A' + i)));
        twenty << rossi;
    }
    answer({"No"});
    SupplierAssignment::Run(db(), picks(twenty));
    EXPECT_EQ(asked("INPUT").size(), 20);
    EXPECT_FALSE(prompts->hasAnswers());
}

TEST_F(SupplierAssignmentTest, NoAtTheWarningChangesNothing)
{
    const qint64 vite = article(QStringLiteral("V1"), QStringLiteral("Vite *"));
    answer({"No"});
    EXPECT_EQ(SupplierAssignment::Run(db(), picks({rossi})), 0);
    EXPECT_EQ(description(vite), QStringLiteral("Vite *"));
    EXPECT_TRUE(asked("INPUT").isEmpty());
}
