// The windows a person opens from the main window's menus: each one usable (enabled, taking
// the keys) while the main window waits disabled behind it, and the main window usable again
// once it closes.
#include "CounterProgram.h"
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

namespace {
class PersonOpensWindows : public CounterProgram { };
}   // namespace

TEST_F(PersonOpensWindows, SupplyWindowFromTheMenuTakesACodeTypedWithEnter)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Nuova Fornitura...")});
    });
    person.when(
        "the supplier's pick list", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] {
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(QStringLiteral("Forno"));
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the document type's pick list", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] {
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(QStringLiteral("Bolla"));
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the supply window", [] { return Person::modalIs(QStringLiteral("frmForniture")); },
        [] {
            QWidget* supply = Person::modal();
            EXPECT_TRUE(supply->isEnabled());
            EXPECT_FALSE(MainWindow()->isEnabled());
            EXPECT_EQ(supply->findChild<QLineEdit*>(QStringLiteral("txtFornitore"))->text(),
                      QStringLiteral("Forno Bianchi"));
            // No delivery layout for this supplier: nothing to import, and the button says so.
            auto* import = supply->findChild<QPushButton*>(QStringLiteral("cmdImport"));
            ASSERT_TRUE(import);
            EXPECT_TRUE(import->isVisibleTo(supply));
            EXPECT_FALSE(import->isEnabled());
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtCode_Articolo"));
            Person::type(QStringLiteral("1002\n"));
        });
    person.when(
        "the load's row editor", [] { return Person::modalIs(QStringLiteral("RowEditor")); },
        [] {
            EXPECT_TRUE(Person::modal()->isEnabled());
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the line in the file",
        [this] { return value(QStringLiteral("SELECT count(*) FROM CaricoArticoli")).toInt() == 1; },
        [this] {
            EXPECT_EQ(
                column(QStringLiteral("SELECT a.Codice FROM CaricoArticoli c JOIN Articoli a ON a.OID = c.objParent")),
                QVariantList {QStringLiteral("1002")});
        });
    runProgram();
}

TEST_F(PersonOpensWindows, OptionsAndRemindersOpenOverTheMainWindowAndGiveItBack)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(),
                           {QStringLiteral("Strumenti"), QStringLiteral("Opzioni"), QStringLiteral("Generale...")});
    });
    person.when(
        "the options",
        [] {
            QWidget* top = QApplication::activeWindow();
            return top && top->objectName() == QStringLiteral("frmOptions");
        },
        [] {
            EXPECT_TRUE(QApplication::activeWindow()->isEnabled());
            EXPECT_FALSE(MainWindow()->isEnabled());
            Person::click(QStringLiteral("OK"));
        });
    person.when("the main window again", &Person::atMainWindow, [] {
        EXPECT_TRUE(MainWindow()->isEnabled());
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Strumenti"), QStringLiteral("Promemoria...")});
    });
    person.when(
        "the reminders",
        [] {
            QWidget* memo = QApplication::activeWindow();
            return memo && memo->objectName() == QStringLiteral("frmMemo");
        },
        [] {
            QWidget* memo = QApplication::activeWindow();
            EXPECT_TRUE(memo->isEnabled());
            EXPECT_EQ(memo->windowTitle().isEmpty(), false);
        });
    runProgram();
}
