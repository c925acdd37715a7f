#include "ScriptRunners.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"
#include "base/PrintProgress.h"
#include "vbscript/ScriptEngine.h"
#include "ScriptFields.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <functional>
#include <new>

namespace {

ReceiptProgressSource g_receiptProgress = nullptr;

const QString kRunnerSource = QString::fromLatin1(printerr::kSource);

QString configuredLabelScript()
{
    return settings().LabelPrinterParam.VBScript.isEmpty() ? DefaultLabelScript()
                                                           : settings().LabelPrinterParam.VBScript;
}

QString configuredTicketScript()
{
    return settings().TicketPrinterParam.VBScript.isEmpty() ? DefaultTicketScript()
                                                            : settings().TicketPrinterParam.VBScript;
}

AppError noPrintObject()
{
    return AppError::object(printerr::kDeviceNotReady, kRunnerSource,
                            QStringLiteral("Oggetto di stampa non impostato."));
}

// The runners' message: the prefix, the error, and the script line when the engine has one.
void reportRunnerError(const QString& prefix, const AppError& e, const vbs::ScriptEngine& engine)
{
    QString text = prefix + QStringLiteral("\r\r") + e.description + u'\r';
    if (const auto& failed = engine.lastError()) text += QStringLiteral("\rLinea VB: ") + QString::number(failed->line);
    ui().msgBox(text, Msg::Critical, g_strMsgTitle);
}

struct EntryCall {
    QString prefix;
    QString script;
    QString entry;
    PrintTarget* target = nullptr;   // where the trace note goes
    std::function<void()> before;   // the receipt object's row handling
    std::function<vbs::VariantList()> args;
};

bool runEntry(const EntryCall& call)
{
    vbs::ScriptEngine engine;
    try {
        engine.addCode(call.script);
        if (call.before) call.before();
        vbs::VariantList args = call.args();
        if (call.target) {
            QString note = call.entry;
            for (size_t i = 0; i < args.size(); ++i)
                if (!args[i].isObject()) note += u' ' + args[i].toString();
            call.target->annotate(note);
        }
        return engine.run(call.entry, args).toBool();
    } catch (const AppError& e) {
        reportRunnerError(call.prefix, e, engine);
        return false;
    } catch (const std::bad_alloc&) {
        // Raised outside the script (its fields, the print object): the script's own form.
        reportRunnerError(call.prefix,
                          AppError(vbs::err::kOutOfMemory, kRunnerSource, vbs::errorText(vbs::err::kOutOfMemory)),
                          engine);
        return false;
    } catch (const std::exception& e) {
        reportRunnerError(call.prefix, AppError(AppError::kInvalidCall, kRunnerSource, QString::fromUtf8(e.what())),
                          engine);
        return false;
    }
}

vbs::Variant object(const vbs::ObjectPtr& o) { return vbs::Variant(o); }

}   // namespace

bool RunPrintLabel(TableData& dataSet, std::shared_ptr<clsScriptPrinter>& prn, const QString& script)
{
    EntryCall call;
    call.prefix = QStringLiteral("Errore nel codice di stampa etichetta: ");
    call.script = script.isEmpty() ? configuredLabelScript() : script;
    call.entry = QStringLiteral("PrintLabel");
    call.target = prn ? prn->Target().get() : nullptr;
    call.args = [&] {
        if (!prn) throw noPrintObject();
        return vbs::VariantList {object(ScriptFieldsOf(dataSet)), object(prn)};
    };
    return runEntry(call);
}

bool RunPrintTicketMask(TableData& saleSet, TableData& receiptSet, std::shared_ptr<clsTiketScriptPrinter>& prn,
                        const QString& script, bool bTotal)
{
    EntryCall call;
    call.prefix = QStringLiteral("Errore nel codice di stampa maschera ricevuta: ");
    call.script = script.isEmpty() ? configuredTicketScript() : script;
    call.entry = QStringLiteral("PrintTicketMask");
    call.target = prn ? prn->Target().get() : nullptr;
    call.before = [&] {
        if (!prn) throw noPrintObject();
        prn->SetRowPrinting(false);
    };
    call.args = [&] {
        auto customer = saleSet.GetReference(QStringLiteral("Cliente"));
        return vbs::VariantList {object(ScriptFieldsOf(saleSet)), object(ScriptFieldsOf(*customer)),
                                 object(ScriptFieldsOf(receiptSet)), object(prn), vbs::Variant(bTotal)};
    };
    return runEntry(call);
}

bool RunPrintTicketRow(TableData& rowsSet, std::shared_ptr<clsTiketScriptPrinter>& prn, const QString& script,
                       int32_t nRow)
{
    EntryCall call;
    call.prefix = QStringLiteral("Errore nel codice di stampa (%1) riga ricevuta: ").arg(nRow);
    call.script = script.isEmpty() ? configuredTicketScript() : script;
    call.entry = QStringLiteral("PrintTicketRow");
    call.target = prn ? prn->Target().get() : nullptr;
    call.before = [&] {
        if (!prn) throw noPrintObject();
        prn->SetRowPrinting(true);
        if (nRow > 1) prn->NextTicketRow();
    };
    call.args = [&] {
        return vbs::VariantList {object(ScriptFieldsOf(rowsSet)), object(prn), vbs::Variant::longValue(nRow)};
    };
    return runEntry(call);
}

bool RunPrintTicketInfo(const QString& sInfo, std::shared_ptr<clsTiketScriptPrinter>& prn, const QString& script,
                        int32_t nRow)
{
    EntryCall call;
    call.prefix = QStringLiteral("Errore nel codice di stampa (%1) riga informazioni: ").arg(nRow);
    call.script = script.isEmpty() ? configuredTicketScript() : script;
    call.entry = QStringLiteral("PrintTicketInfo");
    call.target = prn ? prn->Target().get() : nullptr;
    call.before = [&] {
        if (!prn) throw noPrintObject();
        prn->SetRowPrinting(true);
        if (nRow > 1) prn->NextTicketRow();
    };
    call.args = [&] { return vbs::VariantList {vbs::Variant(sInfo), object(prn), vbs::Variant::longValue(nRow)}; };
    return runEntry(call);
}

QStringList ReceiptInfoLines(const QString& note)
{
    // Only blanks are trimmed: a note that ends with a line break keeps its empty last line.
    qsizetype from = 0, to = note.size();
    while (from < to && note[from] == u' ') ++from;
    while (to > from && note[to - 1] == u' ') --to;
    QString text = note.mid(from, to - from);
    if (text.isEmpty()) return {};
    text.remove(u'\n');
    return text.split(u'\r');
}

std::unique_ptr<TableData> ReceiptRows(TableData& saleSet)
{
    auto rows = saleSet.GetReference(QStringLiteral("Articoli"));
    const QString given = rows->GetFieldList();
    QString fields = given;
    auto append = [&fields](const QString& more) {
        if (fields.trimmed().isEmpty()) fields = QStringLiteral("*");
        fields += more;
    };
    if (!fields.contains(QLatin1String("Percentuale"), Qt::CaseSensitive))
        append(QStringLiteral(",CodiciIva.Percentuale"));
    // A row of quantity 0 has no unit price: it is left empty rather than left to the
    // division, which stops the whole receipt where dividing by zero is an error.
    if (!fields.contains(QLatin1String("IVA"), Qt::CaseSensitive))
        append(QStringLiteral(",  IIf(ValoreScarico = 0, Null, "
                              "Round( (ImportoScarico/ValoreScarico)/(1 + (CodiciIva.Percentuale)/100 ) , 4))  "
                              "AS PrezzoVenditaUnitario"));
    if (fields == given) return rows;
    TableObject* table = rows->GetTable();
    auto extended = table->Select(saleSet.GetChildFilter(table->Name()), rows->GetOrder(), fields);
    if (!rows->GetFilter().isEmpty()) extended->SetFilter(rows->GetFilter());
    return extended;
}

namespace {

// One copy after another; false as soon as a runner fails or the operator stops.
bool printCopies(TableData& saleSet, TableData& receiptSet, TableData& rows, const QStringList& infos,
                 std::shared_ptr<clsTiketScriptPrinter>& prn, int16_t copies, const QString& script,
                 PrintProgress& progress)
{
    // A new ticket when the rows area is full, with the mask of the ticket being left.
    auto roomForNextRow = [&]() {
        if (!prn->LastRow()) return true;
        if (!RunPrintTicketMask(saleSet, receiptSet, prn, script, false)) return false;
        prn->NextTicket();
        return true;
    };
    for (int copy = 1; copy <= copies; ++copy) {
        progress.start(int32_t(rows.RowCount() + infos.size()));
        int32_t nRow = 0;
        if (!rows.IsEmpty()) {
            for (rows.MoveFirst(); !rows.IsEOF(); rows.MoveNext()) {
                if (!progress.step()) return false;
                if (!roomForNextRow()) return false;
                if (!RunPrintTicketRow(rows, prn, script, ++nRow)) return false;
            }
        }
        for (const QString& info : infos) {
            if (!progress.step()) return false;
            if (!roomForNextRow()) return false;
            if (!RunPrintTicketInfo(info, prn, script, ++nRow)) return false;
        }
        if (!RunPrintTicketMask(saleSet, receiptSet, prn, script, true)) return false;
        prn->NextTicket();
    }
    return true;
}

void reportJobError(const AppError& e)
{
    ui().msgBox(QStringLiteral("Si e' verificato un errore durante l'emissione della ricevuta:\r\r") + e.description,
                Msg::Critical, g_strMsgTitle);
}

}   // namespace

void SetReceiptProgressSource(ReceiptProgressSource source) { g_receiptProgress = source; }

bool PrintRicevuta(TableData& saleSet, TableData& receiptSet, std::shared_ptr<clsTiketScriptPrinter>& prn,
                   int16_t copies, const QString& script, PrintProgress* progress)
{
    std::unique_ptr<PrintProgress> own;
    if (!progress) {
        own = g_receiptProgress ? g_receiptProgress() : SilentPrintProgress();
        progress = own.get();
    }
    bool ok = false;
    try {
        if (!prn) throw noPrintObject();
        prn->InitializeVars();
        progress->show(QStringLiteral("Stampa ricevuta in corso..."));
        saleSet.Refresh();
        std::unique_ptr<TableData> rows = ReceiptRows(saleSet);
        const QStringList infos = ReceiptInfoLines(saleSet.GetValue(QStringLiteral("Note")).toString());
        ok = printCopies(saleSet, receiptSet, *rows, infos, prn, copies, script, *progress);
    } catch (const AppError& e) {
        ok = false;
        reportJobError(e);
    }
    progress->end();
    progress->close();
    if (prn) {
        // Ended whatever happened: what was drawn before a failure or a Stop is printed, so
        // the operator sees how far the receipt got.
        try {
            prn->EndTickets();
        } catch (const AppError& e) {
            ok = false;
            reportJobError(e);
        }
    }
    prn.reset();
    return ok;
}
