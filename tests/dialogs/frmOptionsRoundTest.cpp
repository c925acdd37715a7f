#include "StartupTestSupport.h"
#include "dialogs/frmOptionsRound.h"
#include <QLineEdit>
#include <QListWidget>

namespace {
Currency amount(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

class frmOptionsRoundTest : public startuptest::StartupTest {
protected:
    void type(frmOptionsRound& w, const QString& from, const QString& to, const QString& step)
    {
        w.findChild<QLineEdit*>(QStringLiteral("mskFrom"))->setText(from);
        w.findChild<QLineEdit*>(QStringLiteral("mskTo"))->setText(to);
        w.findChild<QLineEdit*>(QStringLiteral("mskRound"))->setText(step);
    }
    QStringList lines(frmOptionsRound& w)
    {
        QStringList out;
        auto* list = w.findChild<QListWidget*>(QStringLiteral("lstRanges"));
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
};
}

TEST_F(frmOptionsRoundTest, AddChecksTheRange)
{
    frmOptionsRound w;
    struct Case {
        const char* from;
        const char* to;
        const char* step;
        const char* message;
    };
    const Case cases[] = {
        {"10", "10", "0,50", nullptr},   // equal limits
        {"20", "10", "0,50", "La fascia di prezzo non è valida."},
        {"", "10", "0,50", "Devi impostare i parametri di arrotondamento."},
        {"5", "8", "", "Devi impostare i parametri di arrotondamento."},
        {"abc", "8", "1", "Tipo non corrispondente"},
        {"5", "30", "1", nullptr},   // overlaps the first
    };
    int expected = 0;
    for (const Case& c : cases) {
        ui->clearLog();
        type(w, QString::fromLatin1(c.from), QString::fromLatin1(c.to), QString::fromUtf8(c.step));
        w.Add();
        if (c.message) {
            EXPECT_EQ(messageBoxes(), QStringList {QString::fromUtf8(c.message)}) << c.from << " " << c.to;
            // Nothing added, the fields keep what was typed.
            EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("mskTo"))->text(), QString::fromLatin1(c.to));
        } else {
            ++expected;
            EXPECT_TRUE(messageBoxes().isEmpty());
            EXPECT_TRUE(w.findChild<QLineEdit*>(QStringLiteral("mskFrom"))->text().isEmpty());
            EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("mskRound"))->text(), QString::fromUtf8(c.step));   // kept
        }
        EXPECT_EQ(w.WorkingList().size(), expected);
    }
    // Kept in the order of entry.
    EXPECT_EQ(w.WorkingList().at(0)->FromValue(), amount("10"));
    EXPECT_EQ(w.WorkingList().at(1)->ToValue(), amount("30"));
    EXPECT_EQ(lines(w).at(0), frmOptionsRound::RangeLine(amount("10"), amount("10"), amount("0.5")));
}

TEST_F(frmOptionsRoundTest, LineShowsAmountsInTwentyCharacters)
{
    EXPECT_EQ(frmOptionsRound::RangeLine(amount("0"), amount("1234.5"), amount("0.05")),
              QStringLiteral("da                  0,00  a              1.234,50   ->                  0,05"));
}

TEST_F(frmOptionsRoundTest, DeleteRemovesTheSelectedRangeOnly)
{
    frmOptionsRound w;
    type(w, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,1"));
    w.Add();
    type(w, QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("0,1"));
    w.Add();
    auto* list = w.findChild<QListWidget*>(QStringLiteral("lstRanges"));
    list->clearSelection();
    list->setCurrentRow(-1);
    w.Delete();   // nothing selected: no change
    EXPECT_EQ(w.WorkingList().size(), 2);
    list->setCurrentRow(0);
    w.Delete();
    ASSERT_EQ(w.WorkingList().size(), 1);
    EXPECT_EQ(w.WorkingList().first()->FromValue(), amount("3"));
    EXPECT_EQ(list->count(), 1);
}

TEST_F(frmOptionsRoundTest, OnlyOkReplacesTheRangesInUse)
{
    auto existing = std::make_shared<clsRoundItem>();
    existing->setFromValue(amount("0"));
    existing->setToValue(amount("100"));
    existing->setRoundValue(amount("1"));
    g_colRoundRanges = {existing};

    {
        frmOptionsRound w;   // Cancel: the window goes, nothing else
        type(w, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,1"));
        w.Add();
        EXPECT_EQ(w.WorkingList().size(), 2);
    }
    ASSERT_EQ(g_colRoundRanges.size(), 1);
    EXPECT_EQ(g_colRoundRanges.first(), existing);

    // OK while UseRoundRanges is off: in use for this run, not stored.
    ::settings().UseRoundRanges = false;
    frmOptionsRound w;
    type(w, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,1"));
    w.Add();
    w.Ok();
    EXPECT_EQ(g_colRoundRanges.size(), 2);
    EXPECT_NE(g_colRoundRanges.first(), existing);   // the dialog's copies
    EXPECT_TRUE(settings->keys(QStringLiteral("Configuration")).filter(QStringLiteral("ArrotondaValore")).isEmpty());

    ::settings().UseRoundRanges = true;
    frmOptionsRound again;
    again.Ok();
    EXPECT_EQ(settings->get(QStringLiteral("Configuration"), QStringLiteral("ArrotondaValore2"), QString()),
              QStringLiteral("0.1"));
}
