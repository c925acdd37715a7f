// Where printed text lands on a PDF page and how wide it is, read back from the file in
// millimetres: labels in columns and rows, and the rows and mask of receipts side by side.
// What the objects compute is checked elsewhere on recordings; this is the page as the
// printer gets it.
#include "PrintShop.h"

#include "printing/PrintSettings.h"
#include "printing/PrinterTarget.h"
#include "printing/ScriptRunners.h"
#include "TestEnvironment.h"
#include "printing/clsScriptPrinter.h"

#include <QFont>
#include <QRawFont>
#include <cmath>

namespace {

// Well under what a page or a font scaled by 25.0 mm to the inch instead of 25.4 would move
// the words placed below (0.9 mm or more on most of them) or widen the 24-point ones (0.4 mm
// or more), well over the PDF's own rounding.
constexpr double kToleranceMm = 0.2;
const QString kFamily = QStringLiteral("DejaVu Sans");

struct OnPage {
    const char* text;
    double xMm;
    double yMm;
};

// How wide the text is at that size by the font's own advances, however it is printed.
double widthMm(const QString& text, double points)
{
    QRawFont font = QRawFont::fromFont(QFont(kFamily));
    font.setPixelSize(points);   // a pixel a point
    double width = 0;
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    for (const QPointF& advance : font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics))
        width += advance.x();
    return width * 25.4 / 72;
}

// Every word on the page once, where it is expected and as wide as its size makes it. A word
// printed twice is matched with the copy nearest where it is expected.
void expectOnPage(QList<PdfWord> words, const std::vector<OnPage>& expected, double points)
{
    for (const OnPage& e : expected) {
        SCOPED_TRACE(e.text);
        auto distance = [&](const PdfWord& w) { return std::hypot(w.xMm - e.xMm, w.yMm - e.yMm); };
        auto found = words.end();
        for (auto it = words.begin(); it != words.end(); ++it)
            if (it->text == QString::fromLatin1(e.text) && (found == words.end() || distance(*it) < distance(*found)))
                found = it;
        ASSERT_NE(found, words.end()) << "not printed";
        EXPECT_NEAR(found->xMm, e.xMm, kToleranceMm);
        EXPECT_NEAR(found->yMm, e.yMm, kToleranceMm);
        EXPECT_NEAR(found->rightMm - found->xMm, widthMm(found->text, points), kToleranceMm);
        words.erase(found);
    }
    for (const PdfWord& w : words) ADD_FAILURE() << "printed and not expected: " << w.text.toStdString();
}

using PdfPlacement = PrintShop;

}   // namespace

TEST_F(PdfPlacement, LabelTextLandsWhereTheScriptPutsItAcrossColumnsAndRows)
{
    const QString script = QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                                          "  prn.SetFont 24, False, False, \"DejaVu Sans\"\r\n"
                                          "  prn.TxtOut 5, 10, flds(\"Descrizione\")\r\n"
                                          "  PrintLabel = True\r\n"
                                          "End Function\r\n");
    const QString file = testenv::newDir(QStringLiteral("labels")) + QStringLiteral("/etichette.pdf");
    auto prn = std::make_shared<clsScriptPrinter>();
    // Labels 90 x 40 mm, two a row, below a margin of 12 mm and right of one of 8 mm.
    prn->SetPrinter(PrinterTarget::forPdf(file), 40, 90, 12, 8, 2);
    for (const char* description : {"MELE", "PERE", "ALBICOCCHE"}) {
        addArticle(QString::fromLatin1(description), QString::fromLatin1(description), "1.00");
        auto article
            = select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(QString::fromLatin1(description)));
        ASSERT_TRUE(RunPrintLabel(*article, prn, script)) << messages().join(u'\n').toStdString();
        prn->NextLabel();
    }
    prn->EndLabels();
    expectOnPage(pdfWords(file), {{"MELE", 18, 17}, {"PERE", 108, 17}, {"ALBICOCCHE", 18, 57}}, 24);
}

TEST_F(PdfPlacement, ReceiptRowsAndMaskLandWhereTheScriptPutsThemOnTicketsSideBySide)
{
    const qint64 article = addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto sale = newSale();
    addRow(*sale, article, 1);
    addRow(*sale, article, 2);
    auto receipt = addReceipt(*sale);
    TicketPrinterSettings s;
    // Tickets 95 x 140 mm, two a row (a copy each), margins 10 mm above and 6 mm left; the rows
    // area from 40 mm down the ticket, rows 6 mm apart.
    s.TicketHeight = 140;
    s.TicketWidth = 95;
    s.TicketTop = 10;
    s.TicketLeft = 6;
    s.ModuleColumns = 2;
    s.TicketRowsDim = 6;
    s.TicketRowsTop = 40;
    s.TicketRowsBottom = 120;
    s.VBScript = QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
                                "  prn.SetFont 10, False, False, \"DejaVu Sans\"\r\n"
                                "  prn.TxtOut 100, 50, \"TOTALE\"\r\n"
                                "  PrintTicketMask = True\r\n"
                                "End Function\r\n"
                                "Function PrintTicketRow(flds, prn, nRow)\r\n"
                                "  prn.SetFont 10, False, False, \"DejaVu Sans\"\r\n"
                                "  prn.TxtOut 0, 5, \"RIGA\" & nRow\r\n"
                                "  PrintTicketRow = True\r\n"
                                "End Function\r\n"
                                "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
                                "  PrintTicketInfo = True\r\n"
                                "End Function\r\n");
    const QString file = testenv::newDir(QStringLiteral("receipts")) + QStringLiteral("/ricevute.pdf");
    ASSERT_TRUE(PrintTicketTest(PrinterTarget::forPdf(file), s, *receipt)) << messages().join(u'\n').toStdString();
    expectOnPage(pdfWords(file),
                 {{"RIGA1", 11, 50},
                  {"RIGA2", 11, 56},
                  {"TOTALE", 56, 110},
                  {"RIGA1", 106, 50},
                  {"RIGA2", 106, 56},
                  {"TOTALE", 151, 110}},
                 10);
}
