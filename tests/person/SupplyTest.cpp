// A delivery booked as a person does it: the supplier and the document, a code typed at the
// box, and the wholesaler's delivery file read and imported through its window.
#include "CounterProgram.h"
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

namespace {
class PersonBooksADelivery : public CounterProgram { };

void pick(Person& person, const char* what, const QString& typed)
{
    person.when(
        QString::fromLatin1(what), [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [typed] {
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(typed);
            Person::click(QStringLiteral("OK"));
        });
}

QPushButton* buttonNamed(const char* name)
{
    QWidget* w = Person::modal();
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
}
}   // namespace

TEST_F(PersonBooksADelivery, TypedCodeAndImportedDeliveryFileMakeTheLoads)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Nuova Fornitura...")});
    });
    pick(person, "the supplier's pick list", QStringLiteral("Grossista"));
    pick(person, "the document type's pick list", QStringLiteral("Bolla"));
    person.when(
        "the supply window", [] { return Person::modalIs(QStringLiteral("frmForniture")); },
        [] {
            QWidget* supply = Person::modal();
            EXPECT_EQ(supply->findChild<QLineEdit*>(QStringLiteral("txtFornitore"))->text(),
                      QStringLiteral("Grossista Nord"));
            EXPECT_TRUE(buttonNamed("cmdImport")->isEnabled()) << "the supplier has a delivery layout";
            auto* number = supply->findChild<QLineEdit*>(QStringLiteral("txtDocumento"));
            ASSERT_TRUE(number);
            Person::clickInto(*number);
            Person::type(QStringLiteral("b 17"));
            EXPECT_EQ(number->text(), QStringLiteral("B 17"));
            auto* code = supply->findChild<QLineEdit*>(QStringLiteral("txtCode_Articolo"));
            ASSERT_TRUE(code);
            Person::clickInto(*code);
            Person::type(QStringLiteral("1001\n"));
        });
    person.when(
        "the load's row editor", [] { return Person::modalIs(QStringLiteral("RowEditor")); },
        [] { Person::click(QStringLiteral("OK")); });
    person.when(
        "the supply window with its line",
        [this] {
            return Person::modalIs(QStringLiteral("frmForniture"))
                && value(QStringLiteral("SELECT count(*) FROM CaricoArticoli")).toInt() == 1;
        },
        [] { Person::click(QStringLiteral("Importa")); });
    person.when(
        "the import window", [] { return Person::modalIs(QStringLiteral("frmImportData")); },
        [] {
            EXPECT_TRUE(Person::modal()->isEnabled());
            EXPECT_FALSE(buttonNamed("cmdImport")->isEnabled()) << "nothing read yet";
            Person::click(QStringLiteral("Leggi Carico"));
        });
    person.when(
        "the file to read", [] { return Person::messageBox() != nullptr; },
        [this] {
            EXPECT_TRUE(Person::messageText().contains(deliveryFile())) << Person::messageText().toStdString();
            Person::answerBox(QStringLiteral("OK"));
        });
    person.when(
        "the delivery read",
        [] { return Person::modalIs(QStringLiteral("frmImportData")) && buttonNamed("cmdImport")->isEnabled(); },
        [] { Person::click(QStringLiteral("Importa Carico")); });
    person.when(
        "the offer to check the delivery first", [] { return Person::messageBox() != nullptr; },
        [] {
            EXPECT_TRUE(Person::messageText().contains(QStringLiteral("Completare le verifiche prima di importare")))
                << Person::messageText().toStdString();
            Person::answerBox(QStringLiteral("No"));
        });
    person.when(
        "the confirmation", [] { return Person::messageBox() != nullptr; },
        [] {
            EXPECT_TRUE(Person::messageText().contains(QStringLiteral("Proseguire con il carico?")))
                << Person::messageText().toStdString();
            Person::answerBox(QStringLiteral("Yes"));
        });
    person.when(
        "the loads in the file",
        [this] {
            return Person::modalIs(QStringLiteral("frmForniture"))
                && value(QStringLiteral("SELECT count(*) FROM CaricoArticoli")).toInt() == 2;
        },
        [this] {
            EXPECT_EQ(Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtDocumento"))->text(),
                      QStringLiteral("B 17"));
    EXPECT_EQ(column(QStringLiteral("SELECT a.Codice || ' x' || c.ValoreCarico FROM CaricoArticoli c JOIN Articoli a "
                                    "ON a.OID = c.objParent ORDER BY a.Codice")),
              (QVariantList {QStringLiteral("1001 x1.0"), QStringLiteral("1002 x24.0")}));
        });
    runProgram();
}
