// Scanned codes from the serial reader: each complete line reaches the registered code box
// with one CR, in order, when the box's window is the one in use; otherwise a beep. A line
// still without its end waits for it; a receive event nested in a delivery is dropped.
#include "mainwindow/BarcodeInput.h"
#include "mainwindow/CounterDevices.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "PtyPair.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "dialogs/LineEditBarcodeTarget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A code box without a window: whether its window is the active one is the test's to say.
class FakeBox final : public BarcodeTarget {
public:
    bool active = true;
    QStringList received;
    std::function<void()> onReceive;

    bool CanReceive() const override { return active; }
    void Receive(const QString& text) override
    {
        received << text;
        if (onReceive) onReceive();
    }
};

void settle()
{
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

bool waitFor(const std::function<bool()>& done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

}   // namespace

class Barcodes : public ::testing::Test {
protected:
    void SetUp() override { port.open(); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    ScriptedSerialChannel port;
};

TEST_F(Barcodes, EachCompleteLineReachesTheBoxInOrder)
{
    enum Box { None, Active, Behind };
    struct Case {
        const char* name;
        QList<QByteArray> chunks;
        Box box;
        QStringList received;
        QStringList log;
    };
    const Case cases[] = {
        {"two codes in one burst, CR LF each",
         {"111\r\n222\r\n"},
         Active,
         {"111\r", "222\r"},
         {"STATUS: Letto codice a barre: <111>", "STATUS: Letto codice a barre: <222>"}},
        {"a code in pieces", {"800", "12", "34\r"}, Active, {"8001234\r"}, {"STATUS: Letto codice a barre: <8001234>"}},
        {"line feeds end codes too",
         {"1\n2\n"},
         Active,
         {"1\r", "2\r"},
         {"STATUS: Letto codice a barre: <1>", "STATUS: Letto codice a barre: <2>"}},
        {"stray line ends before a code", {"\r\r555\r"}, Active, {"555\r"}, {"STATUS: Letto codice a barre: <555>"}},
        {"the box's window is behind another", {"9\r"}, Behind, {}, {"STATUS: Letto codice a barre: <9>", "BEEP: "}},
        {"no box registered", {"9\r"}, None, {}, {"STATUS: Letto codice a barre: <9>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui->clearLog();
        BarcodeInput input(port);
        auto box = std::make_shared<FakeBox>();
        box->active = c.box == Active;
        if (c.box != None) input.SetBarcodeControl(box);
        for (const QByteArray& chunk : c.chunks) {
            port.deliver(chunk);
            settle();
        }
        EXPECT_EQ(box->received, c.received);
        EXPECT_EQ(ui->log(), c.log);
    }
}

TEST_F(Barcodes, AReceiveEventDuringADeliveryIsDropped)
{
    BarcodeInput input(port);
    auto box = std::make_shared<FakeBox>();
    QList<qsizetype> nested;
    box->onReceive = [&] {
        const qsizetype before = box->received.size();
        input.MSComm_OnComm();
        nested << box->received.size() - before;
    };
    input.SetBarcodeControl(box);
    port.deliver("1\r2\r3\r");
    settle();
    EXPECT_EQ(box->received, (QStringList {"1\r", "2\r", "3\r"}));
    EXPECT_EQ(nested, (QList<qsizetype> {0, 0, 0}));
}

TEST_F(Barcodes, AClosedPortGivesNothingAndNoError)
{
    BarcodeInput input(port);
    auto box = std::make_shared<FakeBox>();
    input.SetBarcodeControl(box);
    port.deliver("1\r");
    port.close();
    input.MSComm_OnComm();
    settle();
    EXPECT_TRUE(box->received.isEmpty());
    EXPECT_TRUE(ui->log().isEmpty());
}

// The reader on a pseudo-terminal, switched on and read as the main window does.
TEST_F(Barcodes, CodesWrittenToTheReaderLineReachTheBox)
{
    PtyPair reader;
    headless.settings->set(QStringLiteral("Devices"), QStringLiteral("COM4"), reader.devicePath());
    settings().BarcodeReaderParam.COMPortNumber = 4;
    {
        CounterDevices devices;
        devices.SetBarcodeReader(true);
        ASSERT_TRUE(devices.Switches().BarcodeReaderPort().isOpen());
        auto box = std::make_shared<FakeBox>();
        devices.SetBarcodeControl(box);

        ASSERT_TRUE(reader.send("8001234567890\r\n80"));
        ASSERT_TRUE(waitFor([&] { return box->received.size() == 1; }));
        // The rest of the second code has not come: it waits.
        waitFor([] { return false; }, 100);
        EXPECT_EQ(box->received, QStringList {"8001234567890\r"});
        EXPECT_EQ(devices.Switches().BarcodeReaderPort().pendingText(), QStringLiteral("80"));

        ASSERT_TRUE(reader.send("09876543210\r\n"));
        ASSERT_TRUE(waitFor([&] { return box->received.size() == 2; }));
        EXPECT_EQ(box->received, (QStringList {"8001234567890\r", "8009876543210\r"}));
        devices.SetBarcodeReader(false);
    }
}

// The code box of a real window: it takes the code only while its window is the active one.
TEST(LineEditBarcodeTarget, TakesTheCodeOnlyWhileItsWindowIsActive)
{
    auto form = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(form.get());
    auto* box = new QLineEdit;
    layout->addWidget(box);
    const auto target = LineEditBarcodeTarget(box);
    QStringList typed;
    QObject::connect(box, &QLineEdit::textChanged, [&](const QString& t) { typed << t; });

    form->show();
    form->activateWindow();
    box->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == form.get(); }));
    EXPECT_TRUE(target->CanReceive());
    target->Receive(QStringLiteral("8001234567890\r"));
    EXPECT_EQ(typed, QStringList {"8001234567890\r"});

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &other; }));
    EXPECT_FALSE(target->CanReceive());

    form.reset();   // the window closes while still registered
    EXPECT_FALSE(target->CanReceive());
    target->Receive(QStringLiteral("1\r"));
}
