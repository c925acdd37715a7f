// A sale rung up as a person does it at the counter.
#include "CounterProgram.h"
#include <QLineEdit>
#include <QMainWindow>
#include <QTableView>

namespace {
class PersonAtCounter : public CounterProgram { };

QLineEdit* codeBox()
{
    QWidget* w = Person::modal();
    return w ? w->findChild<QLineEdit*>(QStringLiteral("txtCode_Articolo")) : nullptr;
}

int gridRows()
{
    QWidget* w = Person::modal();
    auto* grid = w ? w->findChild<QTableView*>() : nullptr;
    return grid && grid->model() ? grid->model()->rowCount() : -1;
}
}   // namespace

TEST_F(PersonAtCounter, SaleWindowFromTheMenuTakesACodeTypedWithEnter)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Nuova Vendita...")});
    });
    person.when(
        "the customer's pick list", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] {
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(QStringLiteral("Rossi"));
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the sale window", [] { return Person::modalIs(QStringLiteral("frmVendite")); },
        [] {
            QWidget* sale = Person::modal();
            EXPECT_TRUE(sale->isEnabled());
            EXPECT_FALSE(MainWindow()->isEnabled());
            ASSERT_TRUE(codeBox());
            EXPECT_TRUE(codeBox()->isEnabled());
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtCode_Articolo"));
            Person::type(QStringLiteral("1001\n"));
        });
    person.when(
        "the line in the grid", [] { return gridRows() == 1; },
        [this] {
            EXPECT_EQ(
                column(QStringLiteral("SELECT a.Codice FROM ScaricoArticoli s JOIN Articoli a ON a.OID = s.objParent")),
                QVariantList {QStringLiteral("1001")});
        });
    runProgram();
}
