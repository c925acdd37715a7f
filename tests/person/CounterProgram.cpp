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
#include <QFile>
#include <QElapsedTimer>
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
    // A program a test starts as a process of its own works on that test's shop.
    if (qEnvironmentVariableIsSet(kParentConfig)) {
        setenv("XDG_CONFIG_HOME", qgetenv(kParentConfig).constData(), 1);
        setenv("XDG_DATA_HOME", qgetenv(kParentData).constData(), 1);
        m_data = GetDataFolder();
        return;
    }
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
    const qint64 customerRow = shop.addCustomer(customer);
    // A voucher the customer may spend at the counter.
    auto customers = shop.select(QStringLiteral("Clienti"), QStringLiteral("OID = %1").arg(customerRow));
    customers->MoveFirst();
    customers->GetReference(QStringLiteral("Buoni"))
        ->AddRow({QStringLiteral("Descrizione"), QStringLiteral("Buono 5"), QStringLiteral("ImportoBuono"),
                  QVariant::fromValue(Currency::fromInt(5))});
    shop.addSupplier(QStringLiteral("Forno Bianchi"));
    addDeliveryLayout(shop, shop.addSupplier(QStringLiteral("Grossista Nord")));
    auto admin = shop.select(QStringLiteral("Operatori"), QStringLiteral("Nome = 'Amministratore'"));
    admin->MoveFirst();
    admin->SetValue(QStringLiteral("Password"), ScrambleString(QString::fromLatin1(kPassword), false));
    admin->Update();
}

CounterProgram::~CounterProgram() = default;

QString CounterProgram::deliveryFile() const { return m_data + QStringLiteral("/consegna.txt"); }

void CounterProgram::addDeliveryLayout(testshop::ShopBuilder& shop, qint64 supplier)
{
    // Code, description, pieces and price at fixed places, as the wholesaler's files come.
    auto layouts = shop.select(QStringLiteral("TracciatiFornitura"), QStringLiteral("OID = 0"));
    const qint64 layout = layouts->AddRow({QStringLiteral("FileSorgente"), deliveryFile(), QStringLiteral("Note"),
                                           QStringLiteral("Consegne del grossista"), QStringLiteral("VBFilter"),
                                           QStringLiteral("Function FilterRow(Flds)\r\n  FilterRow = True\r\nEnd "
                                                          "Function\r\n")});
    struct Column {
        const char* name;
        int position, length;
        bool number, amount;
    };
    auto fields = layouts->GetReference(QStringLiteral("Campi"));
    for (const Column& c : {Column {"Codice", 1, 6, false, false}, Column {"Descrizione", 7, 10, false, false},
                            Column {"ValoreCarico", 17, 4, true, false}, Column {"PrezzoAcquisto", 21, 6, false, true}})
        layouts->SetReferenceOID(
            QStringLiteral("Campi"),
            fields->AddRow({QStringLiteral("NomeCampo"), QString::fromLatin1(c.name), QStringLiteral("Posizione"),
                            qint64(c.position), QStringLiteral("Lunghezza"), qint64(c.length),
                            QStringLiteral("CampoNumerico"), c.number, QStringLiteral("CampoImporto"), c.amount}));
    auto owner = shop.select(QStringLiteral("Fornitori"), QStringLiteral("OID = %1").arg(supplier));
    owner->MoveFirst();
    owner->AddToList(QStringLiteral("Tracciati"), layout);
    QFile file(deliveryFile());
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1002  Latte       24  0,80\r\n");
}

bool CounterProgram::isChild() { return qEnvironmentVariableIsSet(kParentConfig); }

QProcess* CounterProgram::startChild(const QString& test)
{
    auto* child = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kParentConfig), qEnvironmentVariable("XDG_CONFIG_HOME"));
    env.insert(QString::fromLatin1(kParentData), qEnvironmentVariable("XDG_DATA_HOME"));
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=") + test});
    return child;
}

bool CounterProgram::waitForLine(QProcess& child, const QByteArray& line, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (child.waitForReadyRead(200)) out += child.readAllStandardOutput();
        if (out.contains(line)) return true;
        if (child.state() == QProcess::NotRunning) break;
    }
    ADD_FAILURE() << "the child program never said " << line.toStdString() << ":\n" << out.toStdString();
    return false;
}


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
