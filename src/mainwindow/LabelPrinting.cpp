#include "LabelPrinting.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/ErrorReporting.h"
#include "printing/ui/WindowPrintProgress.h"
#include "printing/ScriptRunners.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

#include <cmath>

namespace {

const QString kPrinting = QStringLiteral("Stampa etichette in corso...");

std::shared_ptr<clsScriptPrinter> newLabelPrinter(const LabelPrinting::TargetSource& target)
{
    auto prn = std::make_shared<clsScriptPrinter>();
    const LabelPrinterSettings& s = settings().LabelPrinterParam;
    if (target)
        prn->SetPrinter(target(), s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft, int16_t(s.ModuleColumns));
    else
        prn->SetPrinter(s.PrinterName, s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft, int16_t(s.ModuleColumns));
    return prn;
}

// The reprint goes without the background picture and with the standard bottom border,
// whatever the settings say: the picture belongs to the receipt printed at the sale.
std::shared_ptr<clsTiketScriptPrinter> newReceiptPrinter(const LabelPrinting::TargetSource& target)
{
    auto prn = std::make_shared<clsTiketScriptPrinter>();
    const TicketPrinterSettings& s = settings().TicketPrinterParam;
    constexpr float kBottomBorder = 6;
    if (target)
        prn->SetPrinter(target(), s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft, int16_t(s.ModuleColumns),
                        s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom, QString(), kBottomBorder);
    else
        prn->SetPrinter(s.PrinterName, s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft,
                        int16_t(s.ModuleColumns), s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom, QString(),
                        kBottomBorder);
    return prn;
}

// Labels for a supply row: its load quantity as whole pieces, halves to the even one.
qint64 labelsOf(const TableData& row)
{
    const double pieces = std::nearbyint(row.GetFieldValue(QStringLiteral("ValoreCarico")).toDouble());
    return pieces > 0 ? qint64(pieces) : 0;
}

void reportError(const AppError& e) { ui().msgBox(e.description, Msg::Critical, g_strMsgTitle); }

// Closes the progress however the command ends.
struct ProgressScope {
    std::unique_ptr<PrintProgress> progress;
    ~ProgressScope()
    {
        if (!progress) return;
        progress->end();
        progress->close();
    }
};

}   // namespace

LabelPrinting::LabelPrinting(TargetSource target, ProgressSource progress)
    : m_target(std::move(target)), m_progress(progress ? std::move(progress) : ProgressSource(&MainWindowPrintProgress))
{ }

void LabelPrinting::mnuPrintLabel_Click(TableData* shown, const QList<qint64>& selection)
{
    if (!shown) return;
    try {
        if (shown->IsBOF() || shown->IsEOF()) {
            ui().msgBox(QStringLiteral("Devi selezionare l'elemento per il quale stampare le etichette"), Msg::OKOnly,
                        g_strMsgTitle);
            return;
        }
        const QString table = shown->tableName();
        if (table == u"Forniture")
            printSupply(*shown);
        else if (table == u"Articoli")
            printArticles(*shown, selection);
    } catch (...) {
        reportError(CurrentError());
    }
}

void LabelPrinting::printSupply(TableData& supply)
{
    const auto list = supply.GetReference(QStringLiteral("Articoli"));
    if (list->IsEmpty()) {
        ui().msgBox(QStringLiteral("Nessun Articolo per la Fornitura selezionata."), Msg::Information, g_strMsgTitle);
        return;
    }
    const qint64 n = list->RowCount();
    if (ui().msgBox(QStringLiteral("La fornitura selezionata contiene %1 articoli\r\r"
                                   "Confermi la stampa delle relative etichette ?")
                        .arg(n),
                    int(Msg::YesNo) | Msg::Question, g_strMsgTitle)
        != Msg::Yes)
        return;

    ProgressScope scope {m_progress()};
    PrintProgress& progress = *scope.progress;
    progress.show(kPrinting);
    auto prn = newLabelPrinter(m_target);

    QList<qint64> copies;
    qint64 labels = 0;
    for (list->MoveFirst(); !list->IsEOF(); list->MoveNext()) {
        copies << labelsOf(*list);
        labels += copies.last();
    }
    progress.start(int32_t(std::min<qint64>(labels, INT32_MAX)));

    qint64 row = 0;   // the last row the loop came to
    bool going = true;
    list->MoveFirst();
    while (going && row < copies.size() && !list->IsEOF()) {
        const qint64 wanted = copies[row++];
        for (qint64 c = 0; c < wanted; ++c) {
            if (!progress.step() || !RunPrintLabel(*list, prn, QString())) {
                going = false;
                break;
            }
            prn->NextLabel();
        }
        if (going) list->MoveNext();
    }
    prn.reset();   // the labels drawn go to the printer
    list->MoveFirst();
    // A stop at the last row still completed every row before it.
    if (row >= n) ui().msgBox(QStringLiteral("Operazione terminata"), Msg::Information, g_strMsgTitle);
}

void LabelPrinting::printArticles(TableData& articles, QList<qint64> selection)
{
    const qint64 current = articles.GetOID();
    {
        ProgressScope scope {m_progress()};
        PrintProgress& progress = *scope.progress;
        progress.show(kPrinting);
        auto prn = newLabelPrinter(m_target);
        if (selection.isEmpty()) selection << current;
        progress.start(int32_t(selection.size()));
        for (const qint64 oid : selection) {
            // A row deleted since it was selected has no label to print.
            if (!articles.MoveToOID(oid)) continue;
            if (!progress.step() || !RunPrintLabel(articles, prn, QString())) break;
            prn->NextLabel();
        }
        prn.reset();   // the labels drawn go to the printer
    }
    (void)articles.MoveToOID(current);   // back where the view stood; a row gone meanwhile leaves it where it is
    ui().beep();
}

void LabelPrinting::mnuFiscalPrint_Ricevuta_Click(TableData* shown)
{
    try {
        if (!shown || shown->RowCount() == 0) return;
        std::unique_ptr<TableData> sale, receipt;
        const QString table = shown->tableName();
        if (table == u"Ricevute") {
            receipt = shown->Clone();
            sale = shown->GetReference(QStringLiteral("Vendita"));
        } else if (table == u"Vendite") {
            sale = shown->Clone();
            receipt = shown->GetReferencingRows(QStringLiteral("Ricevute"));
            if (receipt->IsEmpty()) {
                ui().msgBox(QStringLiteral("La vendita selezionata non è associata a nessuna ricevuta"),
                            Msg::Information, g_strMsgTitle);
                return;
            }
            receipt->MoveFirst();
        } else {
            return;
        }
        ui().beep();
        if (ui().msgBox(QStringLiteral("Confermi la ristampa della ricevuta ?"), int(Msg::YesNo) | Msg::Question,
                        g_strMsgTitle)
            != Msg::Yes)
            return;
        for (;;) {
            // The job releases its print object whatever happens: each attempt needs its own.
            auto prn = newReceiptPrinter(m_target);
            const std::unique_ptr<PrintProgress> progress = m_progress();
            if (PrintRicevuta(*sale, *receipt, prn, 1, QString(), progress.get())) return;
            if (ui().msgBox(QStringLiteral("La ricevuta non e' stata stampata correttamente...\r\rVuoi riprovare ?"),
                            int(Msg::YesNo) | Msg::Exclamation, g_strMsgTitle)
                != Msg::Yes)
                return;
        }
    } catch (...) {
        reportError(CurrentError());
    }
}
