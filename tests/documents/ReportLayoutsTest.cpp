// The fixed report layouts: what each prints of its view, that no heading or value is ever
// cut off, and that the report display prints through them.
#include "dialogs/ReportDisplay.h"
#include "documents/ReportLayoutColumns.h"
#include "documents/ui/ReportLayouts.h"
#include "report/ReportMeasure.h"
#include "report/ReportPainter.h"
#include "ReportShop.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

struct LayoutCase {
    const char* name;
    QPageLayout::Orientation orientation;
    QStringList texts;   // headings and values of the rows
    QString countLabel;   // followed on its line by the count of the rows
};

QList<LayoutCase> layoutCases()
{
    using L = QPageLayout;
    const QStringList descriptionWords = longest::kDescription.split(u' ');
    const QString articles = QStringLiteral("Numero degli articoli:");
    return {
        {"drArticoli", L::Portrait,
         QStringList {"Codice", "Descrizione", "Scorta", "Vendita", "Acquisto", "IVA", "P1", "Penna", "1,50", "0,50",
                      "8,00", "9.999,99", "99.999,99", "88.888,88"}
             + descriptionWords,
         articles},
        {"drForniture", L::Portrait,
         QStringList {"Data", "Importo Acquisto", "Documento", "Fornitore", "Note", "28/12/88", "88.799.991,12",
                      "Fattura", "Grossisti", "Lombardia", "Mazzoleni."},
         QStringLiteral("Numero delle forniture conteggiate:")},
        {"drVendite", L::Portrait,
         QStringList {"Data", "Vendita", "Cliente", "Note", "28/12/2088-23.58", "01/03/2007-9.05", "99.899.990,01",
                      "3,00", "99.899.993,01", "Rossi Mario", "Ricevitoria", "Succursale", "citofonare"},
         QStringLiteral("Numero delle vendite conteggiate:")},
        {"drArticoliVenduti", L::Landscape,
         QStringList {"Data", "Codice", "Descrizione", "Quantita'", "Vendita", "Costo+IVA", "Guadagno",
                      "28/12/2088-23.58", "01/03/2007-9.05", "P1", "Penna", "999,00", "2,00", "1.001,00",
                      "99.899.993,01"}
             + descriptionWords,
         articles},
        {"drInventarioMagazzino", L::Portrait,
         QStringList {"Codice", "Descrizione", "Scorta", "Valore", "Costo", "Ipot. Ricavo", "IVA", "P1", "Penna",
                      "12,00", "999.998.912,00"},
         articles},
        {"drImponibileVendite", L::Portrait,
         QStringList {"Data", "Codice", "Descrizione", "Quantita'", "Imponibile", "Importo IVA", "28/12/2088-23.58",
                      "P1", "1.001,00"},
         articles},
        {"drImponibileMagazzino", L::Portrait,
         QStringList {"IVA", "Codice", "Descrizione", "Quantita'", "Imponibile", "Importo IVA", "P1", "Penna", "4,00",
                      "10.007,99"},
         articles},
        {"drClienti", L::Landscape,
         QStringList {"Ragione Sociale", "Indirizzo", "Telefono", "Cellulare", "Fax", "Rossi Mario", "Via Roma 1",
                      "035 111", "Garibaldi", "Marenzo"},
         QStringLiteral("Numero dei clienti:")},
    };
}

class FixedReports : public ReportShop {
protected:
    void SetUp() override
    {
        ReportShop::SetUp();
        fillWithLongValues();
    }

    report::ReportDocument build(const QString& name, const QString& title = QString())
    {
        auto rows = viewFor(name);
        const auto layout = FixedReportLayout(name);
        EXPECT_TRUE(layout.has_value()) << name.toStdString();
        return BuildDataReport(*rows, *layout, title);
    }
};

TEST_F(FixedReports, EachPrintsItsHeadingsRowsCountAndPageNumber)
{
    ASSERT_EQ(FixedReportLayoutNames().size(), layoutCases().size());
    for (const LayoutCase& c : layoutCases()) {
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(FixedReportLayoutNames().contains(name));
        const QString rows = QString::number(viewFor(name)->RowCount());
        const report::ReportDocument doc = build(name, QStringLiteral("Prova %1").arg(name));
        EXPECT_EQ(doc.page.orientation, c.orientation);
        ASSERT_EQ(doc.pageCount(), 1);
        const QString pdf = m_dir + u'/' + name + QStringLiteral(".pdf");
        report::writePdf(doc, pdf);
        const QString text = pdfText(pdf);
        QStringList missing;
        for (const QString& t :
             c.texts + QStringList {QStringLiteral("Prova ") + name, c.countLabel, QStringLiteral("Pag. 1 / 1")})
            if (!text.contains(t)) missing << t;
        EXPECT_TRUE(missing.isEmpty()) << missing.join(QStringLiteral(" | ")).toStdString() << "\n"
                                       << text.toStdString();
        // The count follows its label on the same line.
        EXPECT_EQ(text.section(c.countLabel, 1).section(u'\n', 0, 0).simplified(), rows);
    }
}

TEST_F(FixedReports, NoHeadingOrValueIsCutOff)
{
    for (const LayoutCase& c : layoutCases()) {
        const report::ReportDocument doc
            = build(QString::fromLatin1(c.name), QStringLiteral("Inventario al 28/12/2088"));
        for (int dpi : {300, 600}) EXPECT_EQ(cutTexts(doc, dpi), QStringList()) << c.name << " at " << dpi << " dpi";
    }
}

// The check above finds a cut text: a value squeezed into a narrow cell without wrapping.
TEST_F(FixedReports, ACutTextIsFound)
{
    report::ReportDocument doc = build(QStringLiteral("drVendite"));
    for (auto& band : doc.pages[0].bands)
        if (band.kind == report::BandKind::Detail) {
            band.items[0].wordWrap = false;
            band.items[0].rect.setWidth(8);
        }
    const QStringList cut = cutTexts(doc, 300);
    EXPECT_EQ(cut,
              (QStringList {QStringLiteral("page 1: 28/12/2088-23.58"), QStringLiteral("page 1: 01/03/2007-9.05")}));
}

TEST_F(FixedReports, ManySalesRunOverNumberedPagesWithOneTotal)
{
    const qint64 article = addArticle(QStringLiteral("Q1"), QStringLiteral("Quaderno"), "2.00", "1.00", 500);
    const qint64 customer = addCustomer(QStringLiteral("Bianchi"), QString(), QString());
    for (int i = 0; i < 70; ++i)
        addSale(customer, QDateTime(QDate(2007, 4, 1), QTime(8, 0).addSecs(60 * i)), QString(), article, 1);
    const report::ReportDocument doc = build(QStringLiteral("drVendite"));
    ASSERT_GE(doc.pageCount(), 2);
    const QString pdf = m_dir + QStringLiteral("/vendite.pdf");
    report::writePdf(doc, pdf);
    const QString text = pdfText(pdf);
    for (int page = 1; page <= doc.pageCount(); ++page)
        EXPECT_TRUE(text.contains(QStringLiteral("Pag. %1 / %2").arg(page).arg(doc.pageCount()))) << page;
    EXPECT_EQ(text.count(QStringLiteral("Numero delle vendite conteggiate:")), 1);
    // 99.899.990,01 + 3,00 + 70 x 2,00
    EXPECT_TRUE(text.contains(QStringLiteral("99.900.133,01")));
    EXPECT_EQ(text.section(QStringLiteral("Numero delle vendite conteggiate:"), 1).section(u'\n', 0, 0).simplified(),
              QStringLiteral("72"));
    EXPECT_EQ(cutTexts(doc, 300), QStringList());
}

TEST_F(FixedReports, ReportDisplayPrintsTheRowsThroughTheirLayout)
{
    struct Route {
        const char* section;
        const char* layout;
    };
    const Route routes[] = {
        {"Articoli", "drArticoli"},
        {"Articoli Sottoscorta", "drArticoli"},
        {"Inventario Magazzino", "drInventarioMagazzino"},
        {"Imponibile Magazzino", "drImponibileMagazzino"},
        {"Ricalcolo Imponibile Magazzino", "drImponibileMagazzino"},
        {"Forniture pagate", "drForniture"},
        {"Vendite", "drVendite"},
        {"Articoli Venduti", "drArticoliVenduti"},
        {"Imponibile Vendite", "drImponibileVendite"},
        {"Clienti", "drClienti"},
    };
    InstallReportLayouts();
    QStringList ran;
    setReportRunner([&](const report::ReportDocument& doc, int mode, QWidget*) {
        EXPECT_EQ(mode, ReportPreview);
        ran << doc.name + u'/' + doc.title;
    });
    for (const Route& r : routes) {
        auto rows = viewFor(QString::fromLatin1(r.layout));
        int16_t mode = ReportPreview;
        QString section = QString::fromLatin1(r.section);
        ShowDataReport(*rows, mode, section);
    }
    setReportRunner(nullptr);
    QStringList expected;
    for (const Route& r : routes) expected << QString::fromLatin1(r.layout) + u'/' + QString::fromLatin1(r.section);
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(m_ui->prompts(), QStringList());   // never the browser question

    // Exported, the sales are a PDF of the sales layout.
    const QString pdf = m_dir + QStringLiteral("/export.pdf");
    m_ui->addAnswer(pdf);
    auto sales = viewFor(QStringLiteral("drVendite"));
    int16_t mode = ReportExport;
    QString section = QStringLiteral("Vendite");
    ShowDataReport(*sales, mode, section);
    setReportLayoutProvider(nullptr);
    ASSERT_TRUE(QFile::exists(pdf)) << m_ui->log().join(u'\n').toStdString();
    const QString text = pdfText(pdf);
    for (const char* t : {"Vendite", "Data", "Vendita", "Cliente", "Note", "28/12/2088-23.58", "Rossi Mario",
                          "Numero delle vendite conteggiate:", "Pag. 1 / 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
}

TEST(FixedReportLayout, OnlyTheEightNamesHaveALayout)
{
    EXPECT_EQ(FixedReportLayoutNames(),
              (QStringList {"drArticoli", "drForniture", "drVendite", "drArticoliVenduti", "drInventarioMagazzino",
                            "drImponibileVendite", "drImponibileMagazzino", "drClienti"}));
    for (const char* other : {"drvendite", "drColonne", "", "Vendite"})
        EXPECT_FALSE(FixedReportLayout(QString::fromLatin1(other)).has_value()) << other;
}

// A test listing that starts with the description column; the cases add their own.
layouts::ColumnListing listingWithDescription()
{
    layouts::ColumnListing listing;
    listing.name = QStringLiteral("drProva");
    listing.caption = QStringLiteral("Prova");
    listing.countLabel = QStringLiteral("Numero delle righe:");
    layouts::Column description;
    description.heading = QStringLiteral("Descrizione");
    description.field = QStringLiteral("Descrizione");
    listing.columns << description;
    return listing;
}

// More columns than a portrait page holds turn the page; more than a landscape page holds
// share its width, and their headings and values wrap instead of being cut.
// A number that had to wrap would break among its digits ("181.681,0" over "0") and read as
// another number: quantities and their totals up to millions stand on one line.
TEST(ReportLayoutColumns, NumbersAndTheirTotalsNeverBreakAcrossLines)
{
    layouts::ColumnListing listing = listingWithDescription();
    layouts::Column pieces;
    pieces.heading = QStringLiteral("Quantita'");
    pieces.field = QStringLiteral("ValoreScarico");
    pieces.kind = layouts::ColumnKind::Quantity;
    pieces.total = true;
    layouts::Column amount;
    amount.heading = QStringLiteral("Vendita");
    amount.field = QStringLiteral("ImportoScarico");
    amount.kind = layouts::ColumnKind::Amount;
    amount.format = QStringLiteral("#,#0.00");
    amount.total = true;
    listing.columns << pieces << amount;
    const report::ReportLayout layout = layouts::BuildColumnsLayout(listing);

    report::MemoryDataSource data(
        QStringList {QStringLiteral("Descrizione"), QStringLiteral("ValoreScarico"), QStringLiteral("ImportoScarico")});
    for (double quantity : {-1'234'567.5, 3'000'000.0, 3'000'000.0, 99'999.99})
        data.addRow({longest::kDescription, quantity, QVariant::fromValue(Currency::fromUnits(-2'499'999'999'900LL))});
    const report::ReportDocument doc = report::paginate(layout, data);

    report::TextMeasure measure;
    QStringList numbers;
    for (const report::ReportPage& page : doc.pages)
        for (const report::PlacedBand& band : page.bands) {
            if (band.kind != report::BandKind::Detail && band.kind != report::BandKind::ReportFooter) continue;
            for (const report::PlacedItem& item : band.items) {
                if (item.text.isEmpty() || (!item.text.front().isDigit() && item.text.front() != u'-')) continue;
                numbers << item.text;
                EXPECT_LE(measure.wrappedHeightMm(item.font, item.rect.width(), item.text),
                          measure.lineHeightMm(item.font) * 1.01)
                    << item.text.toStdString() << " breaks in a column " << item.rect.width() << " mm wide";
            }
        }
    EXPECT_TRUE(numbers.contains(QStringLiteral("-1.234.567,50")) && numbers.contains(QStringLiteral("4.865.432,49")))
        << numbers.join(u' ').toStdString();
}

TEST(ReportLayoutColumns, PageTurnsThenColumnsShareTheWidthWithoutCuttingAnything)
{
    struct Case {
        int amounts;
        QPageLayout::Orientation orientation;
        bool headingsWrap;
    };
    const Case cases[]
        = {{2, QPageLayout::Portrait, false}, {6, QPageLayout::Landscape, false}, {14, QPageLayout::Landscape, true}};
    double oneLineOfHeadings = 0;
    for (const Case& c : cases) {
        layouts::ColumnListing listing = listingWithDescription();
        QStringList columns {QStringLiteral("Descrizione")};
        for (int i = 0; i < c.amounts; ++i) {
            layouts::Column amount;
            amount.heading = QStringLiteral("Importo imponibile %1").arg(i + 1);
            amount.field = QStringLiteral("Importo%1").arg(i);
            amount.kind = layouts::ColumnKind::Amount;
            amount.total = true;
            listing.columns << amount;
            columns << amount.field;
        }
        const report::ReportLayout layout = layouts::BuildColumnsLayout(listing);
        EXPECT_EQ(layout.page.orientation, c.orientation) << c.amounts;
        if (!oneLineOfHeadings) oneLineOfHeadings = layout.pageHeader.height;
        EXPECT_EQ(layout.pageHeader.height > oneLineOfHeadings, c.headingsWrap) << c.amounts;

        report::MemoryDataSource data(columns);
        for (int r = 0; r < 3; ++r) {
            QVariantList row {longest::kDescription};
            for (int i = 0; i < c.amounts; ++i)
                row << QVariant::fromValue(Currency::fromUnits(-9'999'999'999'900LL + r));
            data.addRow(row);
        }
        const report::ReportDocument doc = report::paginate(layout, data);
        EXPECT_EQ(cutTexts(doc, 300), QStringList()) << c.amounts;
    }
}

}   // namespace

namespace {

// Views of the plain tables, as the main window opens the table nodes: their references
// are the referenced rows' keys in the data set, names on paper.
TEST_F(FixedReports, ReferencesPrintAsTheGridShowsThem)
{
    struct Case {
        const char* layout;
        const char* table;
        QStringList shown;
    };
    const Case cases[] = {
        {"drArticoli", "Articoli", {QStringLiteral("IVA al 20%")}},
        {"drVendite", "Vendite", {QStringLiteral("Rossi Mario")}},
        {"drForniture", "Forniture", {QStringLiteral("Fattura"), QStringLiteral("Grossisti Associati")}},
    };
    for (const Case& c : cases) {
        auto rows = select(QString::fromLatin1(c.table));
        const auto layout = FixedReportLayout(QString::fromLatin1(c.layout));
        const report::ReportDocument doc = BuildDataReport(*rows, *layout, QString());
        QString text;
        for (const auto& page : doc.pages) text += page.text() + u'\n';
        for (const QString& s : c.shown)
            EXPECT_TRUE(text.contains(s)) << c.layout << ": " << s.toStdString() << "\n" << text.toStdString();
        // No key of a referenced row: keys are numbers far longer than any amount here.
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\d{9,}")))) << c.layout << "\n"
                                                                                   << text.toStdString();
    }
}

#ifdef MV_MVTOOL_EXE
TEST_F(FixedReports, TheDevelopersToolPrintsANodesViewThroughItsLayout)
{
    const QString pdf = m_dir + QStringLiteral("/vendite.pdf");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(MV_MVTOOL_EXE),
               {QStringLiteral("print-report"), m_dir + QStringLiteral("/Mirtavolia.mdb"), QStringLiteral("Vendite"),
                QStringLiteral("--pdf"), pdf, QStringLiteral("--all")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(tool.readAllStandardOutput()).trimmed(),
              QStringLiteral("drVendite: 1 pages, written ") + pdf);
    const QString text = pdfText(pdf);
    for (const char* t : {"Vendite", "28/12/2088-23.58", "Rossi Mario", "99.899.993,01", "Pag. 1 / 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t << "\n" << text.toStdString();
}
#endif

}   // namespace
