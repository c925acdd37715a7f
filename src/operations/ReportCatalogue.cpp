#include "ReportCatalogue.h"
#include "core/helpers/ReportKey.h"
#include "objdb/Database.h"
#include "DateSelection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "ViewDialogs.h"

namespace {

const QString kUnderStockCondition = QStringLiteral("ScortaMinima > ValoreScorta AND PrezzoVendita > 0");
const QString kInStockCondition = QStringLiteral("ValoreScorta > 0 AND PrezzoVendita > 0");
const QString kSupplyFields = QStringLiteral("*, ImportoAcquisto,DataFornitura,Fornitore");

// The supplier question: the condition selecting that supplier's articles, or "" when the
// operator chose none.
QString supplierCondition(ReportCatalogue::Context& c, ViewQuery& q)
{
    auto suppliers = c.db.Tables().Item(QStringLiteral("Fornitori"))->Select();
    if (!c.dialogs.ChooseRow(*suppliers, QStringLiteral("Descrizione"))) return QString();
    q.Title = QStringLiteral(" Fornitore: ") + suppliers->GetValue(QStringLiteral("Descrizione")).toString();
    return c.db.Tables()
        .Item(QStringLiteral("Articoli"))
        ->BuildReferenceCondition(QStringLiteral("Fornitori"), suppliers->GetKey());
}

// The period question of the paid and unpaid supplies, then the payment state.
QString paymentCondition(ReportCatalogue::Context& c, ViewQuery& q, bool paid)
{
    std::optional<QDate> from = QDate(c.today.year(), c.today.month(), 1);
    std::optional<QDate> to;
    c.dialogs.ChoosePeriod(from, to);
    QString where;
    if (from && to) {
        where = QStringLiteral("DataFornitura>= ") + DateSelection::JetDate(*from)
            + QStringLiteral(" AND DataFornitura < ") + DateSelection::JetDate(to->addDays(1));
        q.StatusTexts << QStringLiteral("Da data: ") + from->toString(QStringLiteral("dd/MM/yyyy"))
                + QStringLiteral(" A Data: ") + to->toString(QStringLiteral("dd/MM/yyyy"));
    }
    if (!where.trimmed().isEmpty()) where += QStringLiteral(" AND ");
    return where + (paid ? QStringLiteral("Pagato = True") : QStringLiteral("Pagato = False"));
}

void stockAtDate(ReportCatalogue::Context& c, ViewQuery& q)
{
    const std::optional<QDate> chosen = c.dialogs.ChooseDate(c.dates.selDate);
    // The movements from the day after on are taken back from today's stock.
    const QDate next = (chosen ? *chosen : c.dates.selDate).addDays(1);
    Database& db = c.db;
    const QString loadLink = db.Tables().Item(QStringLiteral("CaricoArticoli"))->GetParentLinkField(QString());
    const QString unloadLink = db.Tables().Item(QStringLiteral("ScaricoArticoli"))->GetParentLinkField(QString());
    q.Table = QStringLiteral("Articoli");
    q.Fields = QStringLiteral("*,") + ReportCatalogue::StockAtDate() + QStringLiteral(",(")
        + ReportCatalogue::DateTaxable() + QStringLiteral(") AS Imponibile,(") + ReportCatalogue::DateVat()
        + QStringLiteral(") AS ImportoIVA,") + ReportCatalogue::StockNow() + QStringLiteral(",")
        + ReportCatalogue::LoadsFrom(loadLink, next) + QStringLiteral(",")
        + ReportCatalogue::UnloadsFrom(unloadLink, next);
    // The articles that had stock at that date, not those that have some today.
    q.Where = QStringLiteral("ValoreScortaAllaData > 0 AND PrezzoVendita > 0");
    q.Title = QStringLiteral(" Alla data: ") + next.toString(QStringLiteral("dd/MM/yyyy"));
}

}   // namespace

namespace {
// The catalogue's entry of a node's key: the reports of the tree.
std::optional<ReportKey> entryOf(const QString& key)
{
    const std::optional<ReportKey> report = ReportNamed(key);
    return report == ReportKey::SalesTaxable ? std::nullopt : report;
}
// A table's own node: the table, but for the two whose view is not the plain table.
void tableView(const QString& table, ViewQuery& q)
{
    q.Table = table;
    if (table == QLatin1String("Forniture")) {
        q.Fields = kSupplyFields;
    } else if (table == QLatin1String("Ricevute")) {
        q.Sort = QStringLiteral("AnnoRiferimento,Numero");
    }
}
}   // namespace

QStringList ReportCatalogue::ReportKeys()
{
    QStringList keys;
    for (ReportKey report : AllReportKeys())
        if (report != ReportKey::SalesTaxable) keys << ReportCaption(report);
    return keys;
}

bool ReportCatalogue::IsReport(const QString& key) { return entryOf(key).has_value(); }

QString ReportCatalogue::SoldCost()
{
    return QStringLiteral("(PrezzoAcquistoMedio*ValoreScarico) +") + QStringLiteral("(PrezzoVendita * ValoreScarico)")
        + QStringLiteral(" *(CodiciIva.Percentuale/(100+CodiciIva.Percentuale)) + (")
        + QStringLiteral("(ImportoScarico*PercentualeScorporoVari)/100") + QStringLiteral(")");
}

QString ReportCatalogue::SoldProfit() { return QStringLiteral("ImportoScarico-(") + SoldCost() + QStringLiteral(")"); }

QString ReportCatalogue::StockValue() { return QStringLiteral("PrezzoVendita*ValoreScorta"); }

QString ReportCatalogue::StockCost()
{
    return QStringLiteral("(PrezzoAcquistoMedio*ValoreScorta) +") + StockValue()
        + QStringLiteral(" *(CodiciIva.Percentuale/(100+CodiciIva.Percentuale)) ");
}

QString ReportCatalogue::StockProfit()
{
    return QStringLiteral("(") + StockValue() + QStringLiteral(")-(") + StockCost() + QStringLiteral(") ");
}

QString ReportCatalogue::StockTaxable() { return QStringLiteral("(PrezzoAcquistoMedio*ValoreScorta)"); }

QString ReportCatalogue::StockVat()
{
    return QStringLiteral("(((PrezzoAcquistoMedio*ValoreScorta)*CodiciIva.Percentuale)/100)");
}

QString ReportCatalogue::LoadsFrom(const QString& loadLink, const QDate& from)
{
    return QStringLiteral("(SELECT SUM(ValoreCarico) FROM CaricoArticoli WHERE ") + loadLink
        + QStringLiteral("=Articoli.OID AND DataCarico >= ") + DateSelection::JetDate(from)
        + QStringLiteral(") AS ValoreCarico");
}

QString ReportCatalogue::UnloadsFrom(const QString& unloadLink, const QDate& from)
{
    return QStringLiteral("(SELECT SUM(ValoreScarico) FROM ScaricoArticoli WHERE ") + unloadLink
        + QStringLiteral("=Articoli.OID AND DataScarico >= ") + DateSelection::JetDate(from)
        + QStringLiteral(") AS ValoreScarico");
}

QString ReportCatalogue::StockNow()
{
    return QStringLiteral("(ValoreScorta") + QStringLiteral("-IIF(ValoreCarico Is Null,0,ValoreCarico)")
        + QStringLiteral("+IIF(ValoreScarico Is Null,0,ValoreScarico)) AS ValoreScorta");
}

QString ReportCatalogue::StockAtDate()
{
    return QStringLiteral("(ValoreScorta") + QStringLiteral("-IIF(ValoreCarico Is Null,0,ValoreCarico)")
        + QStringLiteral("+IIF(ValoreScarico Is Null,0,ValoreScarico)) AS ValoreScortaAllaData");
}

QString ReportCatalogue::DateTaxable() { return QStringLiteral("(PrezzoAcquistoMedio*ValoreScortaAllaData)"); }

QString ReportCatalogue::DateVat()
{
    return QStringLiteral("(((PrezzoAcquistoMedio*ValoreScortaAllaData)*CodiciIva.Percentuale)/100)");
}

void ReportCatalogue::Fill(const QString& key, Context& c, ViewQuery& q)
{
    q.Fields.clear();
    q.Where.clear();
    q.Sort.clear();
    const std::optional<ReportKey> report = entryOf(key);
    if (!report) {
        tableView(key, q);
        ApplyTableEffects(key, q);
        return;
    }
    switch (*report) {
    case ReportKey::UnderStock:
        q.Table = QStringLiteral("Articoli");
        q.Where = supplierCondition(c, q);
        q.Where = q.Where.trimmed().isEmpty() ? kUnderStockCondition
                                              : q.Where + QStringLiteral(" AND ") + kUnderStockCondition;
        break;
    case ReportKey::Sold:
        q.Table = QStringLiteral("ScaricoArticoli");
        q.Fields = QStringLiteral("*, CodiciIva.Percentuale, (") + SoldCost() + QStringLiteral(") AS Costo, (")
            + SoldProfit() + QStringLiteral(") AS Guadagno");
        break;
    case ReportKey::StockTaxable:
        q.Table = QStringLiteral("Articoli");
        q.Fields = QStringLiteral("*, (") + StockTaxable() + QStringLiteral(") AS Imponibile, (") + StockVat()
            + QStringLiteral(") AS ImportoIVA");
        q.Where = kInStockCondition;
        break;
    case ReportKey::StockAtDate: stockAtDate(c, q); break;
    case ReportKey::BySupplier:
        q.Table = QStringLiteral("Articoli");
        q.Where = supplierCondition(c, q);
        break;
    case ReportKey::Inventory:
        q.Table = QStringLiteral("Articoli");
        q.Fields = QStringLiteral("*, (") + StockValue() + QStringLiteral(") AS Valore, (") + StockCost()
            + QStringLiteral(") AS Costo, (") + StockProfit() + QStringLiteral(") AS Guadagno");
        q.Where = kInStockCondition;
        break;
    case ReportKey::Various:
        q.Table = QStringLiteral("Articoli");
        q.Where = QStringLiteral("PrezzoVendita = 0");
        break;
    case ReportKey::Supplies:
        q.Table = QStringLiteral("Forniture");
        q.Fields = kSupplyFields;
        break;
    case ReportKey::PaidSupplies:
    case ReportKey::UnpaidSupplies:
        q.Table = QStringLiteral("Forniture");
        q.Fields = kSupplyFields;
        q.Where = paymentCondition(c, q, report == ReportKey::PaidSupplies);
        break;
    case ReportKey::Vouchers:
        q.Table = QStringLiteral("BuoniClienti");
        q.Fields = QStringLiteral("*,Clienti.Descrizione As Cliente");
        break;
    case ReportKey::SalesTaxable:   // not an entry
        break;
    }
    ApplyTableEffects(key, q);
}

void ReportCatalogue::ApplyTableEffects(const QString& key, ViewQuery& q)
{
    const QString& t = q.Table;
    q.DateField.clear();
    if (t == QLatin1String("Vendite")) {
        q.DateField = QStringLiteral("DataVendita");
        q.EnableFiscalPrint = true;
    } else if (t == QLatin1String("Forniture")) {
        if (entryOf(key) == ReportKey::Supplies || key == QLatin1String("Forniture"))
            q.DateField = QStringLiteral("DataFornitura");
        q.EnablePrintLabel = true;
    } else if (t == QLatin1String("CaricoArticoli")) {
        q.DateField = QStringLiteral("DataCarico");
    } else if (t == QLatin1String("ScaricoArticoli")) {
        q.DateField = QStringLiteral("DataScarico");
    } else if (t == QLatin1String("PagamentiCliente")) {
        q.DateField = QStringLiteral("DataPagamento");
    } else if (t == QLatin1String("AcquistoFornitori")) {
        q.DateField = QStringLiteral("DataAcquisto");
    } else if (t == QLatin1String("Articoli")) {
        q.EnablePrintLabel = true;
    }
}
