// Labels through the shipped label script into a PDF, the label runner's error report, and
// the developer tool's print commands on a shop file.
#include "PrintShop.h"
#include "printing/PrinterTarget.h"
#include "printing/RecordingTarget.h"
#include "printing/ScriptRunners.h"
#include "TestEnvironment.h"

#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

class Labels : public PrintShop {
protected:
    void SetUp() override
    {
        PrintShop::SetUp();
        settings().LabelPrinterParam.VBScript = DefaultLabelScript();
    }
    std::unique_ptr<TableData> article(const QString& code)
    {
        return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(code));
    }
};

}   // namespace

TEST_F(Labels, TheShippedScriptPrintsDescriptionAndEuroPriceInItalian)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE GOLDEN"), "1234.50", QStringLiteral("IVA10"),
               QStringLiteral("KgPzz"));
    addArticle(QStringLiteral("8002"), QStringLiteral("PANE"), "2.10");
    const QString file = testenv::newDir(QStringLiteral("labels")) + QStringLiteral("/etichette.pdf");
    auto prn = std::make_shared<clsScriptPrinter>();
    prn->SetPrinter(PrinterTarget::forPdf(file), 32.5f, 88, 0, 0, 2);
    for (const QString& code : {QStringLiteral("8001"), QStringLiteral("8002")}) {
        auto a = article(code);
        ASSERT_TRUE(RunPrintLabel(*a, prn, QString())) << messages().join(u'\n').toStdString();
        prn->NextLabel();
    }
    prn.reset();   // releasing the object ends the document
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains(QStringLiteral("MELE GOLDEN"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("PANE")));
    EXPECT_EQ(text.count(QStringLiteral("Euro")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("1.234,50")));
    EXPECT_TRUE(text.contains(QStringLiteral("2,10")));
    EXPECT_TRUE(text.contains(QStringLiteral("2.390.325"))) << "the old currency, grouped";
    EXPECT_EQ(text.count(QStringLiteral("al Kg")), 1) << "only the article sold by weight";
    EXPECT_EQ(pdfPages(file), 1);
}

TEST_F(Labels, AScriptErrorNamesTheLabelRunnerAndTheLine)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto a = article(QStringLiteral("8001"));
    auto target = std::make_shared<RecordingTarget>();
    auto prn = std::make_shared<clsScriptPrinter>();
    prn->SetPrinter(target, 32.5f, 88, 0, 0, 2);
    const QString script = QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                                          "  prn.TxtOut 0, 0, flds(\"Descrizione\")\r\n"
                                          "  prn.TxtOut 5, 0, flds(\"NonCe\")\r\n"
                                          "  PrintLabel = True\r\n"
                                          "End Function\r\n");
    EXPECT_FALSE(RunPrintLabel(*a, prn, script));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("Errore nel codice di stampa etichetta: \r\r")));
    EXPECT_TRUE(messages()[0].endsWith(QStringLiteral("\r\rLinea VB: 3"))) << messages()[0].toStdString();
    EXPECT_EQ(target->texts(), QStringList {QStringLiteral("MELE")}) << "what the script drew before the error stays";
}

TEST_F(Labels, TheFieldsIncludeTheCodesOfTheReferencedRows)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00", QStringLiteral("IVA10"),
               QStringLiteral("KgPzz"));
    auto a = article(QStringLiteral("8001"));
    auto target = std::make_shared<RecordingTarget>();
    auto prn = std::make_shared<clsScriptPrinter>();
    prn->SetPrinter(target, 32.5f, 88, 0, 0, 2);
    const QString script
        = QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                         "  prn.TxtOut 0, 0, flds(\"Cod_UnitaMisura\") & \"|\" & flds(\"Cod_CodiceIva\") & \"|\" & "
                         "flds(\"Cod_Reparto\") & \"|\" & IsNull(flds(\"CodiceAggiuntivo\"))\r\n"
                         "  PrintLabel = True\r\n"
                         "End Function\r\n");
    ASSERT_TRUE(RunPrintLabel(*a, prn, script)) << messages().join(u'\n').toStdString();
    ASSERT_EQ(target->texts().size(), 1);
    EXPECT_TRUE(target->texts()[0].startsWith(QStringLiteral("KgPzz|IVA10|"))) << target->texts()[0].toStdString();
}

#ifdef MV_MVTOOL_EXE
namespace {

struct ToolRun {
    int code = -1;
    QString out;
};

ToolRun mvtool(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(QStringLiteral(MV_MVTOOL_EXE), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

}   // namespace

TEST_F(Labels, ToolPrintsLabelsIntoAPdf)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE GOLDEN"), "1234.50");
    closeDatabase();
    const QString file = testenv::newDir(QStringLiteral("tool")) + QStringLiteral("/etichette.pdf");
    const ToolRun r = mvtool({QStringLiteral("print-labels"), path(), QStringLiteral("8001"), QStringLiteral("8001"),
                              QStringLiteral("--pdf"), file});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("2 labels"))) << r.out.toStdString();
    EXPECT_EQ(pdfText(file).count(QStringLiteral("1.234,50")), 2);

    // A code no article has is a failed run, though the labels found still print.
    const ToolRun partly = mvtool({QStringLiteral("print-labels"), path(), QStringLiteral("8001"),
                                   QStringLiteral("9999"), QStringLiteral("--pdf"), file});
    EXPECT_EQ(partly.code, 1) << partly.out.toStdString();
    EXPECT_TRUE(partly.out.contains(QStringLiteral("1 labels"))) << partly.out.toStdString();
    EXPECT_EQ(pdfText(file).count(QStringLiteral("1.234,50")), 1);
}

TEST_F(Labels, ToolTracesAReceiptAndReportsScriptErrors)
{
    const qint64 apples = addArticle(QStringLiteral("A01"), QStringLiteral("Mele"), "1.50");
    auto sale = newSale(QStringLiteral("Grazie"));
    addRow(*sale, apples, 2);
    const QString saleOid = QString::number(sale->GetOID());
    closeDatabase();
    const QString dir = testenv::newDir(QStringLiteral("tool"));
    auto writeScript = [&](const QString& name, const QString& rowBody) {
        QFile f(dir + u'/' + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
                               "  prn.TxtOut 0, 0, \"Totale \" & flds(\"ImportoVendita\")\r\n"
                               "  PrintTicketMask = True\r\n"
                               "End Function\r\n"
                               "Function PrintTicketRow(flds, prn, nRow)\r\n%1\r\n"
                               "  PrintTicketRow = True\r\n"
                               "End Function\r\n"
                               "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
                               "  prn.TxtOut 0, 0, sInfo\r\n"
                               "  PrintTicketInfo = True\r\n"
                               "End Function\r\n")
                    .arg(rowBody)
                    .toUtf8());
        return f.fileName();
    };
    const QString good
        = writeScript(QStringLiteral("ok.vbs"), QStringLiteral("  prn.TxtOut 0, 0, flds(\"Descrizione\")"));
    ToolRun r = mvtool({QStringLiteral("print-receipt"), path(), saleOid, QStringLiteral("--script"), good,
                        QStringLiteral("--trace")});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    // The drawings without their fonts, and the end of the document.
    const QRegularExpression drawing(QStringLiteral("^(text x=\\S+ y=\\S+ \"[^\"]*\"|end$)"));
    QStringList seen;
    for (const QString& line : r.out.split(u'\n'))
        if (const auto m = drawing.match(line); m.hasMatch()) seen << m.captured(1);
    EXPECT_EQ(seen,
              (QStringList {QStringLiteral("text x=0 y=85 \"Mele\""), QStringLiteral("text x=0 y=91 \"Grazie\""),
                            QStringLiteral("text x=0 y=0 \"Totale 3\""), QStringLiteral("end")}))
        << r.out.toStdString();

    const QString bad = writeScript(QStringLiteral("bad.vbs"), QStringLiteral("  prn.TxtOut 0, 0, 1 / 0"));
    r = mvtool(
        {QStringLiteral("print-receipt"), path(), saleOid, QStringLiteral("--script"), bad, QStringLiteral("--trace")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "))
                && r.out.contains(QStringLiteral("Linea VB: 6")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\nend"))) << "a failed receipt still ends its document";
}

// A receipt script that fails on its third line: the file holds what the lines before it
// drew, and the operator is told the error with its line.
TEST_F(Labels, ToolWritesWhatAFailedReceiptDrewIntoThePdf)
{
    const qint64 apples = addArticle(QStringLiteral("A01"), QStringLiteral("Mele"), "1.50");
    auto sale = newSale();
    addRow(*sale, apples, 2);
    const QString saleOid = QString::number(sale->GetOID());
    closeDatabase();
    const QString dir = testenv::newDir(QStringLiteral("tool"));
    QFile script(dir + QStringLiteral("/fails.vbs"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("Function PrintTicketRow(flds, prn, nRow)\r\n"
                 "  prn.TxtOut 0, 0, flds(\"Descrizione\")\r\n"
                 "  prn.TxtOut 6, 0, 1 / 0\r\n"
                 "  PrintTicketRow = True\r\n"
                 "End Function\r\n");
    script.close();
    const QString file = dir + QStringLiteral("/ricevuta.pdf");
    const ToolRun r = mvtool({QStringLiteral("print-receipt"), path(), saleOid, QStringLiteral("--script"),
                              script.fileName(), QStringLiteral("--pdf"), file});
    EXPECT_EQ(r.code, 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "))
                && r.out.contains(QStringLiteral("Linea VB: 3")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("written ") + file)) << r.out.toStdString();
    EXPECT_TRUE(pdfText(file).contains(QStringLiteral("Mele"))) << pdfText(file).toStdString();
}
#endif
