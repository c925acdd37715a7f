// The receipt print job over a sale in a shop file: rows and note lines into the rows area,
// masks per ticket, copies, the document ended also when the job stops (what was drawn is
// printed), and the runners' reports of script errors.
#include "base/PrintProgress.h"
#include "PrintShop.h"
#include "printing/PrinterTarget.h"
#include "printing/RecordingTarget.h"
#include "printing/ScriptRunners.h"
#include "TestEnvironment.h"

#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"
#include "vbscript/ScriptError.h"
#include "dialogs/frmMessage.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Every entry point writes what it was called with at the corner it was given.
const QString kTracingScript = QStringLiteral(
    "Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
    "  prn.TxtOut 0, 0, \"MASK \" & prn.TicketCount & \" \" & bTotal & \" \" & fldsCliente(\"Descrizione\")\r\n"
    "  PrintTicketMask = True\r\n"
    "End Function\r\n"
    "Function PrintTicketRow(flds, prn, nRow)\r\n"
    "  prn.TxtOut 0, 0, \"ROW \" & nRow & \" \" & flds(\"Codice\")\r\n"
    "  PrintTicketRow = True\r\n"
    "End Function\r\n"
    "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
    "  prn.TxtOut 0, 0, \"INFO \" & nRow & \" \" & sInfo\r\n"
    "  PrintTicketInfo = True\r\n"
    "End Function\r\n");

// A progress that lets the operator stop at a given step.
class StoppingProgress final : public PrintProgress {
public:
    explicit StoppingProgress(int stopAt) : m_stopAt(stopAt) { }
    void show(const QString& text) override { calls << QStringLiteral("show ") + text; }
    void start(int32_t maximum) override { calls << QStringLiteral("start %1").arg(maximum); }
    bool step() override { return ++m_steps != m_stopAt; }
    void end() override { calls << QStringLiteral("end"); }
    void close() override { calls << QStringLiteral("close"); }
    QStringList calls;

private:
    int m_stopAt;
    int m_steps = 0;
};

struct Line {
    QString text;
    double y;
    int page;
    bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Line& l)
{
    return os << l.text.toStdString() << " @" << l.y << " p" << l.page;
}

std::vector<Line> linesOf(const RecordingTarget& t)
{
    std::vector<Line> out;
    for (const auto& e : t.events())
        if (e.kind == RecordingTarget::Event::Draw && e.op.kind == DrawOp::Text)
            out.push_back({e.op.text, e.op.rect.y(), e.page});
    return out;
}

class ReceiptJob : public PrintShop {
protected:
    // A sale of `rows` rows (article codes A01...) with the note, and its receipt record.
    void makeSale(int rows, const QString& note = QString())
    {
        const qint64 article = addArticle(QStringLiteral("A01"), QStringLiteral("Mele"), "1.50");
        sale = newSale(note);
        for (int i = 0; i < rows; ++i) addRow(*sale, article, 1);
        receipt = addReceipt(*sale);
    }
    // The receipt settings' geometry on a recording A4 printer.
    std::shared_ptr<clsTiketScriptPrinter> printer()
    {
        auto prn = std::make_shared<clsTiketScriptPrinter>();
        prn->SetPrinter(target, 0, 0, 0, 0, 1, 6, 85, 165, QString(), 6);
        return prn;
    }
    bool print(int16_t copies = 1, const QString& script = kTracingScript, PrintProgress* progress = nullptr)
    {
        auto prn = printer();
        StoppingProgress never(-1);
        const bool ok = PrintRicevuta(*sale, *receipt, prn, copies, script, progress ? progress : &never);
        EXPECT_EQ(prn, nullptr) << "the job releases the print object";
        return ok;
    }

    std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>(QSizeF(210, 297));
    std::unique_ptr<TableData> sale;
    std::unique_ptr<TableData> receipt;
};

// Rows 1 to n from `first`, each one row step below the last, from `top` on `page`.
void expectRows(std::vector<Line>& expected, int first, int last, double top, int page)
{
    for (int n = first; n <= last; ++n)
        expected.push_back({QStringLiteral("ROW %1 A01").arg(n), top + 6.0 * (n - first), page});
}

}   // namespace

TEST_F(ReceiptJob, TwentyRowsFlowOntoASecondTicket)
{
    makeSale(20);
    ASSERT_TRUE(print());
    std::vector<Line> expected;
    expectRows(expected, 1, 13, 85, 0);
    expected.push_back({QStringLiteral("MASK 0 False Rossi Mario"), 0, 0});
    expectRows(expected, 14, 20, 85 + 6, 1);   // one row step below the rows area's top
    expected.push_back({QStringLiteral("MASK 1 True Rossi Mario"), 0, 1});
    EXPECT_EQ(linesOf(*target), expected);
    EXPECT_TRUE(target->ended());
    EXPECT_FALSE(target->aborted());
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
}

TEST_F(ReceiptJob, TheTraceShowsTheRunnersInTheirOrder)
{
    makeSale(14, QStringLiteral("Grazie"));
    ASSERT_TRUE(print());
    QStringList calls = target->trace().filter(QRegularExpression(QStringLiteral("^# |^newpage|^end")));
    calls.replaceInStrings(QRegularExpression(QStringLiteral("PrintTicketRow (\\d+)")), QStringLiteral("row \\1"));
    QStringList expected;
    for (int n = 1; n <= 13; ++n) expected << QStringLiteral("# row %1").arg(n);
    expected << QStringLiteral("# PrintTicketMask False") << QStringLiteral("# NextTicket") << QStringLiteral("newpage")
             << QStringLiteral("# row 14") << QStringLiteral("# PrintTicketInfo Grazie 15")
             << QStringLiteral("# PrintTicketMask True") << QStringLiteral("# NextTicket") << QStringLiteral("newpage")
             << QStringLiteral("end");
    EXPECT_EQ(calls, expected);
}

TEST_F(ReceiptJob, CopiesArePrintedWholeOneAfterTheOther)
{
    makeSale(2, QStringLiteral("A\r\nB"));
    ASSERT_TRUE(print(2));
    std::vector<Line> copy;
    const std::vector<Line> lines = linesOf(*target);
    const std::vector<Line> expected {
        {QStringLiteral("ROW 1 A01"), 85, 0},
        {QStringLiteral("ROW 2 A01"), 91, 0},
        {QStringLiteral("INFO 3 A"), 97, 0},
        {QStringLiteral("INFO 4 B"), 103, 0},
        {QStringLiteral("MASK 0 True Rossi Mario"), 0, 0},
        {QStringLiteral("ROW 1 A01"), 85, 1},
        {QStringLiteral("ROW 2 A01"), 91, 1},
        {QStringLiteral("INFO 3 A"), 97, 1},
        {QStringLiteral("INFO 4 B"), 103, 1},
        {QStringLiteral("MASK 1 True Rossi Mario"), 0, 1},
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(target->trace().filter(QStringLiteral("end")).size(), 1) << "one document for both copies";
}

TEST_F(ReceiptJob, ASaleWithoutRowsOrNotePrintsOnlyTheFinalMask)
{
    makeSale(0, QStringLiteral("   "));
    ASSERT_TRUE(print());
    EXPECT_EQ(linesOf(*target), (std::vector<Line> {{QStringLiteral("MASK 0 True Rossi Mario"), 0, 0}}));
}

TEST(ReceiptInfoLines, NoteLinesSplitAtCarriageReturns)
{
    const std::vector<std::pair<QString, QStringList>> cases {
        {QString(), {}},
        {QStringLiteral("   "), {}},
        {QStringLiteral("A\r\nB"), {QStringLiteral("A"), QStringLiteral("B")}},
        {QStringLiteral("  A\r\n\r\nB  "), {QStringLiteral("A"), QString(), QStringLiteral("B")}},
        {QStringLiteral("A\r\n"), {QStringLiteral("A"), QString()}},
        {QStringLiteral("A\nB"), {QStringLiteral("AB")}},
        {QStringLiteral("\tA"), {QStringLiteral("\tA")}},
    };
    for (const auto& [note, expected] : cases) EXPECT_EQ(ReceiptInfoLines(note), expected) << note.toStdString();
}

TEST_F(ReceiptJob, RowsCarryTheVatRateAndTheUnitPriceNetOfVat)
{
    const qint64 apples = addArticle(QStringLiteral("A01"), QStringLiteral("Mele"), "12.20");
    const qint64 bread = addArticle(QStringLiteral("P01"), QStringLiteral("Pane"), "2.08", QStringLiteral("IVA04"));
    sale = newSale();
    addRow(*sale, apples, 2);
    addRow(*sale, bread, 0);   // a row of quantity 0 must not stop the receipt
    receipt = addReceipt(*sale);
    const QString script
        = QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
                         "  PrintTicketMask = True\r\n"
                         "End Function\r\n"
                         "Function PrintTicketRow(flds, prn, nRow)\r\n"
                         "  prn.TxtOut 0, 0, flds(\"Descrizione\") & \"|\" & flds(\"Percentuale\") & \"|\" & "
                         "flds(\"PrezzoVenditaUnitario\") & \"|\" & IsNull(flds(\"PrezzoVenditaUnitario\"))\r\n"
                         "  PrintTicketRow = True\r\n"
                         "End Function\r\n");
    ASSERT_TRUE(print(1, script)) << messages().join(u'\n').toStdString();
    // 24,40 for two at 20%: 12,20 / 1,2 = 10,1667.
    EXPECT_EQ(target->texts(), (QStringList {QStringLiteral("Mele|20|10,1667|False"), QStringLiteral("Pane|4||True")}));
}

TEST_F(ReceiptJob, AJobStoppedByFailureOrStopPrintsWhatWasDrawn)
{
    makeSale(5);
    const QString stopsOnRow3 = QString(kTracingScript)
                                    .replace(QStringLiteral("  PrintTicketRow = True\r\n"),
                                             QStringLiteral("  PrintTicketRow = nRow < 3\r\n"));
    struct Case {
        const char* name;
        QString script;
        int stopAt;   // the operator's Stop at this step; -1 never
    };
    for (const Case& c :
         {Case {"the script returns False", stopsOnRow3, -1}, Case {"the operator stops", kTracingScript, 4}}) {
        target = std::make_shared<RecordingTarget>();
        StoppingProgress progress(c.stopAt);
        EXPECT_FALSE(print(1, c.script, &progress)) << c.name;
        EXPECT_TRUE(target->ended()) << c.name;
        EXPECT_FALSE(target->aborted()) << c.name;
        EXPECT_EQ(target->texts(),
                  (QStringList {QStringLiteral("ROW 1 A01"), QStringLiteral("ROW 2 A01"), QStringLiteral("ROW 3 A01")}))
            << c.name;
        EXPECT_EQ(progress.calls,
                  (QStringList {QStringLiteral("show Stampa ricevuta in corso..."), QStringLiteral("start 5"),
                                QStringLiteral("end"), QStringLiteral("close")}))
            << c.name;
        EXPECT_TRUE(messages().isEmpty()) << c.name << ": " << messages().join(u'\n').toStdString();
    }
}

TEST_F(ReceiptJob, AFailedReceiptLeavesAFileWithWhatWasDrawnBeforeTheFailure)
{
    makeSale(3);
    const QString file = testenv::newDir(QStringLiteral("pdf")) + QStringLiteral("/ricevuta.pdf");
    const QString failsOnRow2 = QString(kTracingScript)
                                    .replace(QStringLiteral("  PrintTicketRow = True\r\n"),
                                             QStringLiteral("  PrintTicketRow = nRow < 2\r\n"));
    struct Case {
        const char* name;
        QString script;
        bool ok;
        QStringList shown, notShown;
    };
    const Case cases[] = {
        {"stopped on row 2", failsOnRow2, false, {"ROW 1 A01", "ROW 2 A01"}, {"ROW 3", "MASK"}},
        {"whole", kTracingScript, true, {"ROW 1 A01", "ROW 3 A01", "MASK 0 True"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file);
        auto prn = std::make_shared<clsTiketScriptPrinter>();
        prn->SetPrinter(PrinterTarget::forPdf(file), 0, 0, 0, 0, 1, 6, 85, 165, QString(), 6);
        StoppingProgress never(-1);
        EXPECT_EQ(PrintRicevuta(*sale, *receipt, prn, 1, c.script, &never), c.ok);
        EXPECT_EQ(pdfPages(file), 1);
        const QString text = pdfText(file);
        for (const QString& t : c.shown)
            EXPECT_TRUE(text.contains(t)) << t.toStdString() << " in " << text.toStdString();
        for (const QString& t : c.notShown)
            EXPECT_FALSE(text.contains(t)) << t.toStdString() << " in " << text.toStdString();
    }
}

TEST_F(ReceiptJob, AnEmptyScriptRunsTheConfiguredOneAndAGivenOneRunsAlone)
{
    makeSale(1, QStringLiteral("Grazie"));
    settings().TicketPrinterParam.VBScript = kTracingScript;
    ASSERT_TRUE(print(1, QString()));
    EXPECT_EQ(target->texts().size(), 3);

    // A given script without PrintTicketInfo does not borrow the configured one.
    target = std::make_shared<RecordingTarget>();
    const QString withoutInfo = kTracingScript.left(kTracingScript.indexOf(QStringLiteral("Function PrintTicketInfo")));
    EXPECT_FALSE(print(1, withoutInfo));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("Errore nel codice di stampa (2) riga informazioni: \r\r")))
        << messages()[0].toStdString();
}

TEST_F(ReceiptJob, TheShippedReceiptScriptPrintsThroughTheObjects)
{
    makeSale(3, QStringLiteral("Grazie"));
    settings().TicketPrinterParam.VBScript = DefaultTicketScript();
    auto prn = printer();
    // No main window: no progress window either, and nothing to stop the job.
    EXPECT_TRUE(PrintRicevuta(*sale, *receipt, prn, 1, QString()));
    EXPECT_FALSE(frmMessage::isLoaded());
    EXPECT_TRUE(target->ended());
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ReceiptJob, AScriptThatReturnsNothingStopsWithoutAMessage)
{
    makeSale(3);
    const QString script = QString(kTracingScript).replace(QStringLiteral("  PrintTicketRow = True\r\n"), QString());
    EXPECT_FALSE(print(1, script));
    EXPECT_EQ(target->texts(), QStringList {QStringLiteral("ROW 1 A01")});
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ReceiptJob, ScriptErrorsAreReportedWithTheRunnerAndTheLine)
{
    makeSale(2, QStringLiteral("Nota"));
    // Statements put right after a function's first line: line 2 of the script for the
    // mask, line 6 for the row and line 10 for the information line.
    auto withLines = [](const QString& entry, const QStringList& statements) {
        QString s = kTracingScript;
        const int at = s.indexOf(u'\n', s.indexOf(QStringLiteral("Function ") + entry)) + 1;
        return s.insert(at, statements.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    };
    const QString divide = vbs::errorText(vbs::err::kDivisionByZero);
    struct Case {
        const char* name;
        QString script;
        QString prefix;
        QString description;   // empty: whatever the engine says
        int line;
    };
    const std::vector<Case> cases {
        {"row function, line 7", withLines(QStringLiteral("PrintTicketRow"), {"x = 1", "y = x / 0"}),
         QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "), divide, 7},
        {"information line", withLines(QStringLiteral("PrintTicketInfo"), {"y = 1 / 0"}),
         QStringLiteral("Errore nel codice di stampa (3) riga informazioni: "), divide, 10},
        {"mask", withLines(QStringLiteral("PrintTicketMask"), {"y = 1 / 0"}),
         QStringLiteral("Errore nel codice di stampa maschera ricevuta: "), divide, 2},
        // The whole script is compiled by the first runner, whichever function is at fault.
        {"syntax error in the mask", withLines(QStringLiteral("PrintTicketMask"), {"x = (", "", "", "", "", ""}),
         QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "), QString(), 2},
        {"a member the print object lacks", withLines(QStringLiteral("PrintTicketRow"), {"prn.Stampa 1"}),
         QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "), QString(), 6},
        // Four million elements would hold more memory than a script may.
        {"a script holding too much memory", withLines(QStringLiteral("PrintTicketRow"), {"ReDim a(4000000)"}),
         QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: "), vbs::errorText(vbs::err::kOutOfMemory), 6},
    };
    for (const Case& c : cases) {
        m_ui->clearLog();
        target = std::make_shared<RecordingTarget>();
        EXPECT_FALSE(print(1, c.script)) << c.name;
        ASSERT_EQ(messages().size(), 1) << c.name;
        const QString shown = messages()[0];
        EXPECT_TRUE(shown.startsWith(c.prefix + QStringLiteral("\r\r"))) << c.name << ": " << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("\r\rLinea VB: %1").arg(c.line)))
            << c.name << ": " << shown.toStdString();
        if (!c.description.isEmpty()) {
            EXPECT_EQ(shown,
                      c.prefix + QStringLiteral("\r\r") + c.description
                          + QStringLiteral("\r\rLinea VB: %1").arg(c.line))
                << c.name;
        }
        EXPECT_TRUE(target->ended()) << c.name;
    }
}

TEST_F(ReceiptJob, AJobWithoutAPrintObjectReportsItsOwnError)
{
    makeSale(1);
    std::shared_ptr<clsTiketScriptPrinter> none;
    StoppingProgress never(-1);
    EXPECT_FALSE(PrintRicevuta(*sale, *receipt, none, 1, kTracingScript, &never));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(messages()[0],
              QStringLiteral("Si e' verificato un errore durante l'emissione della ricevuta:\r\r"
                             "Oggetto di stampa non impostato."));
}

TEST_F(ReceiptJob, APrinterThatCannotTakeTheDocumentFailsTheReceipt)
{
    makeSale(1);
    const QString file = testenv::root() + QStringLiteral("/cartella-assente/ricevuta.pdf");
    auto prn = std::make_shared<clsTiketScriptPrinter>();
    prn->SetPrinter(PrinterTarget::forPdf(file), 0, 0, 0, 0, 1, 6, 85, 165, QString(), 6);
    StoppingProgress never(-1);
    EXPECT_FALSE(PrintRicevuta(*sale, *receipt, prn, 1, kTracingScript, &never));
    ASSERT_EQ(messages().size(), 1);
    // The first drawing of the script finds the file cannot be created.
    EXPECT_TRUE(messages()[0].startsWith(QStringLiteral("Errore nel codice di stampa (1) riga ricevuta: \r\r"
                                                        "Impossibile creare il file \"%1\"")
                                             .arg(file)))
        << messages()[0].toStdString();
    EXPECT_FALSE(QFile::exists(file));
}
