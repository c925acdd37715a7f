#include "CounterProgram.h"
#include "ShopBuilder.h"
#include "TestEnvironment.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/seams/MainWindowServices.h"
#include "core/lifecycle/Password.h"
#include "core/helpers/SystemHelpers.h"
#include "data/DB.h"
#include "devices/cards/ui/frmMagneticDev.h"
#include "dialogs/ProgramDialogs.h"
#include "dialogs/Startup.h"
#include "documents/ui/ReportLayouts.h"
#include "mainwindow/frmMain.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "widgets/QtUiServices.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

namespace {
// The program keeps its state in globals: one run a process, as ctest runs these tests.
bool g_programRan = false;
}

CounterProgram::CounterProgram()
{
    m_data = GetDataFolder();
    QDir().mkpath(m_data);
    testshop::Options where;
    where.path = databasePath();
    testshop::ShopBuilder shop(where);
    const auto article = [&shop](const char* code, const char* description, double price) {
        testshop::Article a;
        a.code = QString::fromLatin1(code);
        a.description = QString::fromLatin1(description);
        a.price = Currency::fromDouble(price);
        shop.addArticle(a);
    };
    article("1001", "Pane casereccio", 2.5);
    article("1002", "Latte intero", 1.2);
    testshop::Customer customer;
    customer.name = QStringLiteral("Rossi Mario");
    customer.code = QStringLiteral("C0001");
    shop.addCustomer(customer);
    shop.addSupplier(QStringLiteral("Forno Bianchi"));
    auto admin = shop.select(QStringLiteral("Operatori"), QStringLiteral("Nome = 'Amministratore'"));
    admin->MoveFirst();
    admin->SetValue(QStringLiteral("Password"), ScrambleString(QString::fromLatin1(kPassword), false));
    admin->Update();
}

CounterProgram::~CounterProgram() = default;

void CounterProgram::logIn()
{
    person.when(
        "the operator's choice", [] { return Person::modalIs(QStringLiteral("frmSelectOper")); },
        [] {
            auto* list = Person::modal()->findChild<QComboBox*>(QStringLiteral("CmbOperatore"));
            ASSERT_TRUE(list);
            EXPECT_EQ(Person::focusName(), QStringLiteral("CmbOperatore"));
            // The first operator is the one; a person picks it with the keyboard and confirms.
            const int at = list->findText(QStringLiteral("Amministratore"));
            ASSERT_GE(at, 0);
            while (list->currentIndex() > at) Person::key(Qt::Key_Up);
            while (list->currentIndex() < at) Person::key(Qt::Key_Down);
            Person::click(QStringLiteral("Conferma"));
        });
    person.when(
        "the operator's password window", [] { return Person::modalIs(QStringLiteral("frmPassword")); },
        [] {
            EXPECT_TRUE(Person::modal()->isEnabled());
            ASSERT_TRUE(qobject_cast<QLineEdit*>(Person::focus())) << "the password box has no focus";
            Person::type(QString::fromLatin1(kPassword) + u'\n');
        });
}

int CounterProgram::runProgram(int timeoutMs)
{
    if (g_programRan) {
        ADD_FAILURE() << "the program runs once a process: run these tests through ctest";
        return -1;
    }
    g_programRan = true;
    InstallUiServices(QString::fromLatin1(kAppTitle), ShowMainWindowStatus);
    InstallDialogServices();
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    std::unique_ptr<frmMain> window;
    person.start(timeoutMs);
    const int code = Main([&window]() -> QWidget* {
        InstallReportLayouts();
        InstallCustomerCardWriter();
        window = std::make_unique<frmMain>();
        return window.get();
    });
    EXPECT_TRUE(person.stuckAt().isEmpty()) << "waited in vain for: " << person.stuckAt().toStdString();
    window.reset();
    return code;
}

QVariantList CounterProgram::column(const QString& sql) const
{
    QVariantList out;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next()) out << q.value(0);
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}
