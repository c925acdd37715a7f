#include "base/AppError.h"
#include "PtyPair.h"
#include "devices/simulators/ScriptedSerialChannel.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// A reader fed chunk by chunk: each step delivers bytes (possibly none) and reads one line.
struct Step {
    QByteArray arrives;
    QString line;   // what ReadCommLine returns
    QString pending;   // what waits afterwards
};

void play(const char* name, const std::vector<Step>& steps)
{
    SCOPED_TRACE(name);
    ScriptedSerialChannel comm;
    comm.open();
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        comm.deliver(s.arrives);
        EXPECT_EQ(ReadCommLine(comm), s.line);
        EXPECT_EQ(comm.pendingText(), s.pending);
    }
}

}   // namespace

TEST(ReadCommLine, AssemblesLinesAsTheyArrive)
{
    play("split line", {{"123", "", "123"}, {"45\r\n67", "12345", "67"}, {"89\n", "6789", ""}});
    play("CR wins over an earlier LF", {{"A\nB\r", "A\nB", ""}});
    play("LF alone ends a line", {{"abc\ndef", "abc", "def"}});
    play("CR alone ends a line", {{"abc\rdef", "abc", "def"}});
    play("CR LF is one end", {{"abc\r\n", "abc", ""}});
    play("CR at the end, LF later is an empty line", {{"abc\r", "abc", ""}, {"\n", "", ""}});
    play("two lines need two calls", {{"one\rtwo\r", "one", "two\r"}, {"", "two", ""}, {"", "", ""}});
    play("empty line", {{"\r\rx\r", "", "\rx\r"}, {"", "", "x\r"}, {"", "x", ""}});
    play("nothing received", {{"", "", ""}});
    play("LF CR: the CR ends the line", {{"a\n\rb", "a\n", "b"}});
    play("8-bit bytes are kept", {{"caff\xe8\r", QString::fromUtf8("caff\u00e8"), ""}});
}

TEST(ReadCommLine, KeepsEachChannelsPartialLineApart)
{
    ScriptedSerialChannel reader;
    ScriptedSerialChannel scale;
    reader.open();
    scale.open();
    reader.deliver("800");
    scale.deliver("0.25");
    EXPECT_EQ(ReadCommLine(reader), QString());
    EXPECT_EQ(ReadCommLine(scale), QString());
    reader.deliver("1\r");
    EXPECT_EQ(ReadCommLine(reader), QStringLiteral("8001"));
    scale.deliver("0\r");
    EXPECT_EQ(ReadCommLine(scale), QStringLiteral("0.250"));
}

TEST(ReadCommLine, ClosedPortIsAnError)
{
    ScriptedSerialChannel comm;
    EXPECT_THROW((void)ReadCommLine(comm), AppError);
    EXPECT_THROW(ClearCommInput(comm), AppError);
}

TEST(ClearCommInput, DropsReceivedBytesAndThePartialLine)
{
    ScriptedSerialChannel comm;
    comm.open();
    comm.deliver("12");
    EXPECT_EQ(ReadCommLine(comm), QString());
    comm.deliver("34\r");
    ClearCommInput(comm);
    EXPECT_EQ(comm.bytesAvailable(), 0);
    EXPECT_EQ(comm.pendingText(), QString());
    comm.deliver("56\r");
    EXPECT_EQ(ReadCommLine(comm), QStringLiteral("56"));
}

TEST(GetFirstLine, CutsAtTheFirstBreak)
{
    const struct {
        const char* text;
        const char* first;
    } cases[] = {
        {"ABC\r\nX", "ABC"},    {"ABC\nX\r", "ABC"}, {"ABC", ""}, {"\rABC", ""}, {"\nABC", ""}, {"", ""},
        {"A B\tC\r", "A B\tC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetFirstLine(QString::fromLatin1(c.text)), QString::fromLatin1(c.first)) << c.text;
}

// The same reader on a real line: bytes written by a device on a pseudo-terminal.
TEST(ReadCommLine, ReadsLinesFromAPseudoTerminal)
{
    PtyPair device;
    auto comm = createSystemSerialChannel();
    comm->setDevicePath(device.devicePath());
    comm->open();

    ASSERT_TRUE(device.send("123"));
    ASSERT_TRUE(comm->waitForBytes(3, 2000));
    EXPECT_EQ(ReadCommLine(*comm), QString());
    EXPECT_EQ(comm->pendingText(), QStringLiteral("123"));

    ASSERT_TRUE(device.send("45\r\n67"));
    ASSERT_TRUE(comm->waitForBytes(6, 2000));
    EXPECT_EQ(ReadCommLine(*comm), QStringLiteral("12345"));
    EXPECT_EQ(comm->pendingText(), QStringLiteral("67"));

    ASSERT_TRUE(device.send("89\n"));
    ASSERT_TRUE(comm->waitForBytes(3, 2000));
    EXPECT_EQ(ReadCommLine(*comm), QStringLiteral("6789"));
    EXPECT_EQ(comm->pendingText(), QString());
    EXPECT_EQ(ReadCommLine(*comm), QString());
}

// A receive handler that reads one line per notification, as the barcode reader's does,
// gets every code of a burst as long as it drains what is complete.
TEST(ReadCommLine, ReceiveHandlerCollectsScannedCodes)
{
    PtyPair device;
    auto comm = createSystemSerialChannel();
    comm->setDevicePath(device.devicePath());
    comm->open();
    QStringList codes;
    QObject::connect(comm.get(), &SerialChannel::received, [&] {
        for (QString line = ReadCommLine(*comm); !line.isEmpty(); line = ReadCommLine(*comm)) codes << line;
    });
    ASSERT_TRUE(device.send("8001234567890\r\n80"));
    ASSERT_TRUE(device.send("09876543210\r\n"));
    ASSERT_TRUE(comm->waitUntil([&] { return codes.size() >= 2; }, 2000));
    EXPECT_EQ(codes, (QStringList {"8001234567890", "8009876543210"}));
}
