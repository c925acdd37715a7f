#include "base/AppError.h"
#include "base/Currency.h"
#include "report/ReportEngine.h"
#include "report/ReportHtml.h"
#include "report/ReportMeasure.h"
#include <gtest/gtest.h>
#include <random>

using namespace report;

namespace {
QVariant money(int64_t units) { return QVariant::fromValue(Currency::fromUnits(units)); }

// A 100 x 100 mm page with 10 mm margins: 80 mm of printable height; with a 10 mm page
// header and a 10 mm page footer the body is 60 mm (from y 20 to y 80), twelve 5 mm rows.
ReportLayout smallLayout()
{
    ReportLayout l;
    l.name = QStringLiteral("drTest");
    l.caption = QStringLiteral("Prova");
    l.page.size = QPageSize::Custom;
    l.page.customSizeMm = QSizeF(100, 100);
    l.page.marginsMm = QMarginsF(10, 10, 10, 10);
    l.pageHeader = ReportBand(10,
                              {ReportItem::title(QRectF(0, 0, 50, 5)),
                               ReportItem::label(QStringLiteral("Codice"), QRectF(0, 5, 40, 5)),
                               ReportItem::label(QStringLiteral("Importo"), QRectF(40, 5, 40, 5)).right()});
    l.detail = ReportBand(
        5,
        {ReportItem::fieldItem(QStringLiteral("Codice"), QRectF(0, 0, 40, 5)),
         ReportItem::fieldItem(QStringLiteral("Importo"), QRectF(40, 0, 40, 5), FieldFormat::number(2)).right()});
    l.pageFooter = ReportBand(10, {ReportItem::pageNumber(QRectF(0, 2, 80, 5)).right()});
    return l;
}

MemoryDataSource rows(int n, const QString& group = {})
{
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo"), QStringLiteral("Iva")});
    for (int i = 0; i < n; ++i)
        d.addRow({QStringLiteral("A%1").arg(i + 1, 3, 10, QLatin1Char('0')), money((i + 1) * 10000), group});
    return d;
}

QList<const PlacedBand*> bandsOf(const ReportPage& p, BandKind k)
{
    QList<const PlacedBand*> out;
    for (const auto& b : p.bands)
        if (b.kind == k) out.append(&b);
    return out;
}

QString itemText(const PlacedBand& b, int i) { return b.items.at(i).text; }
}   // namespace

TEST(ReportPagination, RowsFlowAcrossPagesWithHeaderFooterAndPageCountOnEveryPage)
{
    struct Case {
        int rows;
        double detailHeight;
        QList<int> perPage;
    };
    const Case cases[] = {
        {0, 5, {0}},      {1, 5, {1}},
        {12, 5, {12}},   // exactly fills the body
        {13, 5, {12, 1}}, {30, 5, {12, 12, 6}},
        {10, 7, {8, 2}},   // 8 * 7 = 56 mm fits, the ninth row would cross the footer
    };
    for (const auto& c : cases) {
        ReportLayout l = smallLayout();
        l.detail.height = c.detailHeight;
        const ReportDocument doc = paginate(l, rows(c.rows));
        ASSERT_EQ(doc.pageCount(), c.perPage.size()) << c.rows;
        int next = 0;
        for (int p = 0; p < doc.pageCount(); ++p) {
            const ReportPage& page = doc.pages[p];
            ASSERT_EQ(bandsOf(page, BandKind::PageHeader).size(), 1);
            const auto footers = bandsOf(page, BandKind::PageFooter);
            ASSERT_EQ(footers.size(), 1);
            EXPECT_EQ(itemText(*footers[0], 0), QStringLiteral("Pag. %1 / %2").arg(p + 1).arg(doc.pageCount()));
            EXPECT_DOUBLE_EQ(footers[0]->rect.top(), 80);
            const auto details = bandsOf(page, BandKind::Detail);
            EXPECT_EQ(details.size(), c.perPage[p]) << c.rows << " page " << p;
            for (const PlacedBand* d : details) {
                EXPECT_EQ(d->row, next++);   // every row once, in order
                EXPECT_LE(d->rect.bottom(), 80 + 1e-9);   // never into the footer
                EXPECT_GE(d->rect.top(), 20 - 1e-9);
            }
        }
        EXPECT_EQ(next, c.rows);
    }
}

TEST(ReportPagination, EmptyDataPrintsHeadersFootersAndZeroTotals)
{
    ReportLayout l = smallLayout();
    l.reportHeader = ReportBand(8, {ReportItem::label(QStringLiteral("Intestazione"), QRectF(0, 0, 80, 8))});
    l.reportFooter
        = ReportBand(5,
                     {ReportItem::count({}, QRectF(0, 0, 20, 5)),
                      ReportItem::sum(QStringLiteral("Importo"), QRectF(40, 0, 40, 5), FieldFormat::number(2))});
    l.groups.append(ReportGroup {
        QStringLiteral("Iva"), ReportBand(5, {ReportItem::fieldItem(QStringLiteral("Iva"), QRectF(0, 0, 20, 5))}),
        ReportBand(5, {ReportItem::sum(QStringLiteral("Importo"), QRectF(0, 0, 20, 5))}), false});
    const ReportDocument doc = paginate(l, rows(0));
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.pages[0].text(), QStringLiteral("Intestazione\nProva\tCodice\tImporto\n0\t0,00\nPag. 1 / 1"));
    // The report header comes first on the page, then the page header.
    EXPECT_EQ(doc.pages[0].bands[0].kind, BandKind::ReportHeader);
    EXPECT_DOUBLE_EQ(doc.pages[0].bands[1].rect.top(), 18);
}

TEST(ReportPagination, ReportFooterThatDoesNotFitMovesToANewPage)
{
    ReportLayout l = smallLayout();
    l.reportFooter = ReportBand(10, {ReportItem::label(QStringLiteral("Fine"), QRectF(0, 0, 40, 5))});
    const ReportDocument fits = paginate(l, rows(10));   // 50 mm used, 10 mm left
    EXPECT_EQ(fits.pageCount(), 1);
    const ReportDocument moves = paginate(l, rows(11));   // 55 mm used, 5 mm left
    ASSERT_EQ(moves.pageCount(), 2);
    EXPECT_EQ(moves.pages[1].text(), QStringLiteral("Prova\tCodice\tImporto\nFine\nPag. 2 / 2"));
}

TEST(ReportPagination, GroupsBreakOnTheKeyAndAddUpTheirRows)
{
    ReportLayout l = smallLayout();
    ReportGroup g;
    g.field = QStringLiteral("Iva");
    g.header = ReportBand(5,
                          {ReportItem::label(QStringLiteral("IVA"), QRectF(0, 0, 10, 5)),
                           ReportItem::fieldItem(QStringLiteral("Iva"), QRectF(10, 0, 20, 5),
                                                 FieldFormat {.nullText = QStringLiteral("(nessuna)")})});
    g.footer = ReportBand(5,
                          {ReportItem::count({}, QRectF(0, 0, 10, 5)),
                           ReportItem::sum(QStringLiteral("Importo"), QRectF(40, 0, 20, 5), FieldFormat::number(2)),
                           ReportItem::sum(QStringLiteral("Importo"), QRectF(60, 0, 20, 5), FieldFormat::number(2))
                               .over(AggregateScope::Report)});
    l.groups.append(g);
    l.reportFooter
        = ReportBand(5,
                     {ReportItem::count(QStringLiteral("Iva"), QRectF(0, 0, 10, 5)),
                      ReportItem::sum(QStringLiteral("Importo"), QRectF(40, 0, 40, 5), FieldFormat::number(2))});
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo"), QStringLiteral("Iva")});
    d.addRow({QStringLiteral("A"), money(12345000), QStringLiteral("04")});
    d.addRow({QStringLiteral("B"), money(5000), QStringLiteral("04")});
    d.addRow({QStringLiteral("C"), money(10000), QStringLiteral("iva22")});
    d.addRow({QStringLiteral("D"), money(20000), QStringLiteral("IVA22")});   // same group: keys compare without case
    d.addRow({QStringLiteral("E"), QVariant(), QVariant()});   // Null key: its own group; Null amount adds nothing
    const ReportDocument doc = paginate(l, d);
    ASSERT_EQ(doc.pageCount(), 1);
    EXPECT_EQ(doc.pages[0].text(),
              QStringLiteral("Prova\tCodice\tImporto\n"
                             "IVA\t04\nA\t1.234,50\nB\t0,50\n2\t1.235,00\t1.238,00\n"
                             "IVA\tiva22\nC\t1,00\nD\t2,00\n2\t3,00\t1.238,00\n"
                             "IVA\t(nessuna)\nE\n1\t0,00\t1.238,00\n"
                             "4\t1.238,00\nPag. 1 / 1"));
}

TEST(ReportPagination, OuterBreakClosesInnerGroups)
{
    ReportLayout l = smallLayout();
    l.page.customSizeMm = QSizeF(100, 300);
    auto group = [](const char* field) {
        ReportGroup g;
        g.field = QString::fromLatin1(field);
        g.header = ReportBand(5, {ReportItem::fieldItem(g.field, QRectF(0, 0, 20, 5))});
        g.footer = ReportBand(5,
                              {ReportItem::label(QStringLiteral("fine ") + g.field, QRectF(0, 0, 20, 5)),
                               ReportItem::count({}, QRectF(20, 0, 10, 5))});
        return g;
    };
    l.groups = {group("Reparto"), group("Iva")};
    l.detail = ReportBand(5, {ReportItem::fieldItem(QStringLiteral("Codice"), QRectF(0, 0, 20, 5))});
    MemoryDataSource d({QStringLiteral("Reparto"), QStringLiteral("Iva"), QStringLiteral("Codice")});
    d.addRow({QStringLiteral("R1"), QStringLiteral("04"), QStringLiteral("a")});
    d.addRow({QStringLiteral("R2"), QStringLiteral("04"), QStringLiteral("b")});   // same inner key, new outer group
    d.addRow({QStringLiteral("R2"), QStringLiteral("22"), QStringLiteral("c")});
    const ReportDocument doc = paginate(l, d);
    EXPECT_EQ(doc.pages[0].text(),
              QStringLiteral("Prova\tCodice\tImporto\n"
                             "R1\n04\na\nfine Iva\t1\nfine Reparto\t1\n"
                             "R2\n04\nb\nfine Iva\t1\n22\nc\nfine Iva\t1\nfine Reparto\t2\nPag. 1 / 1"));
}

TEST(ReportPagination, GroupHeaderKeepsWithItsFirstRowAndRepeatsOnNewPages)
{
    ReportLayout l = smallLayout();
    ReportGroup g;
    g.field = QStringLiteral("Iva");
    g.header = ReportBand(5, {ReportItem::fieldItem(QStringLiteral("Iva"), QRectF(0, 0, 20, 5))});
    g.repeatHeader = true;
    l.groups.append(g);
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo"), QStringLiteral("Iva")});
    // Group 04: header + 10 rows = 55 mm; the header of group 22 would fit in the last
    // 5 mm but its first row would not, so both go to the next page.
    for (int i = 0; i < 10; ++i) d.addRow({QStringLiteral("a%1").arg(i), money(10000), QStringLiteral("04")});
    for (int i = 0; i < 13; ++i) d.addRow({QStringLiteral("b%1").arg(i), money(10000), QStringLiteral("22")});
    const ReportDocument doc = paginate(l, d);
    ASSERT_EQ(doc.pageCount(), 3);
    EXPECT_EQ(bandsOf(doc.pages[0], BandKind::GroupHeader).size(), 1);
    ASSERT_EQ(bandsOf(doc.pages[1], BandKind::GroupHeader).size(), 1);
    EXPECT_FALSE(bandsOf(doc.pages[1], BandKind::GroupHeader)[0]->repeated);
    EXPECT_EQ(bandsOf(doc.pages[1], BandKind::Detail).size(), 11);
    const auto repeated = bandsOf(doc.pages[2], BandKind::GroupHeader);
    ASSERT_EQ(repeated.size(), 1);
    EXPECT_TRUE(repeated[0]->repeated);
    EXPECT_EQ(itemText(*repeated[0], 0), QStringLiteral("22"));
    EXPECT_DOUBLE_EQ(repeated[0]->rect.top(), 20);
    // One long HTML table shows each group's header once.
    EXPECT_EQ(toHtml(doc).count(QStringLiteral("<tr class=\"group-header\">")), 2);
    EXPECT_EQ(toHtml(doc, HtmlMode::PerPage).count(QStringLiteral("<tr class=\"group-header\">")), 3);
}

TEST(ReportPagination, ForcedPageBreaksNeverLeaveAnEmptyPage)
{
    ReportLayout l = smallLayout();
    ReportGroup g;
    g.field = QStringLiteral("Iva");
    g.header = ReportBand(5, {ReportItem::fieldItem(QStringLiteral("Iva"), QRectF(0, 0, 20, 5))});
    g.header.newPageBefore = true;
    g.footer = ReportBand(5, {ReportItem::label(QStringLiteral("fine"), QRectF(0, 0, 20, 5))});
    g.footer.newPageAfter = true;
    l.groups.append(g);
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo"), QStringLiteral("Iva")});
    d.addRow({QStringLiteral("a"), money(1), QStringLiteral("04")});
    d.addRow({QStringLiteral("b"), money(1), QStringLiteral("10")});
    d.addRow({QStringLiteral("c"), money(1), QStringLiteral("22")});
    const ReportDocument doc = paginate(l, d);
    ASSERT_EQ(doc.pageCount(), 3);
    for (int p = 0; p < 3; ++p) EXPECT_EQ(bandsOf(doc.pages[p], BandKind::Detail).size(), 1) << p;
    EXPECT_EQ(doc.pages[2].text(), QStringLiteral("Prova\tCodice\tImporto\n22\nc\t0,00\nfine\nPag. 3 / 3"));

    // A report header that asks for a new page after it is a cover page.
    l.reportHeader = ReportBand(20, {ReportItem::label(QStringLiteral("Copertina"), QRectF(0, 0, 80, 20))});
    l.reportHeader.newPageAfter = true;
    const ReportDocument covered = paginate(l, d);
    ASSERT_EQ(covered.pageCount(), 4);
    EXPECT_EQ(covered.pages[0].text(), QStringLiteral("Copertina\nPag. 1 / 4"));
    EXPECT_TRUE(covered.pages[1].text().startsWith(QStringLiteral("Prova\tCodice\tImporto\n04\na")));
}

TEST(ReportPagination, GroupSumsAlwaysAddUpToTheReportTotal)
{
    std::mt19937 rng(20070301);
    for (int round = 0; round < 20; ++round) {
        ReportLayout l = smallLayout();
        ReportGroup g;
        g.field = QStringLiteral("Iva");
        g.footer = ReportBand(
            5, {ReportItem::sum(QStringLiteral("Importo"), QRectF(0, 0, 40, 5), FieldFormat::number(4, false))});
        l.groups.append(g);
        l.reportFooter = ReportBand(
            5, {ReportItem::sum(QStringLiteral("Importo"), QRectF(0, 0, 40, 5), FieldFormat::number(4, false))});
        MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo"), QStringLiteral("Iva")});
        const int n = std::uniform_int_distribution<int>(0, 80)(rng);
        int key = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0 && std::uniform_int_distribution<int>(0, 4)(rng) == 0) ++key;
            d.addRow({QString::number(i), money(std::uniform_int_distribution<int64_t>(-5'000'000, 90'000'000)(rng)),
                      QString::number(key)});
        }
        const ReportDocument doc = paginate(l, d);
        Currency groups, total, rowsSum;
        int footers = 0, totals = 0;
        for (int i = 0; i < n; ++i) rowsSum += d.value(i, 1).value<Currency>();
        for (const auto& p : doc.pages)
            for (const auto& b : p.bands) {
                if (b.kind == BandKind::GroupFooter) {
                    groups += *Currency::parse(b.items[0].text, reportLocale());
                    ++footers;
                }
                if (b.kind == BandKind::ReportFooter) {
                    total = *Currency::parse(b.items[0].text, reportLocale());
                    ++totals;
                }
            }
        EXPECT_EQ(footers, n ? key + 1 : 0);
        EXPECT_EQ(totals, 1);
        EXPECT_EQ(groups, rowsSum) << "round " << round;
        EXPECT_EQ(total, rowsSum) << "round " << round;
    }
}

TEST(ReportPagination, TitleAndPatterns)
{
    ReportLayout l = smallLayout();
    l.pageFooter.items = {ReportItem::pageNumber(QRectF(0, 0, 80, 5), QStringLiteral("%i - %d - %p/%P - 100% %% %x"))};
    RenderOptions o;
    o.printDate = QDate(2007, 3, 1);
    EXPECT_EQ(paginate(l, rows(1), o).pages[0].text().section(u'\n', -1),
              QStringLiteral("Prova - 01/03/2007 - 1/1 - 100% % %x"));
    o.title = QStringLiteral("Articoli Sottoscorta");
    const ReportDocument doc = paginate(l, rows(1), o);
    EXPECT_EQ(doc.title, o.title);
    EXPECT_TRUE(doc.pages[0].text().startsWith(QStringLiteral("Articoli Sottoscorta\tCodice")));
}

TEST(ReportPagination, RefusesMissingColumnsAndPagesWithoutRoom)
{
    ReportLayout l = smallLayout();
    l.reportFooter = ReportBand(5, {ReportItem::sum(QStringLiteral("ImportoIVA"), QRectF(0, 0, 20, 5))});
    try {
        paginate(l, rows(3));
        FAIL() << "a missing column must be refused";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description.contains(QStringLiteral("\"ImportoIVA\""))) << e.description.toStdString();
    }
    // Column names compare without case, as the database's do.
    l.reportFooter.items[0].field = QStringLiteral("IMPORTO");
    EXPECT_NO_THROW(paginate(l, rows(3)));

    ReportLayout tight = smallLayout();
    tight.pageHeader.height = 45;
    tight.pageFooter.height = 35;
    EXPECT_THROW(paginate(tight, rows(1)), AppError);
}

TEST(ReportPagination, GrowingBandShowsEveryLineOfItsWrappedTexts)
{
    const QString words = QStringLiteral("uno due tre quattro cinque sei sette otto nove dieci undici dodici");
    const QString oneWord = QString(60, u'X');   // a code with no blank in it
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo")});
    d.addRow({QStringLiteral("A1"), money(10000)});
    d.addRow({words, money(20000)});
    d.addRow({oneWord, money(30000)});
    d.addRow({QStringLiteral("A4"), money(40000)});

    ReportLayout l = smallLayout();
    l.detail.items[0].wrapped();
    TextMeasure measure;
    const double line = measure.lineHeightMm(l.font);
    for (bool grows : {false, true}) {
        l.detail.canGrow = grows;
        const ReportDocument doc = paginate(l, d);
        QList<const PlacedBand*> details;
        for (const auto& page : doc.pages) details += bandsOf(page, BandKind::Detail);
        ASSERT_EQ(details.size(), 4);
        // Short texts keep the band's height; the next row starts where the one above ends.
        EXPECT_DOUBLE_EQ(details[0]->rect.height(), 5);
        EXPECT_DOUBLE_EQ(details[3]->rect.height(), 5);
        for (int i = 1; i < details.size(); ++i) {
            if (details[i]->rect.top() > details[i - 1]->rect.top()) {
                EXPECT_NEAR(details[i]->rect.top(), details[i - 1]->rect.bottom(), 1e-9) << i;
            }
        }
        for (int i : {1, 2}) {
            const PlacedItem& wrapped = details[i]->items[0];
            const PlacedItem& amount = details[i]->items[1];
            if (!grows) {
                EXPECT_DOUBLE_EQ(details[i]->rect.height(), 5) << i;
                continue;
            }
            // Twelve words and a sixty-letter word are each more than two lines in 40 mm.
            EXPECT_GT(details[i]->rect.height(), 5 + line) << i;
            EXPECT_DOUBLE_EQ(wrapped.rect.height(), details[i]->rect.height()) << i;
            EXPECT_DOUBLE_EQ(amount.rect.height(), 5) << i;   // the other items keep their place
        }
    }
}

TEST(ReportPagination, GrowingBandNeverOutgrowsAPage)
{
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Importo")});
    d.addRow({QStringLiteral("A1"), money(10000)});
    d.addRow({QStringLiteral("parola ").repeated(400), money(20000)});
    ReportLayout l = smallLayout();
    l.detail.items[0].wrapped();
    l.detail.canGrow = true;
    const ReportDocument doc = paginate(l, d);
    ASSERT_EQ(doc.pageCount(), 2);
    const auto details = bandsOf(doc.pages[1], BandKind::Detail);
    ASSERT_EQ(details.size(), 1);
    EXPECT_DOUBLE_EQ(details[0]->rect.top(), 20);
    EXPECT_DOUBLE_EQ(details[0]->rect.bottom(), 80);   // the whole body, up to the footer
}
