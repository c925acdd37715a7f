#include "base/AppError.h"
#include "base/Currency.h"
#include "MvTool.h"
#include "report/ReportEngine.h"
#include "report/ReportHtml.h"
#include "report/ReportLayout.h"
#include "report/ReportPainter.h"
#include <QDateTime>

// report-demo: a small sales list grouped by VAT rate, written in the layout text form,
// over made-up rows, so the renderer can be looked at without a database. --columns
// shows the same rows as a plain column report.
namespace {

const char* kDemoLayout = R"json({
  "name": "drDemo", "caption": "Vendite per aliquota IVA",
  "page": { "size": "A4", "orientation": "portrait", "margins": [15, 12, 15, 12] },
  "font": { "family": "DejaVu Sans", "size": 9 },
  "reportHeader": { "height": 14, "items": [
    { "type": "title", "at": [0, 0, 180, 8], "size": 15, "bold": true },
    { "type": "page", "text": "Stampato il %d", "at": [0, 8, 180, 5], "italic": true }
  ]},
  "pageHeader": { "height": 8, "items": [
    { "type": "label", "text": "Data", "at": [0, 1, 22, 5], "bold": true },
    { "type": "label", "text": "Codice", "at": [23, 1, 25, 5], "bold": true },
    { "type": "label", "text": "Descrizione", "at": [49, 1, 70, 5], "bold": true },
    { "type": "label", "text": "Quantita'", "at": [120, 1, 22, 5], "bold": true, "align": "right" },
    { "type": "label", "text": "Importo", "at": [143, 1, 37, 5], "bold": true, "align": "right" },
    { "type": "line", "at": [0, 7, 180, 0], "width": 0.3 }
  ]},
  "groups": [ { "field": "CodiceIva", "repeatHeader": true,
    "header": { "height": 7, "items": [
      { "type": "label", "text": "Aliquota IVA", "at": [0, 1, 25, 5], "bold": true },
      { "type": "field", "field": "CodiceIva", "at": [26, 1, 30, 5], "bold": true }
    ]},
    "footer": { "height": 8, "items": [
      { "type": "line", "at": [100, 0.5, 80, 0] },
      { "type": "label", "text": "Righe:", "at": [49, 1.5, 20, 5], "italic": true },
      { "type": "count", "at": [70, 1.5, 15, 5], "italic": true },
      { "type": "sum", "field": "Quantita", "format": "#,##0.00", "at": [120, 1.5, 22, 5], "align": "right" },
      { "type": "sum", "field": "Importo", "format": "#,##0.00", "at": [143, 1.5, 37, 5], "align": "right", "bold": true }
    ]}
  }],
  "detail": { "height": 5, "items": [
    { "type": "field", "field": "Data", "format": "dd/MM/yyyy", "at": [0, 0, 22, 5] },
    { "type": "field", "field": "Codice", "at": [23, 0, 25, 5] },
    { "type": "field", "field": "Descrizione", "at": [49, 0, 70, 5], "null": "(senza descrizione)" },
    { "type": "field", "field": "Quantita", "format": "#,##0.00", "at": [120, 0, 22, 5], "align": "right" },
    { "type": "field", "field": "Importo", "format": "#,##0.00", "at": [143, 0, 37, 5], "align": "right" }
  ]},
  "pageFooter": { "height": 8, "items": [
    { "type": "line", "at": [0, 1, 180, 0] },
    { "type": "title", "at": [0, 2, 120, 5], "italic": true },
    { "type": "page", "at": [120, 2, 60, 5], "align": "right" }
  ]},
  "reportFooter": { "height": 14, "items": [
    { "type": "line", "at": [0, 1, 180, 0], "width": 0.4 },
    { "type": "label", "text": "Numero delle vendite conteggiate:", "at": [0, 2, 70, 5], "bold": true, "align": "right" },
    { "type": "count", "at": [72, 2, 20, 5], "format": "#,##0", "bold": true },
    { "type": "label", "text": "Totale", "at": [100, 2, 20, 5], "bold": true },
    { "type": "sum", "field": "Importo", "scope": "report", "format": "#,##0.00", "at": [143, 2, 37, 5], "align": "right", "bold": true }
  ]}
})json";

// The same rows as a plain column report, the shape of the program's fixed lists.
const char* kDemoColumns = R"json({
  "name": "drDemoColonne", "caption": "Vendite",
  "columns": [
    { "heading": "Data", "field": "Data", "format": "dd/MM/yyyy-H.mm", "width": 32 },
    { "heading": "Codice", "field": "Codice", "width": 24 },
    { "heading": "Descrizione", "field": "Descrizione" },
    { "heading": "IVA", "field": "CodiceIva", "width": 12, "align": "center" },
    { "heading": "Quantita'", "field": "Quantita", "format": "#,#0.00", "width": 22, "total": true },
    { "heading": "Importo", "field": "Importo", "format": "#,#0.00", "width": 30, "total": true } ],
  "count": { "label": "Numero delle vendite conteggiate:", "format": "#,##0" }
})json";

report::MemoryDataSource demoData(int rows)
{
    static const char* names[] = {"Quaderno a righe", "Penna <blu> & rossa", "Caffè in grani 1 kg", "Tè verde", nullptr,
                                  "Risma carta A4",   "Colla stick",         "Gomma \"pane\""};
    static const char* rates[] = {"04", "10", "22"};
    report::MemoryDataSource data({QStringLiteral("Data"), QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                                   QStringLiteral("Quantita"), QStringLiteral("Importo"), QStringLiteral("CodiceIva")});
    const QDateTime start(QDate(2007, 3, 1), QTime(9, 30));
    for (int i = 0; i < rows; ++i) {
        const int rate = i * 3 / std::max(rows, 1);   // rows come sorted by rate
        const char* name = names[i % 8];
        data.addRow({start.addDays(i / 4).addSecs(i * 600), QStringLiteral("ART%1").arg(i + 1, 4, 10, QLatin1Char('0')),
                     name ? QVariant(QString::fromUtf8(name)) : QVariant(), 1.0 + (i % 5) * 0.5,
                     QVariant::fromValue(Currency::fromUnits(12345000LL * (i % 7 + 1) + 5000LL * i)),
                     QString::fromLatin1(rates[rate])});
    }
    return data;
}

int reportDemo(const QStringList& args)
{
    QString pdf, html, title;
    int rows = 40;
    bool columns = false;
    const bool ok = mvtool::OptionParser()
                        .value("--pdf", pdf)
                        .value("--html", html)
                        .value("--title", title)
                        .flag("--columns", columns)
                        .value("--rows", mvtool::number(rows, 0),
                               mvtool::saying(QStringLiteral("--rows takes a number of rows (0 or more)")))
                        .maxWords(0)
                        .onUnknown([](const QString& a) { mvtool::err(QStringLiteral("unknown argument: ") + a); })
                        .parse(args)
                        .has_value();
    if (!ok) return 2;
    if (pdf.isEmpty() && html.isEmpty()) {
        mvtool::err(QStringLiteral("give --pdf FILE and/or --html FILE"));
        return 2;
    }
    const report::ReportLayout layout
        = report::ReportLayout::fromJson(QByteArray(columns ? kDemoColumns : kDemoLayout));
    const report::MemoryDataSource data = demoData(rows);
    report::RenderOptions options;
    options.title = title;
    const report::ReportDocument doc = report::paginate(layout, data, options);
    if (!pdf.isEmpty()) report::writePdf(doc, pdf);
    if (!html.isEmpty()) report::writeHtml(doc, html);
    mvtool::out(QStringLiteral("%1 rows, %2 pages").arg(rows).arg(doc.pageCount()));
    return 0;
}

MV_COMMAND("report-demo", "report-demo --pdf FILE [--html FILE] [--rows N] [--title TEXT] [--columns]", reportDemo);
}   // namespace
