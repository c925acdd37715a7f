// The label and receipt print objects on a recording target: where labels and tickets land,
// when pages break, the rows area, the preview strip and frames, the background picture and
// the scripts' variables.
#include "printing/PreviewTarget.h"
#include "printing/PrinterTarget.h"
#include "printing/RecordingTarget.h"
#include "vbscript/ScriptEngine.h"
#include "TestEnvironment.h"
#include "printing/clsScriptPrinter.h"
#include "printing/clsTiketScriptPrinter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct Placed {
    double x, y;
    int page;
    bool operator==(const Placed&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Placed& p)
{
    return os << "(" << p.x << ", " << p.y << ") page " << p.page;
}

// Where each text landed, with its page.
std::vector<Placed> placedTexts(const RecordingTarget& t)
{
    std::vector<Placed> out;
    for (const auto& e : t.events())
        if (e.kind == RecordingTarget::Event::Draw && e.op.kind == DrawOp::Text)
            out.push_back({e.op.rect.x(), e.op.rect.y(), e.page});
    return out;
}

std::vector<QRectF> framesOf(const RecordingTarget& t, const QColor& color)
{
    std::vector<QRectF> out;
    for (const DrawOp& op : t.drawings())
        if (op.kind == DrawOp::Rect && op.color == color) out.push_back(op.rect);
    return out;
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

}   // namespace

TEST(LabelPrinter, LabelsFillColumnsThenRowsThenPages)
{
    struct Case {
        const char* name;
        float height, width, top, left;
        int16_t columns;
        std::vector<Placed> expected;   // the corner of each label in turn
    };
    const std::vector<Case> cases {
        {"88x32.5 in two columns", 32.5f, 88, 0, 0, 2, {{0, 0, 0}, {88, 0, 0}, {0, 32.5, 0}, {88, 32.5, 0}}},
        {"no columns is one column", 32.5f, 88, 0, 0, 0, {{0, 0, 0}, {0, 32.5, 0}, {0, 65, 0}}},
        {"margins move every label", 32.5f, 88, 5, 3, 2, {{3, 5, 0}, {91, 5, 0}, {3, 37.5, 0}}},
        {"a row reaching the bottom goes to a new page", 99, 88, 0, 0, 1, {{0, 0, 0}, {0, 99, 0}, {0, 0, 1}}},
        // Nine rows of 32.5 below a 10 mm margin would end at 302.5 on a 297 mm page: the
        // ninth row starts the next page instead of being cut off.
        {"the top margin counts for the last row",
         32.5f,
         88,
         10,
         0,
         1,
         {{0, 10, 0},
          {0, 42.5, 0},
          {0, 75, 0},
          {0, 107.5, 0},
          {0, 140, 0},
          {0, 172.5, 0},
          {0, 205, 0},
          {0, 237.5, 0},
          {0, 10, 1}}},
        {"height 0 is the printable height", 0, 0, 0, 0, 1, {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}},
    };
    for (const Case& c : cases) {
        auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297));
        auto prn = std::make_shared<clsScriptPrinter>();
        prn->SetPrinter(target, c.height, c.width, c.top, c.left, c.columns);
        for (size_t i = 0; i < c.expected.size(); ++i) {
            prn->TxtOut(0, 0, QStringLiteral("L%1").arg(i));
            prn->NextLabel();
        }
        EXPECT_EQ(placedTexts(*target), c.expected) << c.name;
        EXPECT_TRUE(framesOf(*target, kRed).empty()) << c.name << ": frames are for the preview only";
    }
}

TEST(LabelPrinter, ZeroSizesTakeThePrintableAreaOfThePrinter)
{
    auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297));
    target->setPrintableSize(QSizeF(200, 287));
    clsScriptPrinter prn;
    prn.SetPrinter(target, 0, 0, 0, 0, 1);
    EXPECT_FLOAT_EQ(prn.Height(), 287);
    EXPECT_FLOAT_EQ(prn.Width(), 200);
}

TEST(LabelPrinter, DrawsRelativeToTheCurrentLabel)
{
    auto target = std::make_shared<RecordingTarget>();
    clsScriptPrinter prn;
    prn.SetPrinter(target, 32.5f, 88, 2, 4, 2);
    prn.NextLabel();
    prn.BoxOut(1, 2, 10, 20);
    prn.TxtOut(7, 16, QStringLiteral("Euro"));
    const auto d = target->drawings();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].rect, QRectF(4 + 88 + 2, 2 + 1, 20, 10));
    EXPECT_EQ(d[0].color, QColor(Qt::black));
    EXPECT_EQ(d[1].rect.topLeft(), QPointF(4 + 88 + 16, 2 + 7));
}

TEST(LabelPrinter, PreviewShowsOneFramedStripAndDrawsTheNextRowOverIt)
{
    auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297), false);
    clsScriptPrinter prn;
    prn.SetPrinter(target, 32.5f, 88, 0, 0, 2);
    EXPECT_EQ(target->scaleSizeMm(), QSizeF(2 * 88 + 1, 32.5 + 1)) << "one unit more than the strip";
    for (int i = 0; i < 3; ++i) {
        prn.TxtOut(0, 0, QStringLiteral("L%1").arg(i));
        prn.NextLabel();
    }
    EXPECT_EQ(placedTexts(*target), (std::vector<Placed> {{0, 0, 0}, {88, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(framesOf(*target, kRed),
              (std::vector<QRectF> {QRectF(0, 0, 88, 32.5), QRectF(88, 0, 88, 32.5), QRectF(0, 0, 88, 32.5)}));
    EXPECT_EQ(target->newPages(), 0);
}

TEST(LabelPrinter, SetFontWithoutANameKeepsTheFont)
{
    auto target = std::make_shared<RecordingTarget>();
    clsScriptPrinter prn;
    prn.SetPrinter(target, 32.5f, 88, 0, 0, 2);
    prn.SetFont(13, true, false, QStringLiteral("Courier New"));
    prn.SetFont(9, false, true, QString());
    EXPECT_EQ(target->font(), (PrintFont {QStringLiteral("Courier New"), 9, false, true}));
}

TEST(LabelPrinter, ReleasingTheObjectEndsTheDocumentOnce)
{
    auto target = std::make_shared<RecordingTarget>();
    {
        auto prn = std::make_shared<clsScriptPrinter>();
        prn->SetPrinter(target, 32.5f, 88, 0, 0, 2);
        prn->TxtOut(0, 0, QStringLiteral("A"));
    }
    EXPECT_EQ(target->trace().filter(QStringLiteral("end")).size(), 1);
    {
        auto prn = std::make_shared<clsScriptPrinter>();
        prn->SetPrinter(target, 32.5f, 88, 0, 0, 2);
        prn->EndLabels();
    }
    EXPECT_EQ(target->trace().filter(QStringLiteral("end")).size(), 2) << "an ended document is not ended again";
}

TEST(PrinterChoice, OnlyAnInstalledPrinterOfExactlyThatNameBecomesCurrent)
{
    printers::setInstalledPrinterProvider([] {
        return QStringList {QStringLiteral("Etichette"), QStringLiteral("Ricevute")};
    });
    printers::SetCurrentPrinterName(QStringLiteral("Etichette"));
    clsScriptPrinter prn;
    prn.SetPrinter(QStringLiteral("ricevute"), 32.5f, 88, 0, 0, 2);
    EXPECT_EQ(printers::CurrentPrinterName(), QStringLiteral("Etichette")) << "names compare with case";
    EXPECT_TRUE(prn.Target()->isPrinter());
    prn.SetPrinter(QStringLiteral("Ricevute"), 32.5f, 88, 0, 0, 2);
    EXPECT_EQ(printers::CurrentPrinterName(), QStringLiteral("Ricevute"));
    prn.SetPrinter(QStringLiteral("Non installata"), 32.5f, 88, 0, 0, 2);
    EXPECT_EQ(printers::CurrentPrinterName(), QStringLiteral("Ricevute"));
    printers::setInstalledPrinterProvider(nullptr);
}

namespace {

// A receipt object with the settings' defaults on a recording A4 printer.
std::shared_ptr<clsTiketScriptPrinter> ticketPrinter(const std::shared_ptr<PrintTarget>& target, float height = 0,
                                                     float width = 0, float top = 0, float left = 0,
                                                     int16_t columns = 1, const QString& picture = QString())
{
    auto prn = std::make_shared<clsTiketScriptPrinter>();
    prn->SetPrinter(target, height, width, top, left, columns, 6, 85, 165, picture, 6);
    return prn;
}

}   // namespace

TEST(TicketPrinter, ZeroSizesComeFromThePageOnEitherTarget)
{
    for (bool printer : {true, false}) {
        auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297), printer);
        auto prn = ticketPrinter(target, 0, 0, 10, 5, 2);
        EXPECT_FLOAT_EQ(prn->Height(), 297 - 10) << printer;
        EXPECT_FLOAT_EQ(prn->Width(), (210 - 5) / 2.0f) << printer;
    }
}

TEST(TicketPrinter, LastRowTellsTheRowThatStillFits)
{
    auto prn = ticketPrinter(std::make_shared<RecordingTarget>());
    prn->SetRowPrinting(true);
    // RowsTop 85, RowsDim 6, RowsBottom 165: offsets 0 to 72 fit, 13 rows.
    std::vector<std::pair<float, bool>> seen;
    for (int row = 1; row <= 13; ++row) {
        seen.emplace_back(prn->RowOffset(), prn->LastRow());
        prn->NextTicketRow();
    }
    const std::vector<std::pair<float, bool>> expected {{0, false},  {6, false},  {12, false}, {18, false}, {24, false},
                                                        {30, false}, {36, false}, {42, false}, {48, false}, {54, false},
                                                        {60, false}, {66, false}, {72, true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(prn->TicketCount(), 1) << "after the last row the next ticket starts";
    EXPECT_FLOAT_EQ(prn->RowOffset(), 72) << "the new ticket keeps the row offset until row printing changes";
}

TEST(TicketPrinter, RowPrintingMovesTheOriginIntoTheRowsArea)
{
    auto target = std::make_shared<RecordingTarget>();
    auto prn = ticketPrinter(target, 100, 80, 3, 4, 1);
    EXPECT_FLOAT_EQ(prn->CurX(), 4);
    EXPECT_FLOAT_EQ(prn->CurY(), 3);
    prn->SetRowPrinting(true);
    prn->NextTicketRow();
    EXPECT_FLOAT_EQ(prn->CurY(), 3 + 85 + 6);
    prn->SetRowPrinting(true);
    EXPECT_FLOAT_EQ(prn->RowOffset(), 6) << "the same flag keeps the row";
    prn->SetRowPrinting(false);
    EXPECT_FLOAT_EQ(prn->RowOffset(), 0);
    EXPECT_FLOAT_EQ(prn->CurY(), 3);
}

TEST(TicketPrinter, TicketsFlowAcrossColumnsAndPages)
{
    struct Case {
        const char* name;
        float height, top;
        std::vector<Placed> expected;
    };
    const std::vector<Case> cases {
        // Two rows of 140 below a 10 mm margin end at 290; a third would end at 430.
        {"two rows fit", 140, 10, {{5, 10, 0}, {105, 10, 0}, {5, 150, 0}, {105, 150, 0}, {5, 10, 1}}},
        // Below a 20 mm margin the second row would end at 300, past the 297 mm page.
        {"the top margin counts for the last row",
         140,
         20,
         {{5, 20, 0}, {105, 20, 0}, {5, 20, 1}, {105, 20, 1}, {5, 20, 2}}},
    };
    for (const Case& c : cases) {
        auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297));
        auto prn = ticketPrinter(target, c.height, 100, c.top, 5, 2);
        for (int i = 0; i < 5; ++i) {
            prn->TxtOut(0, 0, QStringLiteral("T%1").arg(i));
            prn->NextTicket();
        }
        EXPECT_EQ(placedTexts(*target), c.expected) << c.name;
        EXPECT_EQ(prn->TicketCount(), 5) << c.name;
    }
}

TEST(TicketPrinter, PreviewFramesTicketsAndRowsAreasAndNeverWrapsTheStrip)
{
    auto target = std::make_shared<RecordingTarget>(QSizeF(210, 297), false);
    auto prn = ticketPrinter(target, 200, 90, 0, 0, 2);
    EXPECT_EQ(target->scaleSizeMm(), QSizeF(180, 200)) << "exactly the strip";
    for (int i = 0; i < 3; ++i) {
        prn->TxtOut(0, 0, QStringLiteral("T%1").arg(i));
        prn->NextTicket();
    }
    EXPECT_EQ(placedTexts(*target), (std::vector<Placed> {{0, 0, 0}, {90, 0, 0}, {0, 200, 0}}))
        << "the second row of tickets falls below the previewed strip";
    const auto red = framesOf(*target, kRed);
    const auto green = framesOf(*target, kGreen);
    ASSERT_EQ(red.size(), 3u);
    ASSERT_EQ(green.size(), 3u);
    EXPECT_EQ(red[1], QRectF(91, 1, 88, 198));
    EXPECT_EQ(green[1], QRectF(91, 86, 88, 78));
}

TEST(TicketPrinter, BackgroundPictureOncePerTicketEvenOnAnEmptyOne)
{
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString file = testenv::newDir(QStringLiteral("pic")) + QStringLiteral("/sfondo.png");
    ASSERT_TRUE(picture.save(file));
    auto target = std::make_shared<RecordingTarget>();
    auto prn = ticketPrinter(target, 140, 100, 10, 5, 2, file);
    prn->TxtOut(0, 0, QStringLiteral("a"));
    prn->BoxOut(1, 1, 2, 2);
    prn->NextTicket();
    prn->NextTicket();   // nothing drawn on the second ticket
    std::vector<QRectF> images;
    for (const DrawOp& op : target->drawings())
        if (op.kind == DrawOp::Image) images.push_back(op.rect);
    EXPECT_EQ(images, (std::vector<QRectF> {QRectF(5, 10, 100, 140 - 6), QRectF(105, 10, 100, 140 - 6)}));
    EXPECT_EQ(target->drawings().front().kind, DrawOp::Image) << "the picture lies under the ticket's drawings";
}

TEST(TicketPrinter, APictureThatCannotBeLoadedReachesTheCaller)
{
    clsTiketScriptPrinter prn;
    EXPECT_THROW(prn.SetPrinter(std::make_shared<RecordingTarget>(), 0, 0, 0, 0, 1, 6, 85, 165,
                                testenv::root() + QStringLiteral("/manca.png"), 6),
                 AppError);
}

TEST(TicketPrinter, ScriptVariablesShareOneCollection)
{
    auto prn = ticketPrinter(std::make_shared<RecordingTarget>());
    vbs::ScriptEngine engine;
    engine.addCode(QStringLiteral("Function Before(prn)\r\n"
                                  "  Before = TypeName(prn.Nums(\"Tot\")) & \"|\" & prn.Nums(\"Tot\") & \"|[\" & "
                                  "prn.Strs(\"Tot\") & \"]|\" & IsEmpty(prn.Vars(\"Tot\")) & \"|\" & prn.VarsCount\r\n"
                                  "End Function\r\n"
                                  "Function After(prn)\r\n"
                                  "  prn.Vars(\"Tot\") = 5\r\n"
                                  "  After = prn.Strs(\"tot\") & \"|\" & prn.VarsCount\r\n"
                                  "  prn.Nums(\"TOT\") = 7\r\n"
                                  "  After = After & \"|\" & prn.Vars(\"Tot\") & \"|\" & prn.VarsCount\r\n"
                                  "  prn.ResetVars\r\n"
                                  "  After = After & \"|\" & prn.VarsCount\r\n"
                                  "End Function\r\n"));
    const vbs::Variant obj {vbs::ObjectPtr(prn)};
    EXPECT_EQ(engine.run(QStringLiteral("Before"), {obj}).toString(), QStringLiteral("Integer|0|[]|True|0"));
    EXPECT_EQ(engine.run(QStringLiteral("After"), {obj}).toString(), QStringLiteral("5|1|7|1|0"));
}

TEST(TicketPrinter, SetUpResetsPositionCountersAndVariables)
{
    auto target = std::make_shared<RecordingTarget>();
    auto prn = ticketPrinter(target, 140, 100, 0, 0, 2);
    prn->SetVar(QStringLiteral("x"), vbs::Variant(1));
    prn->SetRowPrinting(true);
    prn->NextTicketRow();
    prn->NextTicket();
    prn->InitializeVars();
    EXPECT_EQ(prn->TicketCount(), 0);
    EXPECT_EQ(prn->VarsCount(), 0);
    EXPECT_FALSE(prn->RowPrinting());
    EXPECT_FLOAT_EQ(prn->RowOffset(), 0);
    EXPECT_FLOAT_EQ(prn->CurX(), 0);
}

TEST(PreviewWindow, TallStripsTakeTheHeightOthersTheWidth)
{
    const QSize screen(1000, 800);
    EXPECT_EQ(PreviewWindowSize(QSizeF(50, 100), screen), QSize(360, 720));
    EXPECT_EQ(PreviewWindowSize(QSizeF(176, 32.5), screen), QSize(850, 157));
    EXPECT_EQ(PreviewWindowSize(QSizeF(100, 100), screen), QSize(850, 850)) << "a square strip uses the width rule";
    EXPECT_EQ(PreviewWindowSize(QSizeF(0, 100), screen, QSize(1, 2)), QSize(1, 2));
}

TEST(PreviewWindow, ThePreviewPaintsWhatTheScriptDrew)
{
    auto target = std::make_shared<PreviewTarget>(QSizeF(210, 297), QSize(1000, 800));
    clsScriptPrinter prn;
    prn.SetPrinter(target, 32.5f, 88, 0, 0, 2);
    EXPECT_EQ(target->windowSize(), QSize(850, 157));
    prn.BoxOut(0, 0, 32.5f, 88);
    QImage image(177 * 4, 34 * 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    target->render(painter, QRectF(image.rect()));
    painter.end();
    // Four pixels a millimetre: the box's right edge at 88 mm, nothing beyond it.
    auto darkIn = [&](int from, int to) {
        int n = 0;
        for (int x = from; x <= to; ++x) n += image.pixelColor(x, image.height() / 2).lightness() < 128;
        return n;
    };
    EXPECT_GT(darkIn(350, 354), 0);
    EXPECT_EQ(darkIn(360, image.width() - 1), 0);
}
