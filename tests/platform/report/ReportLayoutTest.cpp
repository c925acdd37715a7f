#include "base/AppError.h"
#include "base/Currency.h"
#include "report/ReportEngine.h"
#include "report/ReportLayout.h"
#include <gtest/gtest.h>

using namespace report;

namespace {
const PlacedItem* itemWithText(const ReportDocument& doc, BandKind kind, const QString& text)
{
    for (const auto& p : doc.pages)
        for (const auto& b : p.bands)
            if (b.kind == kind)
                for (const auto& i : b.items)
                    if (i.text == text) return &i;
    return nullptr;
}
}   // namespace

TEST(ReportLayoutText, ReadsABandLayout)
{
    const ReportLayout l = ReportLayout::fromJson(R"({
      "name": "drProva", "caption": "Prova",
      "page": { "size": [100, 100], "orientation": "landscape", "margins": [5, 6, 7, 8] },
      "font": { "family": "DejaVu Serif", "size": 10 },
      "pageHeader": { "height": 10, "items": [
        { "type": "title", "at": [0, 0, 50, 5], "size": 14, "bold": true },
        { "type": "label", "text": "Importo", "at": [40, 5, 40, 5], "align": "right", "font": { "italic": true } } ]},
      "groups": [ { "field": "Iva", "repeatHeader": true,
        "header": { "height": 5, "newPageBefore": true, "items": [ { "type": "field", "field": "Iva", "at": [0, 0, 20, 5], "null": "-" } ] },
        "footer": { "height": 5, "items": [ { "type": "sum", "field": "Importo", "format": "#,#0.00", "at": [0, 0, 20, 5] } ] } } ],
      "detail": { "height": 5, "canGrow": true, "items": [ { "type": "field", "field": "Data", "format": "dd/MM/yyyy-H.mm", "at": [0, 0, 30, 5], "wrap": true } ] },
      "pageFooter": { "height": 6, "items": [ { "type": "page", "at": [0, 1, 80, 5], "align": "center" },
                                              { "type": "line", "at": [0, 0, 80, 0], "width": 0.5 } ] },
      "reportFooter": { "height": 5, "items": [ { "type": "count", "at": [0, 0, 20, 5], "scope": "report", "format": "#,##0" } ] }
    })");
    EXPECT_EQ(l.name, QStringLiteral("drProva"));
    EXPECT_EQ(l.page.sizeMm(), QSizeF(100, 100));
    EXPECT_EQ(l.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(l.page.marginsMm, QMarginsF(5, 6, 7, 8));
    EXPECT_EQ(l.font.family, QStringLiteral("DejaVu Serif"));
    const ReportItem& title = l.pageHeader.items[0];
    EXPECT_EQ(title.kind, ItemKind::Title);
    EXPECT_TRUE(title.font.bold);
    EXPECT_EQ(title.font.pointSize, 14);
    EXPECT_EQ(l.pageHeader.items[1].alignment, Qt::AlignRight);
    EXPECT_TRUE(l.pageHeader.items[1].font.italic);
    ASSERT_EQ(l.groups.size(), 1);
    EXPECT_TRUE(l.groups[0].repeatHeader);
    EXPECT_TRUE(l.groups[0].header.newPageBefore);
    EXPECT_EQ(l.groups[0].header.items[0].format.nullText, QStringLiteral("-"));
    const ReportItem& sum = l.groups[0].footer.items[0];
    EXPECT_EQ(sum.kind, ItemKind::Function);
    EXPECT_EQ(sum.aggregate, Aggregate::Sum);
    EXPECT_EQ(sum.format.kind, FieldFormat::Kind::Number);
    EXPECT_EQ(l.detail.items[0].format.datePattern, QStringLiteral("dd/MM/yyyy-H.mm"));
    EXPECT_TRUE(l.detail.canGrow);
    EXPECT_TRUE(l.detail.items[0].wordWrap);
    EXPECT_FALSE(l.pageHeader.canGrow);
    EXPECT_EQ(l.pageFooter.items[0].text, QStringLiteral("Pag. %p / %P"));
    EXPECT_EQ(l.pageFooter.items[1].lineWidth, 0.5);
    EXPECT_EQ(l.reportFooter.items[0].scope, AggregateScope::Report);
    EXPECT_EQ(l.fieldsUsed(), (QStringList {QStringLiteral("Iva"), QStringLiteral("Data"), QStringLiteral("Importo")}));
}

TEST(ReportLayoutText, RefusesMalformedLayoutsNamingTheFault)
{
    struct Case {
        const char* json;
        const char* mentions;
    };
    const Case cases[] = {
        {"{ \"name\": ", "posizione"},
        {"[1, 2]", "oggetto"},
        {R"({ "detial": { "height": 5 } })", "\"detial\""},
        {R"({ "detail": { "height": 5, "items": [ { "type": "feld", "at": [0,0,1,1] } ] } })", "\"feld\""},
        {R"({ "detail": { "height": 5, "items": [ { "type": "field", "at": [0,0,1,1] } ] } })", "\"field\""},
        {R"({ "detail": { "height": 5, "items": [ { "type": "label", "at": [0,0,1] } ] } })", "detail.items[0].at"},
        {R"({ "detail": { "height": "5" } })", "detail.height"},
        {R"({ "detail": { "height": 5, "items": [ { "type": "label", "at": [0,0,1,1], "align": "middle" } ] } })",
         "\"middle\""},
        {R"({ "page": { "size": "B7" } })", "\"B7\""},
        {R"({ "columns": [ { "heading": "Codice" } ] })", "columns[0].field"},
        {R"({ "columns": [], "count": { "label": "N:", "fmt": "0" } })", "\"fmt\""},
    };
    for (const auto& c : cases) {
        try {
            ReportLayout::fromJson(QByteArray(c.json));
            ADD_FAILURE() << "accepted: " << c.json;
        } catch (const AppError& e) {
            EXPECT_TRUE(e.description.contains(QString::fromUtf8(c.mentions)))
                << c.json << " -> " << e.description.toStdString();
        }
    }
}

TEST(TabularLayout, TotalsStandUnderTheirColumnsAndTheCountCloses)
{
    const ReportLayout l = ReportLayout::fromJson(R"({
      "name": "drForniture", "caption": "Forniture",
      "columns": [
        { "heading": "Data", "field": "DataFornitura", "format": "d/MM/yy", "width": 20 },
        { "heading": "Importo Acquisto", "field": "ImportoAcquisto", "format": "#,#0.00", "width": 30, "total": true },
        { "heading": "Documento", "field": "Documento" },
        { "heading": "", "field": "TipoDocumento" },
        { "heading": "Note", "field": "Note", "align": "center" } ],
      "count": { "label": "Numero delle forniture conteggiate:" }
    })");
    // A4 portrait less 12 mm a side: 186 mm; three flexible columns share 136 mm.
    ASSERT_EQ(l.detail.items.size(), 5);
    EXPECT_DOUBLE_EQ(l.detail.items[2].rect.width() + 2, 136.0 / 3);
    EXPECT_DOUBLE_EQ(l.detail.items[4].rect.right() + 1, 186);
    EXPECT_EQ(l.detail.items[1].alignment, Qt::AlignRight);   // numbers align right by default
    EXPECT_EQ(l.detail.items[0].alignment, Qt::AlignLeft);
    EXPECT_EQ(l.detail.items[4].alignment, Qt::AlignHCenter);

    MemoryDataSource d({QStringLiteral("DataFornitura"), QStringLiteral("ImportoAcquisto"), QStringLiteral("Documento"),
                        QStringLiteral("TipoDocumento"), QStringLiteral("Note")});
    for (int i = 0; i < 3; ++i)
        d.addRow({QDateTime(QDate(2007, 3, 5 + i), QTime(0, 0)),
                  QVariant::fromValue(Currency::fromUnits(1000000LL * (i + 1) + 5000)), QStringLiteral("F%1").arg(i),
                  QStringLiteral("DDT"), QVariant()});
    RenderOptions o;
    o.title = QStringLiteral("Lista Forniture");
    const ReportDocument doc = paginate(l, d, o);
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.pages[0].text(),
              QStringLiteral("Lista Forniture\tData\tImporto Acquisto\tDocumento\tNote\n"
                             "5/03/07\t100,50\tF0\tDDT\n6/03/07\t200,50\tF1\tDDT\n7/03/07\t300,50\tF2\tDDT\n"
                             "601,50\tNumero delle forniture conteggiate:\t3\nPag. 1 / 1"));
    const PlacedItem* total = itemWithText(doc, BandKind::ReportFooter, QStringLiteral("601,50"));
    const PlacedItem* figure = itemWithText(doc, BandKind::Detail, QStringLiteral("100,50"));
    ASSERT_TRUE(total && figure);
    EXPECT_EQ(total->rect.left(), figure->rect.left());
    EXPECT_EQ(total->rect.width(), figure->rect.width());
    EXPECT_EQ(total->alignment, figure->alignment);
    EXPECT_TRUE(total->font.bold);
}
