// A sale rung up as a person does it at the counter.
#include "CounterProgram.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "devices/simulators/RegisterSimulators.h"
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>
#include <QTableView>
#include <cstdio>
#include <memory>

namespace {
class PersonAtCounter : public CounterProgram {
protected:
    // From the main window to a sale of two lines, one of three pieces, paid in part with a
    // voucher: the sale window is back on top, not yet confirmed.
    void ringUpSale();
};

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

// The customer picked from the list the sale window opens with.
void pickCustomer(Person& person)
{
    person.when(
        "the customer's pick list", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] {
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(QStringLiteral("Rossi"));
            Person::click(QStringLiteral("OK"));
        });
}

// The shop's register on a pseudo-terminal, set in the program's settings as its register.
struct ShopRegister {
    RegisterSimulatorLine line {CreateRegisterSimulator(QStringLiteral("ellisse"))};

    ShopRegister()
    {
        QSettings ini(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Mirtavolia/Mirtavolia.ini"),
                      QSettings::IniFormat);
        ini.setValue(QStringLiteral("Configuration/FiscalPrinterEnabled"), QStringLiteral("True"));
        ini.setValue(QStringLiteral("FiscalPrinterParam/Type"), QStringLiteral("3"));
        ini.setValue(QStringLiteral("FiscalPrinterParam/COMPortNumber"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Devices/COM1"), line.devicePath());
    }
};
}   // namespace

void PersonAtCounter::ringUpSale()
{
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Nuova Vendita...")});
    });
    pickCustomer(person);
    person.when(
        "the sale window", [] { return Person::modalIs(QStringLiteral("frmVendite")); },
        [] { Person::type(QStringLiteral("1001\n")); });
    // The reader hands the codes over one after the other, each ended by Enter.
    person.when(
        "the first line", [] { return gridRows() == 1; },
        [] {
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtCode_Articolo"));
            EXPECT_TRUE(codeBox()->text().isEmpty());
            Person::type(QStringLiteral("1002\n"));
        });
    person.when(
        "the second line", [] { return gridRows() == 2; },
        [] {
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtCode_Articolo"));
            Person::key(Qt::Key_F5);
        });
    person.when(
        "the quantity asked", [] { return qobject_cast<QInputDialog*>(QApplication::activeModalWidget()) != nullptr; },
        [] {
            ASSERT_TRUE(qobject_cast<QLineEdit*>(Person::focus()));
            EXPECT_TRUE(Person::focus()->isEnabled());
            Person::key(Qt::Key_A, Qt::ControlModifier);
            Person::type(QStringLiteral("3\n"));
        });
    person.when(
        "the quantity in the file",
        [this] {
            return Person::modalIs(QStringLiteral("frmVendite"))
                && value(QStringLiteral("SELECT ValoreScarico FROM ScaricoArticoli s JOIN Articoli a ON a.OID = "
                                        "s.objParent WHERE a.Codice = '1002'"))
                       .toDouble()
                == 3.0;
        },
        [] { Person::click(QStringLiteral("Buoni")); });
    person.when(
        "the customer's vouchers", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] { Person::click(QStringLiteral("OK")); });
    person.when(
        "the question on the voucher", [] { return Person::messageBox() != nullptr; },
        [] {
            EXPECT_TRUE(Person::messageText().startsWith(QStringLiteral("Vuoi usare il buono [Buono 5]")))
                << Person::messageText().toStdString();
            Person::answerBox(QStringLiteral("Yes"));
        });
    person.when("the sale window again", [] { return Person::modalIs(QStringLiteral("frmVendite")); });
}

TEST_F(PersonAtCounter, SaleWindowFromTheMenuTakesACodeTypedWithEnter)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Operazioni"), QStringLiteral("Nuova Vendita...")});
    });
    pickCustomer(person);
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

// The whole sale as the counter rings it up: two codes, a quantity changed, a voucher, the
// payment, and the receipt printed by the register.
TEST_F(PersonAtCounter, SaleWithQuantityVoucherAndPaymentReachesTheRegister)
{
    ShopRegister shopRegister;
    logIn();
    ringUpSale();
    person.when(
        "the sale window again", [] { return Person::modalIs(QStringLiteral("frmVendite")); },
        [] {
            EXPECT_EQ(Person::focusName(), QStringLiteral("txtCode_Articolo"));
            Person::click(QStringLiteral("Conferma"));
        });
    person.when(
        "the kind of payment", [] { return Person::modalIs(QStringLiteral("PickRowDialog")); },
        [] {
            EXPECT_EQ(Person::modal()->windowTitle(), QStringLiteral("Seleziona - Tipi Pagamento"));
            auto* search = Person::modal()->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
            ASSERT_TRUE(search);
            Person::clickInto(*search);
            Person::type(QStringLiteral("Contanti"));
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the payment", [] { return Person::modalIs(QStringLiteral("RowEditor")); },
        [] {
            EXPECT_TRUE(Person::modal()->isEnabled());
            Person::click(QStringLiteral("OK"));
        });
    person.when(
        "the sale completed",
        [this] { return value(QStringLiteral("SELECT count(*) FROM Vendite WHERE Completato")).toInt() == 1; });
    runProgram();

    EXPECT_EQ(column(QStringLiteral("SELECT a.Codice || ' x' || s.ValoreScarico FROM ScaricoArticoli s JOIN Articoli a "
                                    "ON a.OID = s.objParent ORDER BY a.Codice")),
              (QVariantList {QStringLiteral("1001 x1.0"), QStringLiteral("1002 x3.0")}));
    EXPECT_EQ(value(QStringLiteral("SELECT ImportoUtilizzato FROM BuoniClienti")).toDouble(), 5.0);
    // The register speaks prices and codes only: the receipt reached it when it took commands.
    EXPECT_FALSE(shopRegister.line.simulator().commands().isEmpty()) << shopRegister.line.fromProgram().toStdString();
}

// The sale above, its program killed before the payment: at the next start the open sale is
// given up and what it had taken back in the shop's file.
TEST_F(PersonAtCounter, DISABLED_SaleLeftOpenUntilKilled)
{
    ASSERT_TRUE(isChild()) << "the child of SaleKilledBeforeThePaymentIsUndoneAtTheNextStart";
    logIn();
    ringUpSale();
    person.when("the sale waiting", nullptr, [] {
        std::fputs("SALE OPEN\n", stdout);
        std::fflush(stdout);
    });
    person.when("the kill", [] { return false; });
    runProgram(60000);
}

TEST_F(PersonAtCounter, SaleKilledBeforeThePaymentIsUndoneAtTheNextStart)
{
    const QVariantList before = column(QStringLiteral("SELECT OID || ' ' || ImportoUtilizzato FROM BuoniClienti"));
    std::unique_ptr<QProcess> child(startChild(QStringLiteral("PersonAtCounter.DISABLED_SaleLeftOpenUntilKilled")));
    ASSERT_TRUE(waitForLine(*child, "SALE OPEN"));
    ASSERT_EQ(value(QStringLiteral("SELECT count(*) FROM ScaricoArticoli")).toInt(), 2);
    child->kill();
    ASSERT_TRUE(child->waitForFinished(10000));
    EXPECT_EQ(child->exitStatus(), QProcess::CrashExit);

    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow);
    runProgram();
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM Vendite")).toInt(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM ScaricoArticoli")).toInt(), 0);
    EXPECT_EQ(column(QStringLiteral("SELECT OID || ' ' || ImportoUtilizzato FROM BuoniClienti")), before);
}
