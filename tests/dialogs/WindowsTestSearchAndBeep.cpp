#include "WindowsTestSupport.h"
#include "dialogs/frmMsgBeep.h"
#include "dialogs/frmSearchText.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <class T> T* child(QWidget& w, const char* name) { return w.findChild<T*>(QString::fromLatin1(name)); }
}

// ---- Text search ----------------------------------------------------------------------------------------
class TextSearch : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        frmSearchText::memory() = SearchTextMemory();
    }
    // One use of the dialog: `type` runs inside it, then `button` ("cmdOK", "cmdNext" or a key).
    bool search(const QString& field, bool showInside, bool showNext, std::function<void(frmSearchText&)> act)
    {
        frmSearchText w;
        wintest::whenModal([&] { act(w); });
        w.Prepare(field, showInside, showNext);
        w.exec();
        return frmSearchText::Confirmed();
    }
};

TEST_F(TextSearch, SameFieldOffersTheLastTextWithNextAsDefault)
{
    ASSERT_TRUE(search(QStringLiteral("Descrizione"), true, true, [](frmSearchText& w) {
        EXPECT_FALSE(w.NextIsDefault());
        EXPECT_EQ(child<QLineEdit>(w, "txtSearch")->text(), QString());
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("vite"));
        child<QPushButton>(w, "cmdOK")->click();
    }));
    EXPECT_EQ(frmSearchText::SearchText(), QStringLiteral("vite"));
    EXPECT_FALSE(frmSearchText::FindNext());

    ASSERT_TRUE(search(QStringLiteral("Descrizione"), true, true, [](frmSearchText& w) {
        EXPECT_EQ(child<QLineEdit>(w, "txtSearch")->text(), QStringLiteral("vite"));
        EXPECT_TRUE(w.NextIsDefault());
        EXPECT_EQ(child<QLabel>(w, "lblFieldName")->text(), QStringLiteral("Descrizione"));
        wintest::pressKey(&w, Qt::Key_Return);   // the default button
    }));
    EXPECT_TRUE(frmSearchText::FindNext());
    EXPECT_EQ(frmSearchText::SearchText(), QStringLiteral("vite"));

    // Typing gives the default back to OK.
    ASSERT_TRUE(search(QStringLiteral("Descrizione"), true, true, [](frmSearchText& w) {
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("bullone"));
        EXPECT_FALSE(w.NextIsDefault());
        wintest::pressKey(&w, Qt::Key_Return);
    }));
    EXPECT_FALSE(frmSearchText::FindNext());

    // Another field starts empty with OK as the default.
    ASSERT_TRUE(search(QStringLiteral("Codice"), true, true, [](frmSearchText& w) {
        EXPECT_EQ(child<QLineEdit>(w, "txtSearch")->text(), QString());
        EXPECT_FALSE(w.NextIsDefault());
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("A1"));
        wintest::pressKey(&w, Qt::Key_F3);   // Next by its key
    }));
    EXPECT_TRUE(frmSearchText::FindNext());
    EXPECT_EQ(frmSearchText::memory().LastFieldName, QStringLiteral("Codice"));

    // Without the Next button the last text still comes back, OK stays default.
    ASSERT_TRUE(search(QStringLiteral("Codice"), true, false, [](frmSearchText& w) {
        EXPECT_EQ(child<QLineEdit>(w, "txtSearch")->text(), QStringLiteral("A1"));
        EXPECT_FALSE(w.NextIsDefault());
        wintest::pressKey(&w, Qt::Key_Return);
    }));
    EXPECT_FALSE(frmSearchText::FindNext());
}

TEST_F(TextSearch, OneCharacterCannotBeSearchedInsideStrings)
{
    ASSERT_TRUE(search(QStringLiteral("Descrizione"), true, true, [](frmSearchText& w) {
        auto* box = child<QLineEdit>(w, "txtSearch");
        auto* inside = child<QCheckBox>(w, "chkInternal");
        EXPECT_FALSE(inside->isEnabled());
        box->setText(QStringLiteral("ab"));
        wintest::pressKey(&w, Qt::Key_F2);   // ticks the option
        EXPECT_TRUE(inside->isChecked());
        box->setText(QStringLiteral("a"));   // ticked before, one character now
        EXPECT_FALSE(inside->isEnabled());
        child<QPushButton>(w, "cmdOK")->click();
    }));
    EXPECT_EQ(frmSearchText::SearchText(), QStringLiteral("a"));
    EXPECT_FALSE(frmSearchText::SearchInside());

    ASSERT_TRUE(search(QStringLiteral("Note"), true, true, [](frmSearchText& w) {
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("rosso"));
        child<QCheckBox>(w, "chkInternal")->setChecked(true);
        child<QPushButton>(w, "cmdOK")->click();
    }));
    EXPECT_TRUE(frmSearchText::SearchInside());

    // Not offered: never inside.
    ASSERT_TRUE(search(QStringLiteral("Note"), false, true, [](frmSearchText& w) {
        child<QCheckBox>(w, "chkInternal")->setChecked(true);
        child<QPushButton>(w, "cmdOK")->click();
    }));
    EXPECT_FALSE(frmSearchText::SearchInside());
}

TEST_F(TextSearch, EscapeLeavesItUnconfirmedAndTheLastSearchRemembered)
{
    ASSERT_TRUE(search(QStringLiteral("Codice"), true, true, [](frmSearchText& w) {
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("X9"));
        child<QPushButton>(w, "cmdOK")->click();
    }));
    EXPECT_FALSE(search(QStringLiteral("Codice"), true, true, [](frmSearchText& w) {
        child<QLineEdit>(w, "txtSearch")->setText(QStringLiteral("altro"));
        wintest::pressKey(&w, Qt::Key_Escape);
    }));
    EXPECT_EQ(frmSearchText::SearchText(), QString());
    EXPECT_EQ(frmSearchText::memory().LastSearchText, QStringLiteral("X9"));
}

// ---- Beeping confirmation ----------------------------------------------------------------------------------
class BeepingConfirmation : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        showModalWindows();
    }
    int beeps() const { return int(ui->log().count(QStringLiteral("BEEP: "))); }
};

TEST(TypedKeyGate, CountsOnlyTypingKeysAndLetsTheSecondConfirmationThrough)
{
    TypedKeyGate g;
    EXPECT_TRUE(g.confirm());
    for (int k : {13, 27, 0, 200}) g.keyPressed(k);
    EXPECT_TRUE(g.confirm());
    g.keyPressed('1');
    g.keyPressed('2');
    g.keyPressed(8);
    EXPECT_EQ(g.typedKeys(), 3);
    EXPECT_FALSE(g.confirm());
    EXPECT_EQ(g.typedKeys(), 0);
    EXPECT_TRUE(g.confirm());
}

TEST_F(BeepingConfirmation, DigitsTypedBeforeConfirmingNeedASecondConfirmation)
{
    frmMsgBeep w;
    bool confirmed = true;
    wintest::whenModal([&] {
        EXPECT_EQ(beeps(), 1);   // on opening
        EXPECT_EQ(child<QLabel>(w, "lblMessage")->text(),
                  QStringLiteral("Articolo non trovato...\n\nVuoi inserirlo ?"));
        for (const char* digit : {"8", "0", "1"}) wintest::typeKey(&w, Qt::Key_0, QString::fromLatin1(digit));
        wintest::typeKey(&w, Qt::Key_Right);   // not a typing key
        EXPECT_EQ(w.TypedKeys(), 3);
        child<QPushButton>(w, "cmdExit")->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(beeps(), 2);
        child<QPushButton>(w, "cmdExit")->click();
    });
    w.ShowMessage(nullptr, QStringLiteral("Articolo non trovato...\r\rVuoi inserirlo ?"), confirmed);
    EXPECT_TRUE(confirmed);
}

TEST_F(BeepingConfirmation, NothingTypedConfirmsAtOnceAndCancelAlwaysAnswersNo)
{
    wintest::whenModal([] {
        auto* w = qobject_cast<frmMsgBeep*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        child<QPushButton>(*w, "cmdExit")->click();
    });
    EXPECT_TRUE(frmMsgBeep::ShowMessage(nullptr, QStringLiteral("Vuoi inserirlo ?")));

    wintest::whenModal([] {
        auto* w = qobject_cast<frmMsgBeep*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        wintest::typeKey(w, Qt::Key_A, QStringLiteral("a"));
        child<QPushButton>(*w, "cmdCancel")->click();
    });
    EXPECT_FALSE(frmMsgBeep::ShowMessage(nullptr, QStringLiteral("Vuoi inserirlo ?")));
}
