// Printing commands: a sale's receipt and article labels through the user's scripts and the
// print objects, as the program prints them, on the configured printer, into a PDF file or
// as a trace of every drawing; and the report of a view of the main window through its
// fixed layout, into a PDF file.
#include "MvTool.h"
#include "ShopFiles.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "printing/PrinterTarget.h"
#include "printing/RecordingTarget.h"
#include "dialogs/ReportDisplay.h"
#include "documents/ui/ReportLayouts.h"
#include "report/ReportPainter.h"
#include "operations/SectionTree.h"
#include "operations/ViewDialogs.h"
#include "operations/ViewQueryBuilder.h"
#include "printing/ScriptRunners.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

struct Output {
    QString pdf;   // --pdf FILE
    bool trace = false;   // --trace
};

// "--pdf FILE" and "--trace", one or neither, with the command's own options; an option the
// command does not know is a word (a code, say). The words, or nothing when the arguments are wrong.
std::optional<QStringList> takeOptions(const QStringList& args, Output& out, mvtool::OptionParser options)
{
    const std::optional<QStringList> words
        = options.flag("--trace", out.trace).value("--pdf", out.pdf).unknownAreWords().parse(args);
    if (!words || (out.trace && !out.pdf.isEmpty())) return std::nullopt;
    return words;
}

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(AppError::kFileNotFound, QStringLiteral("mvtool"), QStringLiteral("cannot read %1").arg(path));
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder cp1252("windows-1252");
        text = cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

std::shared_ptr<PrintTarget> chosenTarget(const Output& out, std::shared_ptr<RecordingTarget>& recording)
{
    if (out.trace) {
        recording = std::make_shared<RecordingTarget>();
        return recording;
    }
    if (!out.pdf.isEmpty()) return PrinterTarget::forPdf(out.pdf);
    return nullptr;   // the configured printer
}

// What the operator was told (runner and job messages), one line each.
void printMessages()
{
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return;
    for (QString line : scripted->log()) {
        line.replace(u'\r', QStringLiteral("\\r"));
        mvtool::out(line);
    }
}

void printTrace(const std::shared_ptr<RecordingTarget>& recording)
{
    if (!recording) return;
    for (const QString& line : recording->trace()) mvtool::out(line);
}

int printReceipt(const QStringList& arguments)
{
    Output out;
    std::optional<QString> scriptFile, copiesText;
    const std::optional<QStringList> words = takeOptions(
        arguments, out, mvtool::OptionParser().value("--script", scriptFile).value("--copies", copiesText));
    if (!words || words->size() != 2) return 2;
    const QStringList& args = *words;
    bool numeric = false;
    const qint64 saleOid = args[1].toLongLong(&numeric);
    const int copies = copiesText.value_or(QStringLiteral("1")).toInt();
    if (!numeric || copies < 1 || copies > INT16_MAX) return 2;
    const QString script = scriptFile ? readText(*scriptFile) : QString();

    mvtool::OpenShop shop(args[0]);
    auto sale = shop.select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(saleOid));
    if (sale->IsEmpty()) {
        mvtool::err(QStringLiteral("no sale %1").arg(saleOid));
        return 1;
    }
    auto receipt = sale->GetReferencingRows(QStringLiteral("Ricevute"));

    std::shared_ptr<RecordingTarget> recording;
    auto prn = std::make_shared<clsTiketScriptPrinter>();
    const TicketPrinterSettings& s = settings().TicketPrinterParam;
    auto setUp = [&](auto target) {
        prn->SetPrinter(target, s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft, int16_t(s.ModuleColumns),
                        s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom, s.TicketBackImageFile,
                        s.TicketBottomImageBorder);
    };
    if (auto target = chosenTarget(out, recording))
        setUp(target);
    else
        setUp(s.PrinterName);
    const bool ok = PrintRicevuta(*sale, *receipt, prn, int16_t(copies), script);
    printTrace(recording);
    printMessages();
    // A job that stopped still ends its document: the file holds what was drawn before.
    if (!out.pdf.isEmpty() && QFileInfo::exists(out.pdf)) mvtool::out(QStringLiteral("written %1").arg(out.pdf));
    return ok ? 0 : 1;
}

int printLabels(const QStringList& arguments)
{
    Output out;
    const std::optional<QStringList> words = takeOptions(arguments, out, mvtool::OptionParser());
    if (!words || words->size() < 2) return 2;
    const QStringList& args = *words;

    mvtool::OpenShop shop(args[0]);
    std::shared_ptr<RecordingTarget> recording;
    auto prn = std::make_shared<clsScriptPrinter>();
    const LabelPrinterSettings& s = settings().LabelPrinterParam;
    if (auto target = chosenTarget(out, recording))
        prn->SetPrinter(target, s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft, int16_t(s.ModuleColumns));
    else
        prn->SetPrinter(s.PrinterName, s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft, int16_t(s.ModuleColumns));

    int printed = 0;
    bool stopped = false, missing = false;
    for (const QString& code : args.mid(1)) {
        auto article = shop.select(QStringLiteral("Articoli"), QStringLiteral("Codice = ") + shop.db->QuoteText(code));
        if (article->IsEmpty()) {
            // The other labels still print, but the run did not do all it was asked.
            mvtool::err(QStringLiteral("no article %1").arg(code));
            missing = true;
            continue;
        }
        if (!RunPrintLabel(*article, prn, QString())) {
            stopped = true;
            break;
        }
        prn->NextLabel();
        ++printed;
    }
    prn->EndLabels();
    printTrace(recording);
    printMessages();
    mvtool::out(QStringLiteral("%1 labels%2")
                    .arg(printed)
                    .arg(out.pdf.isEmpty() ? QString() : QStringLiteral(", written ") + out.pdf));
    return stopped || missing ? 1 : 0;
}

const char* kReportUsage
    = "print-report DB NODE --pdf FILE [--all | --day YYYY-MM-DD | --month YYYY-MM]  the report of "
      "a tree node's view through its fixed layout, as the print and export commands show it";

// The view of a tree node as the main window opens it, shown through the report display
// with the fixed layouts, its export going to the file.
int printReport(const QStringList& arguments)
{
    QStringList args = arguments;
    Output out;
    // --all counts wherever it stands, even where another option waits for its value.
    const bool all = args.removeAll(QStringLiteral("--all")) > 0;
    std::optional<QString> dayText, monthText;
    const std::optional<QStringList> words
        = takeOptions(args, out, mvtool::OptionParser().value("--day", dayText).value("--month", monthText));
    if (!words || words->size() != 2 || out.pdf.isEmpty() || out.trace
        || int(all) + int(dayText.has_value()) + int(monthText.has_value()) > 1)
        return 2;
    std::optional<QDate> day, month;
    if (dayText) {
        day = QDate::fromString(*dayText, QStringLiteral("yyyy-MM-dd"));
        if (!day->isValid()) return 2;
    }
    if (monthText) {
        month = QDate::fromString(*monthText + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
        if (!month->isValid()) return 2;
    }
    args = *words;
    const QString node = args[1];

    mvtool::OpenShop shop(args[0]);
    DateSelection dates = DateSelection::AtStart();
    if (all) (void)dates.SelectAll();
    if (day) (void)dates.SelectDay(day);
    if (month) (void)dates.SelectMonth(month);
    shop.db->SetAccessLevel(1);
    ViewNode viewNode {node, node};
    for (const SectionNode& n : SectionTreeNodes(*shop.db, SectionTreeOptions {true}))
        if (n.key == node) viewNode.text = n.text;
    FixedViewDialogs dialogs;
    ViewQueryBuilder builder(*shop.db, dialogs, dates);
    const ViewQuery q = builder.Build(
        ViewRequest {viewNode, QString(), QString(), QStringLiteral(" Sezione:"), QStringLiteral(" Dettagli:")},
        ShownView {});
    const std::unique_ptr<TableData> view = OpenView(*shop.db, q);

    InstallReportLayouts();
    QString printed;
    setReportRunner([&](const report::ReportDocument& doc, int, QWidget*) {
        report::writePdf(doc, out.pdf);
        printed = QStringLiteral("%1: %2 pages, written %3").arg(doc.name).arg(doc.pageCount()).arg(out.pdf);
    });
    int16_t mode = ReportExport;
    QString section = node;
    ShowDataReport(*view, mode, section);
    setReportRunner(nullptr);
    setReportLayoutProvider(nullptr);
    printMessages();
    if (printed.isEmpty()) return 1;
    mvtool::out(printed);
    return 0;
}

}   // namespace

MV_COMMAND("print-report", kReportUsage, printReport);
MV_COMMAND("print-receipt",
           "print-receipt DB SALE [--script FILE] [--copies N] [--pdf FILE|--trace]  print a sale's "
           "receipt through the receipt script (the configured one by default)",
           printReceipt);
MV_COMMAND("print-labels",
           "print-labels DB CODE... [--pdf FILE|--trace]  print one label per article code through the "
           "configured label script",
           printLabels);
