#include "ReportLayouts.h"
#include "dialogs/ReportDisplay.h"
#include "documents/ReportLayoutColumns.h"

namespace {

using layouts::Column;
using layouts::ColumnKind;
using layouts::ColumnListing;

const QString kSaleDate = QStringLiteral("dd/MM/yyyy-H.mm");

Column column(const QString& heading, const QString& field, ColumnKind kind)
{
    Column c;
    c.heading = heading;
    c.field = field;
    c.kind = kind;
    return c;
}
// A few letters wider than most codes: longer ones wrap within their column.
Column code(const QString& heading, const QString& field = QStringLiteral("Codice"),
            const QString& sample = QStringLiteral("8001234567890A"))
{
    Column c = column(heading, field, ColumnKind::Code);
    c.sample = sample;
    return c;
}
// The VAT code's view shows its description.
Column vat() { return code(QStringLiteral("IVA"), QStringLiteral("CodiceIva"), QStringLiteral("IVA al 22%")); }
Column text(const QString& heading, const QString& field, double weight = 1)
{
    Column c = column(heading, field, ColumnKind::Text);
    c.weight = weight;
    return c;
}
Column date(const QString& heading, const QString& field, const QString& pattern)
{
    Column c = column(heading, field, ColumnKind::Date);
    c.format = pattern;
    return c;
}
Column amount(const QString& heading, const QString& field, bool total = false)
{
    Column c = column(heading, field, ColumnKind::Amount);
    c.format = QStringLiteral("#,#0.00");
    c.total = total;
    return c;
}
Column quantity(const QString& heading, const QString& field, bool total = false)
{
    Column c = column(heading, field, ColumnKind::Quantity);
    c.total = total;
    return c;
}

ColumnListing list(const char* name, const char* caption, QList<Column> columns, const QString& countLabel)
{
    ColumnListing s;
    s.name = QString::fromLatin1(name);
    s.caption = QString::fromLatin1(caption);
    s.columns = std::move(columns);
    s.countLabel = countLabel;
    return s;
}

QList<ColumnListing> listings()
{
    const QString articlesCount = QStringLiteral("Numero degli articoli:");
    QList<ColumnListing> out;
    out.append(list("drArticoli", "Articoli",
                    {code(QStringLiteral("Codice")), text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione")),
                     quantity(QStringLiteral("Scorta"), QStringLiteral("ValoreScorta")),
                     amount(QStringLiteral("Vendita"), QStringLiteral("PrezzoVendita")),
                     amount(QStringLiteral("Acquisto"), QStringLiteral("PrezzoAcquisto")), vat()},
                    articlesCount));
    // The document's type stands beside its number, under the one heading.
    out.append(list("drForniture", "Forniture",
                    {date(QStringLiteral("Data"), QStringLiteral("DataFornitura"), QStringLiteral("d/MM/yy")),
                     amount(QStringLiteral("Importo Acquisto"), QStringLiteral("ImportoAcquisto"), true),
                     text(QStringLiteral("Documento"), QStringLiteral("Documento"), 0.7),
                     text(QString(), QStringLiteral("TipoDocumento"), 0.6),
                     text(QStringLiteral("Fornitore"), QStringLiteral("Fornitore")),
                     text(QStringLiteral("Note"), QStringLiteral("Note"))},
                    QStringLiteral("Numero delle forniture conteggiate:")));
    out.append(list("drVendite", "Vendite",
                    {date(QStringLiteral("Data"), QStringLiteral("DataVendita"), kSaleDate),
                     amount(QStringLiteral("Vendita"), QStringLiteral("ImportoVendita"), true),
                     text(QStringLiteral("Cliente"), QStringLiteral("Cliente")),
                     text(QStringLiteral("Note"), QStringLiteral("Note"))},
                    QStringLiteral("Numero delle vendite conteggiate:")));
    out.append(list("drArticoliVenduti", "Situazione Articoli Venduti",
                    {date(QStringLiteral("Data"), QStringLiteral("DataScarico"), kSaleDate),
                     code(QStringLiteral("Codice")), text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione")),
                     quantity(QStringLiteral("Quantita'"), QStringLiteral("ValoreScarico"), true),
                     amount(QStringLiteral("Vendita"), QStringLiteral("ImportoScarico"), true),
                     amount(QStringLiteral("Costo+IVA"), QStringLiteral("Costo"), true),
                     amount(QStringLiteral("Guadagno"), QStringLiteral("Guadagno"), true)},
                    articlesCount));
    out.append(list("drInventarioMagazzino", "Inventario Magazzino",
                    {code(QStringLiteral("Codice")), text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione")),
                     quantity(QStringLiteral("Scorta"), QStringLiteral("ValoreScorta")),
                     amount(QStringLiteral("Valore"), QStringLiteral("Valore"), true),
                     amount(QStringLiteral("Costo"), QStringLiteral("Costo"), true),
                     amount(QStringLiteral("Ipot. Ricavo"), QStringLiteral("Guadagno"), true), vat()},
                    articlesCount));
    out.append(list("drImponibileVendite", "Imponibile Vendite",
                    {date(QStringLiteral("Data"), QStringLiteral("DataScarico"), kSaleDate),
                     code(QStringLiteral("Codice")), text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione")),
                     quantity(QStringLiteral("Quantita'"), QStringLiteral("ValoreScarico"), true),
                     amount(QStringLiteral("Imponibile"), QStringLiteral("Imponibile"), true),
                     amount(QStringLiteral("Importo IVA"), QStringLiteral("ImportoIVA"), true)},
                    articlesCount));
    out.append(
        list("drImponibileMagazzino", "Imponibile Magazzino",
             {vat(), code(QStringLiteral("Codice")), text(QStringLiteral("Descrizione"), QStringLiteral("Descrizione")),
              quantity(QStringLiteral("Quantita'"), QStringLiteral("ValoreScorta"), true),
              amount(QStringLiteral("Imponibile"), QStringLiteral("Imponibile"), true),
              amount(QStringLiteral("Importo IVA"), QStringLiteral("ImportoIVA"), true)},
             articlesCount));
    // Addresses and three telephone numbers need the page's long side.
    const QString phone = QStringLiteral("+39 0123 4567890");
    ColumnListing customers = list("drClienti", "Clienti",
                                   {text(QStringLiteral("Ragione Sociale"), QStringLiteral("Descrizione"), 1.2),
                                    text(QStringLiteral("Indirizzo"), QStringLiteral("Indirizzo"), 1.2),
                                    code(QStringLiteral("Telefono"), QStringLiteral("Telefono"), phone),
                                    code(QStringLiteral("Cellulare"), QStringLiteral("Cellulare"), phone),
                                    code(QStringLiteral("Fax"), QStringLiteral("Fax"), phone)},
                                   QStringLiteral("Numero dei clienti:"));
    customers.orientation = QPageLayout::Landscape;
    out.append(customers);
    return out;
}

}   // namespace

QStringList FixedReportLayoutNames()
{
    QStringList names;
    for (const ColumnListing& s : listings()) names << s.name;
    return names;
}

std::optional<report::ReportLayout> FixedReportLayout(const QString& name)
{
    for (const ColumnListing& s : listings())
        if (s.name == name) return layouts::BuildColumnsLayout(s);
    return std::nullopt;
}

void InstallReportLayouts() { setReportLayoutProvider(&FixedReportLayout); }
