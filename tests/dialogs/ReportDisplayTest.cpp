#include "dialogs/ReportDisplay.h"
#include "SmallShopDatabase.h"
#include "core/helpers/SystemHelpers.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include <QFile>
#include <QProcess>

namespace {

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A column list of articles: code, description, price with its total.
report::ReportLayout articlesLayout()
{
    report::TabularSpec tabular;
    tabular.name = QStringLiteral("drArticoli");
    tabular.caption = QStringLiteral("Elenco articoli");
    tabular.columns = {{QStringLiteral("Codice"), QStringLiteral("Codice"), 25, {}, false, {}},
                       {QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 0, {}, false, {}},
                       {QStringLiteral("Prezzo"),
                        QStringLiteral("Prezzo"),
                        30,
                        report::FieldFormat::parse(QStringLiteral("#,##0.00")),
                        true,
                        {}}};
    tabular.countLabel = QStringLiteral("Numero degli articoli:");
    return report::buildTabularLayout(tabular);
}

class ReportDisplayTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dir = testenv::newDir(QStringLiteral("report"));
        shop = std::make_unique<smallshop::Shop>(dir + QStringLiteral("/Mirtavolia.mdb"));
        shop->article(QStringLiteral("A1"), QStringLiteral("Quaderno a righe"), Currency::fromInt(125));
        shop->article(QStringLiteral("A2"), QStringLiteral("Penna blu"), Currency::fromInt(90));
        rows = shop->select(QStringLiteral("Articoli"), QString(), QStringLiteral("Codice"));
        setReportLayoutProvider([this](const QString& name) -> std::optional<report::ReportLayout> {
            asked << name;
            if (name == QStringLiteral("drArticoli")) return layout;
            return std::nullopt;
        });
    }
    void TearDown() override
    {
        setReportLayoutProvider(nullptr);
        setReportRunner(nullptr);
        setReportBrowserExport(nullptr);
        rows.reset();
        shop.reset();
        WindowTest::TearDown();
    }
    void show(int16_t mode, QString section = QStringLiteral("Articoli")) { ShowDataReport(*rows, mode, section); }

    QString dir;
    std::unique_ptr<smallshop::Shop> shop;
    std::unique_ptr<TableData> rows;
    report::ReportLayout layout = articlesLayout();
    QStringList asked;
};

TEST(ReportDisplayChoice, LayoutOfTableAndSection)
{
    struct Case {
        const char* table;
        const char* section;
        const char* layout;
    };
    const Case cases[] = {
        {"Articoli", "Inventario Magazzino", "drInventarioMagazzino"},
        {"Articoli", "Imponibile Magazzino", "drImponibileMagazzino"},
        {"Articoli", "Ricalcolo Imponibile Magazzino", "drImponibileMagazzino"},
        {"Articoli", "inventario magazzino", "drArticoli"},   // compared exactly
        {"Articoli", "", "drArticoli"},
        {"Forniture", "Qualsiasi", "drForniture"},
        {"Vendite", "", "drVendite"},
        {"ScaricoArticoli", "Articoli Venduti", "drArticoliVenduti"},
        {"ScaricoArticoli", "Imponibile Vendite", "drImponibileVendite"},
        {"ScaricoArticoli", "Vendite del giorno", ""},
        {"Clienti", "Tutti", "drClienti"},
        {"Fornitori", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportLayoutName(QString::fromLatin1(c.table), QString::fromLatin1(c.section)),
                  QString::fromLatin1(c.layout))
            << c.table << " / " << c.section;
}

TEST_F(ReportDisplayTest, ExportedPdfShowsHeadingsRowsAndPageNumbers)
{
    const QString pdf = dir + QStringLiteral("/articoli.pdf");
    ui->addAnswer(pdf);
    show(ReportExport, QStringLiteral("Magazzino"));
    EXPECT_EQ(asked, QStringList {QStringLiteral("drArticoli")});
    ASSERT_TRUE(QFile::exists(pdf)) << ui->log().join(u'\n').toStdString();
    const QString text = pdfText(pdf);
    for (const char* expected : {"Magazzino", "Codice", "Descrizione", "Prezzo", "A1", "Quaderno a righe", "125,00",
                                 "A2", "Penna blu", "90,00", "215,00", "Numero degli articoli:", "Pag. 1 / 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(rows->GetRecordSource().Suspended);
}

TEST_F(ReportDisplayTest, RowsStayStillWhileTheReportRunsAndSuspendedComesBack)
{
    std::vector<std::pair<int, bool>> runs;
    setReportRunner([&](const report::ReportDocument& doc, int mode, QWidget*) {
        runs.emplace_back(mode, rows->GetRecordSource().Suspended);
        EXPECT_EQ(doc.title, QStringLiteral("Articoli"));
        EXPECT_EQ(doc.pageCount(), 1);
    });
    for (bool before : {false, true}) {
        rows->GetRecordSource().Suspended = before;
        for (int16_t mode : {int16_t(ReportPrint), int16_t(ReportPreview), int16_t(ReportExport), int16_t(7)}) {
            show(mode);
            EXPECT_EQ(rows->GetRecordSource().Suspended, before);
        }
    }
    const std::vector<std::pair<int, bool>> expected {{0, true}, {1, true}, {2, true}, {0, true}, {1, true}, {2, true}};
    EXPECT_EQ(runs, expected);
    EXPECT_TRUE(ui->prompts().isEmpty());
}

TEST_F(ReportDisplayTest, FailingReportIsShownAndLeavesTheRowsAsTheyWere)
{
    layout.detail.items.append(report::ReportItem::fieldItem(QStringLiteral("Sconto"), QRectF(0, 0, 10, 5)));
    bool ran = false;
    setReportRunner([&](const report::ReportDocument&, int, QWidget*) { ran = true; });
    for (bool before : {false, true}) {
        rows->GetRecordSource().Suspended = before;
        ui->clearLog();
        show(ReportPreview);
        EXPECT_EQ(rows->GetRecordSource().Suspended, before);
        ASSERT_EQ(ui->prompts().size(), 1);
        EXPECT_TRUE(ui->prompts().first().startsWith(QStringLiteral("Operazione fallita...\r\r")));
        EXPECT_TRUE(ui->prompts().first().contains(QStringLiteral("Sconto")));
    }
    EXPECT_FALSE(ran);
}

TEST_F(ReportDisplayTest, RowsWithoutLayoutAreOfferedToTheBrowser)
{
    auto units = shop->select(QStringLiteral("Unita"));
    const QString question = QStringLiteral("Non sono disponibili Report personalizzati per questi dati.\r\r"
                                            "Visualizzare/Stampare da Internet Browser ?");
    int16_t mode = ReportPrint;
    QString section = QStringLiteral("Unità");
    ShowDataReport(*units, mode, section);   // no answer: No is the default
    EXPECT_EQ(ui->prompts(), QStringList {question});
    EXPECT_TRUE(asked.isEmpty());   // the table has no layout at all

    ui->clearLog();
    ui->addAnswer(QStringLiteral("Yes"));
    ShowDataReport(*units, mode, section);
    const QString html = GetDataFolder() + QStringLiteral("/TableData.htm");
    EXPECT_EQ(ui->prompts().first(), question);
    EXPECT_TRUE(ui->log().last().startsWith(QStringLiteral("OPEN: "))) << ui->log().last().toStdString();
    QFile f(html);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("Chilogrammi")));
    EXPECT_TRUE(page.contains(QStringLiteral("Pezzi")));

    // A layout name the provider does not know offers the browser too.
    ui->clearLog();
    section = QStringLiteral("Inventario Magazzino");
    ShowDataReport(*rows, mode, section);
    EXPECT_EQ(asked.last(), QStringLiteral("drInventarioMagazzino"));
    EXPECT_EQ(ui->prompts(), QStringList {question});
}

}   // namespace
