// The developer tool drives a driver against a simulator and prints the traffic.
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace {
struct ToolRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

ToolRun mvtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(MV_MVTOOL_EXE), QStringList {QStringLiteral("fiscal")} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    ToolRun r;
    r.exitCode = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The readable part of each line of one direction ("->" sent, "<-" received), one a line.
std::string traffic(const ToolRun& r, const QString& arrow)
{
    QStringList out;
    for (const QString& l : r.lines) {
        if (l.startsWith(arrow + u' ')) out << l.section(QStringLiteral("   "), 1);
    }
    return out.join(u'\n').toStdString();
}

std::string lines(const QStringList& l) { return l.join(u'\n').toStdString(); }
}

TEST(MvtoolFiscal, KeystrokeReceiptShowsEveryKeyFrameAndItsAcknowledgement)
{
    const ToolRun r = mvtool({"--type", "3", "--sim", "ellisse", "--row", "2.5:3::2", "--end"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(r.lines.contains(QStringLiteral("-> 02 30 36 34 04 41 30 03   <STX>064<EOT>A0<ETX>")));
    EXPECT_EQ(traffic(r, QStringLiteral("->")),
              lines({"<STX>064<EOT>A0<ETX>", "<STX>055<EOT>A0<ETX>", "<STX>053<EOT>9E<ETX>", "<STX>048<EOT>A2<ETX>",
                     "<STX>072<EOT>9F<ETX>", "<STX>005<EOT>9B<ETX>"}));
    EXPECT_EQ(traffic(r, QStringLiteral("<-")), lines(QStringList(6, QStringLiteral("<ACK>"))));
    EXPECT_EQ(r.lines.last(), QStringLiteral("# done"));
}

TEST(MvtoolFiscal, ExtendedReceiptShowsRecordsResultsAndTheirAcknowledgements)
{
    const ToolRun r = mvtool({"--type", "4", "--sim", "ellisse", "--row", "2.5:3:Pane:2", "--end"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(traffic(r, QStringLiteral("->")),
              lines({
                  "<STX>700p000000025002000000000000000000000030                00<EOT>39<ETX>",
                  "<STX>700<EOT>9D<ETX>",
                  "<STX>000<EOT>96<ETX>",
                  "<STX>5100-PANE                           0<EOT>AD<ETX>",
                  "<STX>7400000000000010000000000000000000000000<EOT>92<ETX>",
                  "<STX>740<EOT>A1<ETX>",
                  "<STX>000<EOT>96<ETX>",
              }));
    // An acknowledgement and the result that follows it may come in one read.
    QString received = QString::fromStdString(traffic(r, QStringLiteral("<-")));
    received.remove(u'\n');
    EXPECT_EQ(received, QStringLiteral("<ACK><STX>700<EOT>9D<ETX><ACK><ACK><ACK><STX>740<EOT>A1<ETX><ACK>"));
}

TEST(MvtoolFiscal, EverySerialFamilyRunsAgainstItsSimulator)
{
    struct Case {
        const char* type;
        const char* sim;
        QStringList sent;
    };
    const Case cases[] = {
        {"0",
         "crf4600",
         {"<STX>t!1<ETX>", "<ACK>", "<STX>p!3<ETX>", "<ACK>", "<STX>q!0<ETX>", "<ACK>", "<STX>q\"10!1#1.2!2<ETX>",
          "<ACK>", "<STX>q\"50 <ETX>", "<ACK>", "<STX>t!0<ETX>", "<ACK>"}},
        {"7",
         "sax",
         {"<STX>F44<ETX>", "<STX>000N7C<ETX>", "<STX>001R04               0000024043<ETX>",
          "<STX>002T 0        044<ETX>"}},
        {"8", "dsprogress", {"KXCL<CR>", "KR240R4<CR>", "KRT1<CR>"}},
        {"10", "sarema", {"K", "\"\"2*00000120H4R", "1T"}},
        {"11", "sweda", {"KXCL<CR>", "KX00000240R42x <CR>", "KXT1<CR>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sim);
        const ToolRun r = mvtool({"--type", c.type, "--sim", c.sim, "--wait", "10", "--row", "1.20:2::4", "--end"});
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        EXPECT_EQ(traffic(r, QStringLiteral("->")), lines(c.sent));
    }
}

TEST(MvtoolFiscal, RegistersWithoutADriverHereAreToldSo)
{
    struct Case {
        const char* type;
        const char* shown;
    };
    const Case cases[] = {
        {"99",
         "ERROR 0x80040005 (Registratore di cassa): Codice: 5 | Il registratore di cassa impostato non ha un driver"},
        {"1", "ERROR 0x80040005 (RCH G600): Codice: 5 | Il registratore di cassa \"RCH G600\" richiede il componente"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const ToolRun r = mvtool({"--type", c.type, "--sim", "ellisse", "--end"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.lines.join(u'\n').contains(QString::fromUtf8(c.shown))) << r.lines.join(u'\n').toStdString();
    }
    const ToolRun unknown = mvtool({"--type", "13", "--sim", "ellisse"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.errors.contains(QStringLiteral("register type 13: no driver was created")));
}

// The calls the makers' software received, one a line.
std::string componentCalls(const ToolRun& r)
{
    QStringList out;
    for (const QString& l : r.lines) {
        if (l.startsWith(QStringLiteral("component: "))) out << l.mid(11);
    }
    return out.join(u'\n').toStdString();
}

TEST(MvtoolFiscal, ComponentRegistersRunAgainstTheFakesCallByCall)
{
    const ToolRun r = mvtool({"--type", "6", "--fake", "--row", "1.50:-2:Acqua:3", "--end"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(componentCalls(r),
              lines({"RCHClose()", "RCHOpen(\" 1\") = 0", "AsyncMode = False", "BeginFiscalReceipt(True) = 0",
                     "PrintRecRefund(\"ACQUA\", 3) = 0", "PrintRecTotal(0, 0, \"\") = 0", "EndFiscalReceipt(False) = 0",
                     "RCHClose()"}));

    // A register that never reports the command carried out: the time-out, and nothing after it.
    const ToolRun silent = mvtool({"--type", "1", "--fake", "--report", "none", "--timeout", "100", "--end"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.lines.contains(
        QStringLiteral("ERROR 0x80040209 (RCH G600): [521] Errore di Timeout durante l'esecuzione del comando")));
    EXPECT_EQ(silent.lines.filter(QStringLiteral("[\"1028\", \"\"]")).size(), 1);   // the session key, never a void

    const ToolRun refused = mvtool({"--type", "12", "--fake", "--answer", "DevOpen=3", "--end"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.lines.contains(QStringLiteral("ERROR 0x80040003 (OLIVETTI (protocollo ELA)): Errore 3")));

    // The ELA payment is checked, its closing is not.
    const ToolRun unpaid
        = mvtool({"--type", "12", "--fake", "--answer", "Pagamento=4", "--row", "1:1:Pane:1", "--end"});
    EXPECT_EQ(unpaid.exitCode, 1);
    EXPECT_TRUE(unpaid.lines.contains(QStringLiteral("ERROR 0x80040004 (OLIVETTI (protocollo ELA)): Errore 4")));
    EXPECT_EQ(componentCalls(unpaid).find("Fisc_Chiusura"), std::string::npos);
    const ToolRun closed
        = mvtool({"--type", "12", "--fake", "--answer", "Fisc_Chiusura=4", "--row", "1:1:Pane:1", "--end"});
    EXPECT_EQ(closed.exitCode, 0) << lines(closed.lines);
    EXPECT_NE(componentCalls(closed).find("Fisc_Chiusura() = 4\nDevClose() = 0"), std::string::npos)
        << componentCalls(closed);
}

TEST(MvtoolFiscal, BadArgumentsAreAUsageError)
{
    for (const QStringList& args : {QStringList {"--sim", "ellisse"}, QStringList {"--type", "3"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--port", "/dev/null"},
                                    QStringList {"--type", "3", "--sim", "nosuch"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--row", "2.5:3"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--end", "--cancel"},
                                    QStringList {"--type", "2", "--sim", "ellisse", "--fake"},
                                    QStringList {"--type", "2", "--fake", "--answer", "RCHSend"},
                                    QStringList {"--type", "2", "--fake", "--report", "soon"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--timeout", "-1", "--end"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--wait", "-5", "--end"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--desc-len", "-5", "--end"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--decimals", "-2", "--end"},
                                    QStringList {"--type", "3", "--sim", "ellisse", "--decimals", "9", "--end"}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        EXPECT_EQ(mvtool(args).exitCode, 2);
    }
}
