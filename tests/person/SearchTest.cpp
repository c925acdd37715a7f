// The article search as a person uses it: typed with Enter, F4 for the next field, F5 to
// open the article found.
#include "CounterProgram.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>

namespace {
class PersonSearchesArticles : public CounterProgram { };

bool searchOnTop() { return Person::modalIs(QStringLiteral("frmSearch_Articoli")); }

bool notFoundShown()
{
    QWidget* w = Person::modal();
    auto* label = w ? w->findChild<QLabel*>(QStringLiteral("lblNotFound")) : nullptr;
    return label && label->isVisibleTo(w);
}

bool optionChecked(const char* name)
{
    QWidget* w = Person::modal();
    auto* option = w ? w->findChild<QRadioButton*>(QString::fromLatin1(name)) : nullptr;
    return option && option->isChecked();
}

// Whatever was typed before is replaced, as a person selects it first.
void search(const QString& text)
{
    Person::key(Qt::Key_A, Qt::ControlModifier);
    Person::type(text + u'\n');
}

QString searchText()
{
    QWidget* w = Person::modal();
    auto* box = w ? w->findChild<QLineEdit*>(QStringLiteral("txtFind_Articolo")) : nullptr;
    return box ? box->text() : QStringLiteral("<no box>");
}

bool editorShows(const QString& text)
{
    QWidget* w = Person::modal(QStringLiteral("RowEditor"));
    if (!w) return false;
    for (QLineEdit* box : w->findChildren<QLineEdit*>())
        if (box->text() == text) return true;
    return false;
}
}   // namespace

TEST_F(PersonSearchesArticles, FKeysChangeTheFieldAndOpenTheArticleFound)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Cerca Articolo...")});
    });
    person.when("the search window", &searchOnTop, [] {
        EXPECT_TRUE(Person::modal()->isEnabled());
        EXPECT_EQ(Person::focusName(), QStringLiteral("txtFind_Articolo"));
        EXPECT_TRUE(optionChecked("optFind_Codice"));
        search(QStringLiteral("9999"));
    });
    // A search may take its time: the person waits for its answer on the window.
    person.when(
        "no article of that code", [] { return searchOnTop() && notFoundShown() && searchText() == "9999"; },
        [] {
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtFind_Articolo"));
            search(QStringLiteral("1002"));
        });
    person.when(
        "the article of that code",
        [] { return searchOnTop() && !notFoundShown() && searchText().isEmpty() && Person::focus(); },
        [] {
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtFind_Articolo"));
            Person::key(Qt::Key_F4);
            EXPECT_TRUE(optionChecked("optFind_Descrizione"));
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtFind_Articolo"));
            search(QStringLiteral("Pane"));
        });
    person.when(
        "the article of that description",
        [] { return searchOnTop() && !notFoundShown() && searchText().isEmpty() && Person::focus(); },
        [] { Person::key(Qt::Key_F5); });
    person.when(
        "the article found, open", [] { return Person::modalIs(QStringLiteral("RowEditor")); },
        [] {
            EXPECT_TRUE(editorShows(QStringLiteral("Pane casereccio")));
            EXPECT_TRUE(Person::modal()->isEnabled());
            Person::key(Qt::Key_Escape);
        });
    person.when("the search window again", &searchOnTop, [] {
        EXPECT_EQ(Person::focusName(), QStringLiteral("txtFind_Articolo"));
        Person::key(Qt::Key_Escape);
    });
    person.when("the main window again", &Person::atMainWindow);
    runProgram();
}
