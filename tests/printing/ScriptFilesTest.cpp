// The label and receipt script files: what a file gives the editor, what the editor's text
// makes of a file, and the receipt's geometry in head lines.
#include "base/AppError.h"
#include "printing/PrintScriptFiles.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class ScriptFiles : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_dir + u'/' + name; }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes(const QString& name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QString m_dir = testenv::newDir(QStringLiteral("scripts"));
};

TEST_F(ScriptFiles, EachLineOfAFileReachesTheEditorWithCrLf)
{
    struct Case {
        const char* content;
        const char* script;
    };
    const Case cases[] = {
        {"A\r\nB\r\n", "A\r\nB\r\n"},
        {"A\r\nB", "A\r\nB\r\n"},   // a last line without its end
        {"A\nB\n", "A\r\nB\r\n"},   // written on Linux
        {"A\rB\r", "A\r\nB\r\n"},
        {"A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n"},
        {"", ""},
        {"\xEF\xBB\xBF"
         "A\r\n",
         "A\r\n"},   // a byte-order mark is not text
    };
    for (const Case& c : cases) {
        put(QStringLiteral("in.vbs"), QByteArray(c.content));
        EXPECT_EQ(ReadScriptFile(file(QStringLiteral("in.vbs"))), QString::fromLatin1(c.script)) << c.content;
    }
    // An 8-bit file is read in the Windows-1252 code page.
    put(QStringLiteral("old.vbs"), QByteArray("' Caff\xE8 \x80 1\r\n"));
    EXPECT_EQ(ReadScriptFile(file(QStringLiteral("old.vbs"))), QStringLiteral("' Caffè € 1\r\n"));
}

TEST_F(ScriptFiles, ALoadedScriptSavedAgainComesBackUnchanged)
{
    put(QStringLiteral("label.vbs"), "A\r\nB\r\n");
    QString script = ReadScriptFile(file(QStringLiteral("label.vbs")));
    for (int round = 0; round < 3; ++round) {
        WriteScriptFile(file(QStringLiteral("label.vbs")), script);
        EXPECT_EQ(bytes(QStringLiteral("label.vbs")), QByteArray("A\r\nB\r\n")) << "round " << round;
        script = ReadScriptFile(file(QStringLiteral("label.vbs")));
        EXPECT_EQ(script, QStringLiteral("A\r\nB\r\n")) << "round " << round;
    }
    // A text typed without a last line end gets one, once.
    WriteScriptFile(file(QStringLiteral("typed.vbs")), QStringLiteral("A\r\nB"));
    EXPECT_EQ(bytes(QStringLiteral("typed.vbs")), QByteArray("A\r\nB\r\n"));
    WriteScriptFile(file(QStringLiteral("empty.vbs")), QString());
    EXPECT_EQ(bytes(QStringLiteral("empty.vbs")), QByteArray());
}

TEST_F(ScriptFiles, AReceiptFileKeepsEveryGeometryBoxAndTheBody)
{
    const QMap<QString, QString> head {
        {"BottomImageBorder", "6,5"}, {"Columns", "2"},        {"TicketHeight", "148"},
        {"TicketWidth", "105"},       {"TicketTop", "10"},     {"TicketLeft", "5,25"},
        {"TicketRowsDim", "6"},       {"TicketRowsTop", "85"}, {"TicketRowsBottom", "165"}};
    const QString body = QStringLiteral("Function PrintTicketRow(flds, prn, nRow)\r\n"
                                        "  prn.TxtOut 0, 0, \"a=b\"\r\n"
                                        "  PrintTicketRow = True\r\n"
                                        "End Function\r\n");
    const QString path = file(QStringLiteral("TicketPrint.vbs"));
    WriteTicketScriptFile(path, head, body);
    EXPECT_EQ(bytes(QStringLiteral("TicketPrint.vbs")),
              QByteArray("'#BottomImageBorder=6,5\r\n'#Columns=2\r\n'#TicketHeight=148\r\n'#TicketWidth=105\r\n"
                         "'#TicketTop=10\r\n'#TicketLeft=5,25\r\n'#TicketRowsDim=6\r\n'#TicketRowsTop=85\r\n"
                         "'#TicketRowsBottom=165\r\n")
                  + body.toUtf8());
    for (int round = 0; round < 2; ++round) {
        const TicketScriptFile read = ReadTicketScriptFile(path);
        EXPECT_EQ(read.head, head) << "round " << round;
        EXPECT_EQ(read.script, body) << "round " << round;
        WriteTicketScriptFile(path, read.head, read.script);
    }
}

TEST_F(ScriptFiles, HeadLinesAreKnownKeysWhereverTheyStand)
{
    put(QStringLiteral("t.vbs"),
        "'#Columns=3\r\n"
        "Function A()\r\n"
        "'#Unknown=7\r\n"   // an unknown key is dropped
        "'#NoEquals\r\n"   // no "=": a line of the script
        "'#TicketTop=1=2\r\n"   // the key ends at the first "="
        "'#columns=4\r\n"   // keys compare exactly
        "' #TicketLeft=9\r\n"   // not a head line
        "'#=5\r\n"   // no key at all
        "End Function\r\n"
        "'#TicketRowsDim=7");
    const TicketScriptFile read = ReadTicketScriptFile(file(QStringLiteral("t.vbs")));
    const QMap<QString, QString> head {{"Columns", "3"}, {"TicketTop", "1=2"}, {"TicketRowsDim", "7"}};
    EXPECT_EQ(read.head, head);
    EXPECT_EQ(read.script, QStringLiteral("Function A()\r\n'#NoEquals\r\n' #TicketLeft=9\r\nEnd Function\r\n"));
}

TEST_F(ScriptFiles, ALineEndInABoxNeverReachesTheScript)
{
    const QString path = file(QStringLiteral("t.vbs"));
    WriteTicketScriptFile(path, {{"Columns", "2\r\nMsgBox 1"}, {"Other", "x"}}, QStringLiteral("End\r\n"));
    const TicketScriptFile read = ReadTicketScriptFile(path);
    EXPECT_EQ(read.head.value(QStringLiteral("Columns")), QStringLiteral("2MsgBox 1"));
    EXPECT_FALSE(read.head.contains(QStringLiteral("Other")));
    EXPECT_EQ(read.head.value(QStringLiteral("TicketTop"), QStringLiteral("<none>")), QString());   // written empty
    EXPECT_EQ(read.script, QStringLiteral("End\r\n"));
}

TEST_F(ScriptFiles, FilesThatCannotBeReadOrWrittenAreNamed)
{
    const QString missing = file(QStringLiteral("nessuno.vbs"));
    const QString nowhere = file(QStringLiteral("manca/TicketPrint.vbs"));
    auto description = [](const auto& action) -> QString {
        try {
            action();
        } catch (const AppError& e) {
            return e.description;
        }
        return QStringLiteral("<no error>");
    };
    EXPECT_TRUE(description([&] { (void)ReadScriptFile(missing); }).contains(missing));
    EXPECT_TRUE(description([&] { (void)ReadTicketScriptFile(missing); }).contains(missing));
    EXPECT_TRUE(description([&] { WriteScriptFile(nowhere, QStringLiteral("A")); }).contains(nowhere));
    EXPECT_TRUE(description([&] { WriteTicketScriptFile(nowhere, {}, QStringLiteral("A")); }).contains(nowhere));
}

TEST(ScriptEditorText, LineEndsGoBothWays)
{
    EXPECT_EQ(ScriptForEditor(QStringLiteral("A\r\nB\r\n")), QStringLiteral("A\nB\n"));
    EXPECT_EQ(ScriptFromEditor(QStringLiteral("A\nB\n")), QStringLiteral("A\r\nB\r\n"));
    EXPECT_EQ(ScriptFromEditor(QStringLiteral("A\r\nB\rC")), QStringLiteral("A\r\nB\r\nC"));
}

}   // namespace
