#include "base/AppError.h"
#include "base/Currency.h"
#include "report/ReportEngine.h"
#include "report/ReportHtml.h"
#include "report/ReportLayout.h"
#include "report/ui/ReportOutput.h"
#include "report/ReportPainter.h"
#include "TestEnvironment.h"
#include "base/UiServices.h"
#include <QFile>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace report;

namespace {
QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& path)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

ReportLayout articles(QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
    TabularSpec s;
    s.name = QStringLiteral("drArticoli");
    s.caption = QStringLiteral("Articoli");
    s.page.orientation = orientation;
    s.columns
        = {{QStringLiteral("Codice"), QStringLiteral("Codice"), 30, {}, false, {}},
           {QStringLiteral("Descrizione"), QStringLiteral("Descrizione"), 0, {}, false, {}},
           {QStringLiteral("Vendita"), QStringLiteral("PrezzoVendita"), 30, FieldFormat::parse("#,#0.00"), true, {}}};
    s.countLabel = QStringLiteral("Numero degli articoli:");
    return buildTabularLayout(s);
}

MemoryDataSource articleRows(int n)
{
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("PrezzoVendita")});
    for (int i = 0; i < n; ++i)
        d.addRow({QStringLiteral("ART%1").arg(i + 1), QStringLiteral("Caffè <tostato> & macinato %1").arg(i + 1),
                  QVariant::fromValue(Currency::fromUnits(12345000))});
    return d;
}
}   // namespace

TEST(ReportPdf, ShowsHeadingsRowsTotalsAndPageNumbers)
{
    const QString path = testenv::newDir(QStringLiteral("pdf")) + QStringLiteral("/articoli.pdf");
    writePdf(paginate(articles(), articleRows(3)), path);
    const QString text = pdfText(path);
    for (const char* expected : {"Articoli", "Codice", "Descrizione", "Vendita", "ART1", "Caffè <tostato> & macinato 3",
                                 "1.234,50", "3.703,50", "Numero degli articoli:", "Pag. 1 / 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    // Headings come before the rows and the total after them.
    EXPECT_LT(text.indexOf(QStringLiteral("Descrizione")), text.indexOf(QStringLiteral("ART1")));
    EXPECT_LT(text.indexOf(QStringLiteral("ART3")), text.indexOf(QStringLiteral("3.703,50")));
    EXPECT_TRUE(
        run(QStringLiteral("pdfinfo"), {path}).contains(QRegularExpression(QStringLiteral("Title: +Articoli\n"))));
}

TEST(ReportPdf, EveryPageCarriesItsNumberAndThePageSizeIsTheLayouts)
{
    const QString path = testenv::newDir(QStringLiteral("pdf")) + QStringLiteral("/lungo.pdf");
    const ReportDocument doc = paginate(articles(QPageLayout::Landscape), articleRows(70));
    ASSERT_GT(doc.pageCount(), 1);
    writePdf(doc, path);
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(doc.pageCount()))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size: +842 x 595 pts"))))
        << info.toStdString();   // A4 landscape
    const QStringList pages = pdfText(path).split(u'\f');
    for (int p = 1; p <= doc.pageCount(); ++p) {
        const QString page = pages.value(p - 1);
        EXPECT_TRUE(page.contains(QStringLiteral("Pag. %1 / %2").arg(p).arg(doc.pageCount()))) << "page " << p;
        EXPECT_TRUE(page.contains(QStringLiteral("Descrizione"))) << "page " << p;
    }
    EXPECT_TRUE(pages.value(doc.pageCount() - 1).contains(QStringLiteral("86.415,00")));
}

TEST(ReportPdf, AFailedWriteRaisesAndKeepsThePreviousFile)
{
    const QString dir = testenv::newDir(QStringLiteral("pdf"));
    EXPECT_THROW(writePdf(paginate(articles(), articleRows(1)), dir + QStringLiteral("/missing/x.pdf")), AppError);
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/missing/x.pdf")));

    // A layout whose data is incomplete fails before the old export is touched.
    const QString old = dir + QStringLiteral("/old.pdf");
    writePdf(paginate(articles(), articleRows(1)), old);
    const QByteArray before = [&] {
        QFile f(old);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    MemoryDataSource incomplete({QStringLiteral("Codice")});
    EXPECT_THROW(writePdf(paginate(articles(), incomplete), old), AppError);
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST(ReportHtml, EscapesTextAndKeepsTotalsInTheirColumn)
{
    MemoryDataSource d({QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("PrezzoVendita")});
    d.addRow({QStringLiteral("<script>alert(1)</script>"), QStringLiteral("Tè \"verde\" & 'nero'\nseconda riga"),
              QVariant::fromValue(Currency::fromUnits(5000))});
    const ReportDocument doc = paginate(articles(), d);
    const QString html = toHtml(doc);
    EXPECT_FALSE(html.contains(QStringLiteral("<script>")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("Tè &quot;verde&quot; &amp; 'nero'<br>seconda riga")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_FALSE(html.contains(QStringLiteral("Pag. 1 / 1")));   // page footers belong to paper
    EXPECT_TRUE(toHtml(doc, HtmlMode::PerPage).contains(QStringLiteral("Pag. 1 / 1")));

    // The price and its total open the same column: same count of cells before them.
    auto cellsBefore = [&](const QString& text) {
        const int at = html.indexOf(u'>' + text + QStringLiteral("</td>"));
        const int rowStart = html.lastIndexOf(QStringLiteral("<tr"), at);
        int cells = 0;
        for (const QString& td : html.mid(rowStart, at - rowStart).split(QStringLiteral("<td")).mid(1)) {
            const int span = td.indexOf(QStringLiteral("colspan=\""));
            cells += span >= 0 ? td.mid(span + 9).section(u'"', 0, 0).toInt() : 1;
        }
        return cells - 1;   // the cell holding the text itself was counted
    };
    EXPECT_EQ(cellsBefore(QStringLiteral("0,50")), cellsBefore(QStringLiteral("Vendita")));
    EXPECT_GT(cellsBefore(QStringLiteral("0,50")), 0);
    EXPECT_EQ(html.count(QStringLiteral(">0,50</td>")), 2);   // the row and the total
}

TEST(ReportExport, ChoosesTheFormatByExtensionAndAsksForTheFile)
{
    const QString dir = testenv::newDir(QStringLiteral("export"));
    const ReportDocument doc = paginate(articles(), articleRows(2));
    auto scripted = std::make_shared<ScriptedUiServices>(
        QStringList {dir + QStringLiteral("/a.HTML"), dir + QStringLiteral("/senza"), QStringLiteral("<cancel>")});
    setUiServices(scripted);
    EXPECT_TRUE(exportReport(doc));
    QFile html(dir + QStringLiteral("/a.HTML"));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(html.readAll()).contains(QStringLiteral("Caffè &lt;tostato&gt;")));
    EXPECT_TRUE(exportReport(doc));
    EXPECT_TRUE(pdfText(dir + QStringLiteral("/senza.pdf")).contains(QStringLiteral("ART2")));
    EXPECT_FALSE(exportReport(doc));
    EXPECT_EQ(scripted->log().size(), 3);
    EXPECT_THROW(exportToFile(doc, dir + QStringLiteral("/a.doc")), AppError);
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/a.doc")));
    setUiServices(nullptr);
}

TEST(ReportPreview, ShowsEveryPageAndClosesCleanly)
{
    const ReportDocument doc = paginate(articles(), articleRows(70));
    int shown = -1;
    QString caption;
    // Poll for the modal dialog (bounded), look at it, then close it.
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++tries > 500) {
                poll.stop();
                QApplication::closeAllWindows();
            }
            return;
        }
        poll.stop();
        caption = dialog->windowTitle();
        if (auto* view = dialog->findChild<QPrintPreviewWidget*>()) {
            view->updatePreview();
            shown = view->pageCount();
        }
        dialog->reject();
    });
    poll.start(10);
    previewReport(doc);
    EXPECT_EQ(shown, doc.pageCount());
    EXPECT_EQ(caption, QStringLiteral("Articoli"));
}
