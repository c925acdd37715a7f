// The article search and deposit windows over the shop: scans through the code box they
// register, what they show after a search or an add, their keys, and whole runs driven
// headless from answer lines.
#include "documents/AddToDeposit.h"
#include "SearchShop.h"
#include "documents/ui/frmArticoli.h"
#include "documents/ui/frmSearch_Articoli.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class ArticleWindows : public SearchShop {
protected:
    void SetUp() override
    {
        SearchShop::SetUp();
        article(QStringLiteral("312"), QStringLiteral("Dado M8"));
        article(QStringLiteral("12345"), QStringLiteral("Vite 12 mm"));
        article(QStringLiteral("4001"), QStringLiteral("Vite 4 mm"));
    }
    template <class W> W* child(QWidget& w, const char* name)
    {
        W* c = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void press(QWidget* target, int key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &down);
    }
    // The window prompts of a headless run.
    QStringList windowPrompts(const QString& window) const
    {
        QStringList out;
        const QString tag = QStringLiteral("INPUT: [") + window + QStringLiteral("] ");
        for (const QString& line : m_ui->log())
            if (line.startsWith(tag)) out << line.mid(tag.size());
        return out;
    }
};

// ---- the search window --------------------------------------------------------------------------------

TEST_F(ArticleWindows, AScanIntoTheRegisteredBoxIsSearchedAtOnce)
{
    frmSearch_Articoli window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Cerca articolo..."));
    EXPECT_EQ(main->codeBox, nullptr);
    window.Load();
    ASSERT_NE(main->codeBox, nullptr);

    // The main window hands over the line read and one CR, as it does for every scan.
    main->codeBox->Receive(QStringLiteral("12345\r"));
    EXPECT_EQ(selectedCodes(), QStringList {"12345"});
    EXPECT_EQ(child<QLineEdit>(window, "txtFind_Articolo")->text(), QString());
    EXPECT_FALSE(window.NotFoundShown());

    // A code the reader's filter annuls searches nothing.
    main->codeBox->Receive(QStringLiteral("312\t\r"));
    EXPECT_EQ(selectedCodes(), QStringList {"12345"});

    window.reject();
    EXPECT_EQ(main->codeBox, nullptr);
    EXPECT_EQ(main->codeBoxCalls, 2);
}

TEST_F(ArticleWindows, NoMatchShowsNotFoundAndAnEmptyViewWithTheFilter)
{
    frmSearch_Articoli window;
    auto* text = child<QLineEdit>(window, "txtFind_Articolo");
    child<QCheckBox>(window, "chkFilter")->click();
    text->setText(QStringLiteral("99"));
    child<QPushButton>(window, "cmdSearch")->click();

    EXPECT_TRUE(window.NotFoundShown());
    EXPECT_EQ(child<QLabel>(window, "lblNotFound")->text(), QStringLiteral("Non trovato..."));
    EXPECT_EQ(shownCodes(), QStringList());
    EXPECT_EQ(beeps(), 1);
    EXPECT_EQ(text->selectedText(), QStringLiteral("99"));   // typing replaces it

    // The next key typed hides the message; the next search finds.
    text->setText(QStringLiteral("4"));
    EXPECT_FALSE(window.NotFoundShown());
    child<QPushButton>(window, "cmdSearch")->click();
    EXPECT_EQ(shownCodes(), QStringList {"4001"});
    EXPECT_EQ(selectedCodes(), QStringList {"4001"});
    EXPECT_EQ(text->text(), QString());
}

TEST_F(ArticleWindows, OptionsAndKeys)
{
    frmSearch_Articoli window;
    auto* text = child<QLineEdit>(window, "txtFind_Articolo");
    EXPECT_TRUE(child<QRadioButton>(window, "optFind_Codice")->isChecked());

    // Choosing an option empties the text.
    text->setText(QStringLiteral("vite"));
    child<QRadioButton>(window, "optFind_Descrizione")->click();
    EXPECT_EQ(window.Field(), ArticleSearchField::Descrizione);
    EXPECT_EQ(text->text(), QString());

    // F4 goes on from there, wherever the focus is.
    press(child<QPushButton>(window, "cmdEdit"), Qt::Key_F4);
    EXPECT_TRUE(child<QRadioButton>(window, "optFind_CodiceAggiuntivo")->isChecked());
    press(text, Qt::Key_F4);
    EXPECT_EQ(window.Field(), ArticleSearchField::Codice);
    press(text, Qt::Key_F4);
    EXPECT_EQ(window.Field(), ArticleSearchField::Descrizione);

    // Enter searches, even on a button that would take it for itself.
    text->setText(QStringLiteral("4 mm"));
    press(child<QPushButton>(window, "cmdPrint"), Qt::Key_Return);
    EXPECT_EQ(selectedCodes(), QStringList {"4001"});
    EXPECT_EQ(main->labelCommands, 0);

    press(text, Qt::Key_F8);
    press(text, Qt::Key_F5);
    EXPECT_EQ(main->labelCommands, 1);
    ASSERT_EQ(main->edits.size(), 1);
    EXPECT_EQ(main->edits.first(), main->selection);
}

TEST_F(ArticleWindows, TheSearchRunsHeadlessFromAnswerLines)
{
    answer({QStringLiteral("Descrizione\tSolo\tvite"), QStringLiteral("<F8>"), QStringLiteral("Codice\t99"),
            QStringLiteral("Tutti\t312"), QStringLiteral("<cancel>")});
    frmSearch_Articoli::ShowModal(nullptr);

    EXPECT_EQ(windowPrompts(QStringLiteral("frmSearch_Articoli")),
              (QStringList {"Articolo: [Codice]", "Articolo: [Descrizione, Solo articoli corrispondenti]",
                            "Articolo: [Descrizione, Solo articoli corrispondenti]",
                            "Articolo: [Codice, Solo articoli corrispondenti] Non trovato...", "Articolo: [Codice]"}));
    EXPECT_EQ(main->labelCommands, 1);
    EXPECT_EQ(selectedCodes(), QStringList {"312"});
    EXPECT_EQ(shownCodes().size(), 3);
    EXPECT_EQ(main->codeBox, nullptr);
}

// ---- the deposit window ----------------------------------------------------------------------------------

class DepositWindow : public ArticleWindows {
protected:
    void SetUp() override
    {
        ArticleWindows::SetUp();
        select(QStringLiteral("Depositi"), QStringLiteral("OID = 0"))
            ->AddRow({QStringLiteral("Deposito"), QStringLiteral("Nord")});
    }
    qint64 articlesOf(const QString& code)
    {
        return count(QStringLiteral("Articoli"), QStringLiteral("Codice = ") + db().QuoteText(code));
    }
};

TEST_F(DepositWindow, LoadsTheDepositsAndAddsAScanAtOnce)
{
    frmArticoli window(&db(), &op);
    ASSERT_TRUE(window.Load());
    auto* deposits = child<QComboBox>(window, "codDeposito");
    EXPECT_EQ(deposits->count(), 2);
    EXPECT_EQ(deposits->currentIndex(), 0);   // the first, the default deposit
    ASSERT_NE(main->codeBox, nullptr);

    deposits->setCurrentIndex(1);
    main->codeBox->Receive(QStringLiteral("312\r"));
    EXPECT_EQ(articlesOf(QStringLiteral("312")), 2);
    EXPECT_EQ(op.log, QStringList {"new Articoli"});
    EXPECT_EQ(child<QLineEdit>(window, "txtCode_Articolo")->text(), QString());

    // No deposit chosen: told, and the chooser is where to go.
    deposits->setCurrentIndex(-1);
    child<QLineEdit>(window, "txtCode_Articolo")->setText(QStringLiteral("555"));
    child<QPushButton>(window, "cmdAutoAdd")->click();
    EXPECT_EQ(prompts(), QStringList {"Devi selezionare il deposito"});
    EXPECT_EQ(window.focusWidget(), deposits);
    EXPECT_EQ(child<QLineEdit>(window, "txtCode_Articolo")->text(), QStringLiteral("555"));

    window.reject();
    EXPECT_EQ(main->codeBox, nullptr);
}

TEST_F(DepositWindow, TheAddRunsHeadlessFromAnswerLines)
{
    answer({QStringLiteral("Nord\t312"), QStringLiteral("312"), QStringLiteral("OK"), QStringLiteral("Sud\t312"),
            QStringLiteral("OK"), QStringLiteral("<cancel>")});
    frmArticoli::ShowModal(nullptr, op);

    EXPECT_EQ(articlesOf(QStringLiteral("312")), 2);
    EXPECT_EQ(
        prompts(),
        (QStringList {"[frmArticoli] Codice per il deposito <> (depositi: , Nord)",
                      "[frmArticoli] Codice per il deposito <Nord> (depositi: , Nord)",
                      "L'articolo esiste nel deposito selezionato.",
                      "[frmArticoli] Codice per il deposito <Nord> (depositi: , Nord)", "Devi selezionare il deposito",
                      "[frmArticoli] Codice per il deposito <> (depositi: , Nord)"}));
    EXPECT_EQ(main->codeBox, nullptr);
}

TEST_F(DepositWindow, WithoutADatabaseTheErrorIsReportedAndTheWindowNotShown)
{
    frmArticoli window(nullptr, &op);
    EXPECT_FALSE(window.Load());
    EXPECT_EQ(errorReports().size(), 1);
    EXPECT_EQ(main->codeBox, nullptr);
}

}   // namespace
