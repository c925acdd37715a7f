// The label and receipt settings dialogs: what their boxes become, what OK keeps, the
// question before an edited script is dropped, the script files through the dialogs, the
// test print on the printer chosen in the list, and the previews.
#include "PrintShop.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/configuration/DefaultScripts.h"
#include "printing/PreviewTarget.h"
#include "printing/PrintScriptFiles.h"
#include "printing/PrintSettings.h"
#include "printing/PrinterTarget.h"
#include "printing/RecordingTarget.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include "printing/ui/frmLabelPreview.h"
#include "printing/ui/frmLabelPrintSetting.h"
#include "printing/ui/frmTicketPreview.h"
#include "printing/ui/frmTicketPrintSetting.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <functional>

namespace {

const QString kLabelScript = QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                                            "  prn.TxtOut 2, 2, flds(\"Descrizione\")\r\n"
                                            "  PrintLabel = True\r\n"
                                            "End Function\r\n");

class PrintSettingsTest : public PrintShop {
protected:
    void SetUp() override
    {
        PrintShop::SetUp();
        g_objDatabase = database();
        printers::setInstalledPrinterProvider([] {
            return QStringList {QStringLiteral("Cassa"), QStringLiteral("Etichette")};
        });
        SetTestPrinterFactory([this](const QString& printer) {
            printedOn << printer;
            recording = std::make_shared<RecordingTarget>();
            return recording;
        });
        m_dir = testenv::newDir(QStringLiteral("settings"));
    }
    void TearDown() override
    {
        SetTestPrinterFactory(nullptr);
        SetPrintRowPicker(nullptr);
        g_objDatabase.reset();
        PrintShop::TearDown();
    }

    // The picked row is always this one.
    void pick(const QString& table, const QString& condition)
    {
        SetPrintRowPicker([this, table, condition](QWidget*, TableObject& t) {
            EXPECT_EQ(t.Name(), table);
            auto rows = select(table, condition);
            return rows->IsEmpty() ? nullptr : std::move(rows);
        });
    }
    static void click(QWidget& dialog, const char* button)
    {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    static QLineEdit& box(QWidget& dialog, const char* name)
    {
        auto* b = dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
        if (!b) throw std::runtime_error(name);
        return *b;
    }
    static QComboBox& printerList(QWidget& dialog)
    {
        return *dialog.findChild<QComboBox*>(QStringLiteral("cboPrinter"));
    }
    static QPlainTextEdit& editor(QWidget& dialog)
    {
        return *dialog.findChild<QPlainTextEdit*>(QStringLiteral("txtVBScript"));
    }

    QString file(const QString& name) const { return m_dir + u'/' + name; }
    // The message boxes shown, without the file dialogs' prompts.
    QStringList boxesShown() const
    {
        QStringList shown;
        for (const QString& line : m_ui->log())
            if (line.startsWith(QStringLiteral("MSGBOX: "))) shown << line.mid(8);
        return shown;
    }

    QStringList printedOn;
    std::shared_ptr<RecordingTarget> recording;
    QString m_dir;
};

LabelPrinterSettings twoLabels(const QString& script = kLabelScript)
{
    LabelPrinterSettings s;
    s.LabelHeight = 32.5f;
    s.LabelWidth = 88;
    s.LabelTop = 0;
    s.LabelLeft = 0;
    s.ModuleColumns = 2;
    s.VBScript = script;
    return s;
}

bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90; }

}   // namespace

TEST(PrintSettingBoxes, NumbersAsTheOperatorTypesThem)
{
    struct Case {
        const char* text;
        std::optional<float> mm;
        std::optional<int16_t> columns;
    };
    const Case cases[] = {
        {"32,5", 32.5f, std::nullopt},
        {"32.5", 32.5f, std::nullopt},
        {" 10 ", 10.f, 10},
        {"0", 0.f, 0},
        {"99", 99.f, 99},
        {"100", 100.f, std::nullopt},
        {"-1", -1.f, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"4x", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        if (c.mm)
            EXPECT_FLOAT_EQ(BoxMillimetres(QStringLiteral("Altezza (mm):"), text), *c.mm) << c.text;
        else
            EXPECT_THROW(BoxMillimetres(QStringLiteral("Altezza (mm):"), text), AppError) << c.text;
        if (c.columns)
            EXPECT_EQ(BoxColumns(QStringLiteral("Numero:"), text), *c.columns) << c.text;
        else
            EXPECT_THROW(BoxColumns(QStringLiteral("Numero:"), text), AppError) << c.text;
    }
    try {
        BoxMillimetres(QStringLiteral("Altezza Etichetta (mm):"), QStringLiteral("4x"));
    } catch (const AppError& e) {
        EXPECT_EQ(e.description, QStringLiteral("\"4x\" non è un valore valido per Altezza Etichetta (mm)"));
    }
}

TEST_F(PrintSettingsTest, LabelPreviewFramesTheTwoLabelsAt0And88Millimetres)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE GOLDEN"), "1.00");
    auto article = select(QStringLiteral("Articoli"), QStringLiteral("Codice = '8001'"));
    auto target = std::make_shared<PreviewTarget>(QSizeF(210, 297), QSize(1200, 900));
    ASSERT_TRUE(PrintLabels(target, twoLabels(), *article));

    frmLabelPreview window(target);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Anteprima"));
    window.show();
    QApplication::processEvents();
    const QImage image = window.view()->grab().toImage();
    ASSERT_FALSE(image.isNull());
    // The surface shows the strip plus one millimetre: 177 x 33.5 mm.
    const double sx = image.width() / 177.0, sy = image.height() / 33.5;
    auto redNear = [&](double xMm, double yMm) {
        const int x0 = int(xMm * sx), y0 = int(yMm * sy);
        for (int y = std::max(0, y0 - 2); y <= std::min(image.height() - 1, y0 + 2); ++y)
            for (int x = std::max(0, x0 - 2); x <= std::min(image.width() - 1, x0 + 2); ++x)
                if (isRed(image.pixel(x, y))) return true;
        return false;
    };
    auto inkIn = [&](double fromMm, double toMm) {
        for (int y = int(1 * sy); y < int(8 * sy); ++y)
            for (int x = int(fromMm * sx) + 3; x < int(toMm * sx) - 3; ++x)
                if (qGray(image.pixel(x, y)) < 100) return true;
        return false;
    };
    for (double x : {0.0, 88.0, 176.0}) EXPECT_TRUE(redNear(x, 16)) << "a frame's side at " << x << " mm";
    for (double x : {44.0, 132.0}) {
        EXPECT_FALSE(redNear(x, 16)) << "inside a label at " << x << " mm";
        EXPECT_TRUE(redNear(x, 0)) << "the frames' top at " << x << " mm";
        EXPECT_TRUE(redNear(x, 32.5)) << "the frames' bottom at " << x << " mm";
    }
    EXPECT_FALSE(redNear(176.8, 16)) << "nothing past the second label";
    EXPECT_TRUE(inkIn(0, 88)) << "the first label's description";
    EXPECT_TRUE(inkIn(88, 176)) << "the second label's description";
}

TEST_F(PrintSettingsTest, ALabelScriptThatStopsAtOnceStillGivesAPreviewWithoutFrames)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto article = select(QStringLiteral("Articoli"), QStringLiteral("Codice = '8001'"));
    struct Case {
        QString script;
        int frames;
    };
    const Case cases[] = {
        {kLabelScript, 2},
        {QStringLiteral("Function PrintLabel(flds, prn)\r\n  PrintLabel = False\r\nEnd Function\r\n"), 0},
    };
    for (const Case& c : cases) {
        auto target = std::make_shared<PreviewTarget>(QSizeF(210, 297), QSize(1200, 900));
        ASSERT_TRUE(PrintLabels(target, twoLabels(c.script), *article));
        int frames = 0;
        for (const DrawOp& op : target->drawings())
            if (op.kind == DrawOp::Rect && op.color == QColor(255, 0, 0)) ++frames;
        EXPECT_EQ(frames, c.frames);
    }
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PrintSettingsTest, TestPrintGoesToThePrinterChosenInTheList)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    pick(QStringLiteral("Articoli"), QStringLiteral("Codice = '8001'"));
    struct Case {
        const char* saved;
        int shown;   // the list's entry selected when the dialog opens
        const char* chosen;   // what the operator picks in the list, or nothing
        const char* printer;   // where the labels go
    };
    const Case cases[] = {
        {"Cassa", 0, "Etichette", "Etichette"},
        {"Etichette", 1, nullptr, "Etichette"},
        {"etichette", -1, nullptr, "Cassa"},   // no installed printer of that name: the current one
    };
    for (const Case& c : cases) {
        printers::SetCurrentPrinterName(QStringLiteral("Cassa"));
        settings().LabelPrinterParam = twoLabels();
        settings().LabelPrinterParam.PrinterName = QString::fromLatin1(c.saved);
        frmLabelPrintSetting dialog;
        EXPECT_EQ(printerList(dialog).currentIndex(), c.shown) << c.saved;
        if (c.chosen) printerList(dialog).setCurrentText(QString::fromLatin1(c.chosen));
        printedOn.clear();
        click(dialog, "cmdTest");
        EXPECT_EQ(printedOn, QStringList {QString::fromLatin1(c.printer)}) << c.saved;
        ASSERT_TRUE(recording);
        EXPECT_EQ(recording->texts(), (QStringList {QStringLiteral("MELE"), QStringLiteral("MELE")}));
        EXPECT_TRUE(recording->ended());
        EXPECT_EQ(settings().LabelPrinterParam.PrinterName, QString::fromLatin1(c.saved))
            << "a test print keeps the settings";
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
}

TEST_F(PrintSettingsTest, OkKeepsTheBoxesAndSavesThemOrNamesTheBoxThatIsNoNumber)
{
    settings().LabelPrinterParam = twoLabels();
    frmLabelPrintSetting dialog;
    EXPECT_EQ(BoxMillimetres(QString(), box(dialog, "txtLabelHeight").text()), 32.5f);
    EXPECT_EQ(box(dialog, "txtColumns").text(), QStringLiteral("2"));
    printerList(dialog).setCurrentText(QStringLiteral("Etichette"));
    box(dialog, "txtColumns").setText(QStringLiteral("3"));
    box(dialog, "txtLabelHeight").setText(QStringLiteral("4x"));
    box(dialog, "txtLabelWidth").setText(QStringLiteral("70"));
    box(dialog, "txtLabelTop").setText(QStringLiteral("1"));
    box(dialog, "txtLabelLeft").setText(QStringLiteral("2.5"));
    editor(dialog).setPlainText(QStringLiteral("' nuovo\n"));
    int closed = 0;
    QObject::connect(&dialog, &QDialog::finished, [&](int result) { closed = result == QDialog::Accepted ? 1 : -1; });

    click(dialog, "cmdOK");
    EXPECT_EQ(messages(), QStringList {QStringLiteral("\"4x\" non è un valore valido per Altezza Etichetta (mm)")});
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(settings().LabelPrinterParam.LabelHeight, 32.5f) << "nothing kept";

    box(dialog, "txtLabelHeight").setText(QStringLiteral("40,5"));
    click(dialog, "cmdOK");
    EXPECT_EQ(closed, 1);
    // What is kept is what the store gives back at the next start.
    settings().LabelPrinterParam = LabelPrinterSettings();
    LoadConfiguration();
    EXPECT_EQ(settings().LabelPrinterParam.PrinterName, QStringLiteral("Etichette"));
    EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, 3);
    EXPECT_EQ(settings().LabelPrinterParam.LabelHeight, 40.5f);
    EXPECT_EQ(settings().LabelPrinterParam.LabelWidth, 70.f);
    EXPECT_EQ(settings().LabelPrinterParam.LabelTop, 1.f);
    EXPECT_EQ(settings().LabelPrinterParam.LabelLeft, 2.5f);
    EXPECT_EQ(settings().LabelPrinterParam.VBScript, QStringLiteral("' nuovo\r\n"));
}

TEST_F(PrintSettingsTest, LeavingAsksOnlyWhenTheScriptWasEdited)
{
    const QString question = QStringLiteral("Lo script è stato modificato...\r\rUscire senza salvare ?");
    struct Case {
        std::function<void(QDialog&)> edit;
        const char* answer;
        bool asks;
        bool closes;
    };
    const Case cases[] = {
        {[](QDialog&) {}, nullptr, false, true},
        {[](QDialog& d) { click(d, "cmdDefault"); }, "No", true, false},
        {[](QDialog& d) { click(d, "cmdDefault"); }, "Yes", true, true},
        {[](QDialog& d) { editor(d).appendPlainText(QStringLiteral("' riga")); }, "No", true, false},
        {[](QDialog& d) { box(d, "txtColumns").setText(QStringLiteral("5")); }, nullptr, false, true},
    };
    for (const auto makeDialog :
         {+[]() -> std::unique_ptr<QDialog> { return std::make_unique<frmLabelPrintSetting>(); },
          +[]() -> std::unique_ptr<QDialog> { return std::make_unique<frmTicketPrintSetting>(); }}) {
        for (const Case& c : cases) {
            m_ui->clearLog();
            auto dialog = makeDialog();
            bool closed = false;
            QObject::connect(dialog.get(), &QDialog::finished, [&] { closed = true; });
            c.edit(*dialog);
            if (c.answer) m_ui->addAnswer(QString::fromLatin1(c.answer));
            click(*dialog, "cmdCancel");
            EXPECT_EQ(messages(), c.asks ? QStringList {question} : QStringList())
                << dialog->objectName().toStdString();
            EXPECT_EQ(closed, c.closes) << dialog->objectName().toStdString();
        }
    }
}

TEST_F(PrintSettingsTest, LabelScriptFilesThroughTheDialog)
{
    {
        QFile f(file(QStringLiteral("LabelPrint.vbs")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("A\r\nB");
    }
    frmLabelPrintSetting dialog;
    m_ui->addAnswer(file(QStringLiteral("LabelPrint.vbs")));
    click(dialog, "cmdLoad");
    EXPECT_EQ(editor(dialog).toPlainText(), QStringLiteral("A\nB\n"));
    EXPECT_TRUE(dialog.ScriptModified());

    m_ui->addAnswer(file(QStringLiteral("copia.vbs")));
    click(dialog, "cmdSave");
    QFile copy(file(QStringLiteral("copia.vbs")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("A\r\nB\r\n"));
    copy.close();

    // Saving over a file asks first; No keeps the file as it was.
    editor(dialog).setPlainText(QStringLiteral("C\n"));
    for (const char* answer : {"No", "Yes"}) {
        m_ui->clearLog();
        m_ui->addAnswer(file(QStringLiteral("copia.vbs")));
        m_ui->addAnswer(QString::fromLatin1(answer));
        click(dialog, "cmdSave");
        EXPECT_EQ(messages().last(), QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?"));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), QByteArray(QByteArray(answer) == "No" ? "A\r\nB\r\n" : "C\r\n")) << answer;
        copy.close();
    }

    // Cancelling the file dialog changes nothing; a missing file is named in a message.
    m_ui->clearLog();
    m_ui->addAnswer(QStringLiteral("<cancel>"));
    click(dialog, "cmdLoad");
    m_ui->addAnswer(file(QStringLiteral("manca.vbs")));
    click(dialog, "cmdLoad");
    EXPECT_EQ(editor(dialog).toPlainText(), QStringLiteral("C\n"));
    ASSERT_EQ(boxesShown().size(), 1);
    EXPECT_TRUE(boxesShown().last().contains(file(QStringLiteral("manca.vbs"))));
}

TEST_F(PrintSettingsTest, AReceiptFileSavedAndLoadedRestoresEveryBoxAndTheScript)
{
    frmTicketPrintSetting dialog;
    const QList<QPair<const char*, QString>> boxes {
        {"txtBottomImageBorder", "6,5"}, {"txtColumns", "2"},        {"txtTicketHeight", "148"},
        {"txtTicketWidth", "105"},       {"txtTicketTop", "10"},     {"txtTicketLeft", "5,25"},
        {"txtTicketRowsDim", "6"},       {"txtTicketRowsTop", "85"}, {"txtTicketRowsBottom", "165"}};
    for (const auto& [name, text] : boxes) box(dialog, name).setText(text);
    box(dialog, "txtBackImage").setText(QStringLiteral("sfondo.png"));
    const QString script = QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\n"
                                          "  PrintTicketMask = True\nEnd Function\n");
    editor(dialog).setPlainText(script);
    m_ui->addAnswer(file(QStringLiteral("TicketPrint.vbs")));
    click(dialog, "cmdSave");

    for (const auto& [name, text] : boxes) box(dialog, name).setText(QStringLiteral("0"));
    box(dialog, "txtBackImage").setText(QStringLiteral("altro.png"));
    click(dialog, "cmdDefault");
    m_ui->addAnswer(file(QStringLiteral("TicketPrint.vbs")));
    click(dialog, "cmdLoad");
    for (const auto& [name, text] : boxes) EXPECT_EQ(box(dialog, name).text(), text) << name;
    EXPECT_EQ(box(dialog, "txtBackImage").text(), QStringLiteral("altro.png")) << "the picture is not in the file";
    EXPECT_EQ(editor(dialog).toPlainText(), script);
    EXPECT_EQ(boxesShown(), QStringList());

    // OK keeps what the boxes show.
    click(dialog, "cmdOK");
    EXPECT_EQ(settings().TicketPrinterParam.ModuleColumns, 2);
    EXPECT_EQ(settings().TicketPrinterParam.TicketLeft, 5.25f);
    EXPECT_EQ(settings().TicketPrinterParam.TicketBottomImageBorder, 6.5f);
    EXPECT_EQ(settings().TicketPrinterParam.TicketBackImageFile, QStringLiteral("altro.png"));
    EXPECT_EQ(settings().TicketPrinterParam.VBScript, ScriptFromEditor(script));
}

namespace {
// Each ticket's mask says which ticket it is; each row its number.
const QString kTicketScript
    = QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
                     "  prn.TxtOut 0, 0, \"Ricevuta \" & prn.TicketCount\r\n"
                     "  PrintTicketMask = True\r\n"
                     "End Function\r\n"
                     "Function PrintTicketRow(flds, prn, nRow)\r\n"
                     "  prn.TxtOut 0, 0, \"Riga \" & nRow\r\n"
                     "  PrintTicketRow = True\r\n"
                     "End Function\r\n"
                     "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
                     "  PrintTicketInfo = True\r\n"
                     "End Function\r\n");
}

TEST_F(PrintSettingsTest, ReceiptTestPrintsOneCopyPerTicketOfTheRow)
{
    const qint64 article = addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto sale = newSale();
    addRow(*sale, article, 2);
    auto receipt = addReceipt(*sale);
    pick(QStringLiteral("Ricevute"), QStringLiteral("OID = %1").arg(receipt->GetOID()));

    settings().TicketPrinterParam.PrinterName = QStringLiteral("Etichette");
    settings().TicketPrinterParam.VBScript = kTicketScript;
    frmTicketPrintSetting dialog;
    box(dialog, "txtColumns").setText(QStringLiteral("2"));
    box(dialog, "txtTicketHeight").setText(QStringLiteral("100"));
    box(dialog, "txtTicketWidth").setText(QStringLiteral("90"));
    box(dialog, "txtTicketRowsTop").setText(QStringLiteral("20"));
    box(dialog, "txtTicketRowsBottom").setText(QStringLiteral("80"));
    printerList(dialog).setCurrentText(QStringLiteral("Cassa"));
    click(dialog, "cmdTest");
    EXPECT_EQ(printedOn, QStringList {QStringLiteral("Cassa")});
    ASSERT_TRUE(recording);
    EXPECT_TRUE(recording->ended());
    // Two copies side by side on one row of the page: each copy's row, then its mask.
    QStringList placed;
    for (const DrawOp& op : recording->drawings())
        if (op.kind == DrawOp::Text)
            placed << QStringLiteral("%1 @ %2,%3").arg(op.text, mmText(op.rect.x()), mmText(op.rect.y()));
    EXPECT_EQ(placed,
              (QStringList {QStringLiteral("Riga 1 @ 0,20"), QStringLiteral("Ricevuta 0 @ 0,0"),
                            QStringLiteral("Riga 1 @ 90,20"), QStringLiteral("Ricevuta 1 @ 90,0")}));
    EXPECT_EQ(recording->newPages(), 0);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'\n').toStdString();
}

TEST_F(PrintSettingsTest, ReceiptPreviewFramesTheTicketAndItsRowsArea)
{
    const qint64 article = addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto sale = newSale();
    addRow(*sale, article, 1);
    auto receipt = addReceipt(*sale);
    TicketPrinterSettings s;
    s.TicketHeight = 100;
    s.TicketWidth = 90;
    s.TicketRowsTop = 20;
    s.TicketRowsBottom = 80;
    s.VBScript = kTicketScript;
    auto target = std::make_shared<PreviewTarget>(QSizeF(210, 297), QSize(1200, 900));
    ASSERT_TRUE(PrintTicketTest(target, s, *receipt));
    QStringList frames;
    for (const DrawOp& op : target->drawings())
        if (op.kind == DrawOp::Rect)
            frames << QStringLiteral("%1 %2,%3 %4x%5")
                          .arg(op.color.name(), mmText(op.rect.x()), mmText(op.rect.y()), mmText(op.rect.width()),
                               mmText(op.rect.height()));
    EXPECT_EQ(frames, (QStringList {QStringLiteral("#ff0000 1,1 88x98"), QStringLiteral("#00ff00 1,21 88x58")}));
    frmTicketPreview window(target);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Anteprima"));
    EXPECT_EQ(window.size(), PreviewWindowSize(QSizeF(90, 100), QSize(1200, 900)));

    // A receipt record whose sale is gone gives no preview, and says why.
    auto orphan = select(QStringLiteral("Ricevute"), QStringLiteral("OID = 0"));
    orphan->NewRow();
    orphan->Update();
    auto again = std::make_shared<PreviewTarget>(QSizeF(210, 297), QSize(1200, 900));
    EXPECT_FALSE(PrintTicketTest(again, s, *orphan));
    EXPECT_EQ(messages(), QStringList {QStringLiteral("La ricevuta non è associata a nessuna vendita.")});
}

TEST_F(PrintSettingsTest, WithoutThePickDialogTheRowsKeyIsTyped)
{
    addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    struct Case {
        const char* answer;
        const char* picked;   // the code of the picked article, or none
        bool message;
    };
    const Case cases[]
        = {{"8001", "8001", false}, {" 8001 ", "8001", false}, {"9999", nullptr, true}, {"<cancel>", nullptr, false}};
    for (const Case& c : cases) {
        m_ui->clearLog();
        m_ui->addAnswer(QString::fromLatin1(c.answer));
        auto row = PickPrintRow(nullptr, QStringLiteral("Articoli"));
        EXPECT_EQ(row ? row->GetValue(QStringLiteral("Codice")).toString() : QString(), QString::fromLatin1(c.picked))
            << c.answer;
        EXPECT_EQ(messages().size(), c.message ? 2 : 1) << c.answer;
    }
    // Receipt numbers start again every year: the latest receipt of that number.
    auto sale = newSale();
    auto first = addReceipt(*sale);
    first->SetValue(QStringLiteral("Data"), QDate(2006, 5, 1));
    first->Update();
    auto second = addReceipt(*sale);
    ASSERT_EQ(first->GetValue(QStringLiteral("Numero")), second->GetValue(QStringLiteral("Numero")));
    m_ui->addAnswer(first->GetValue(QStringLiteral("Numero")).toString());
    auto row = PickPrintRow(nullptr, QStringLiteral("Ricevute"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->GetOID(), second->GetOID());
}

// ---------------------------------------------------------------------------------------
// Headless: the settings dialogs, their printer set-up and their previews take answer lines.

TEST_F(PrintSettingsTest, AHeadlessRunFillsTheSettingsDialogsFromTheirAnswerLines)
{
    struct Case {
        const char* what;
        void (*open)(QWidget*);
        std::initializer_list<const char*> lines;
        std::function<void()> check;
        const char* message;   // the refusal shown, if any
    };
    const QString window[] = {QStringLiteral("frmLabelPrintSetting"), QStringLiteral("frmTicketPrintSetting")};
    const auto label = &frmLabelPrintSetting::ShowModal;
    const auto ticket = &frmTicketPrintSetting::ShowModal;
    auto labelsKept = [] {
        EXPECT_EQ(settings().LabelPrinterParam.PrinterName, QStringLiteral("Cassa"));
        EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, 2);
    };
    auto ticketsKept = [] {
        EXPECT_EQ(settings().TicketPrinterParam.TicketRowsDim, 5.f);
        EXPECT_EQ(settings().TicketPrinterParam.TicketBackImageFile, QString());
    };
    const Case cases[] = {
        {"label values, then OK",
         label,
         {"OK\tcboPrinter=Etichette\ttxtColumns=3\ttxtLabelWidth=70"},
         [] {
             EXPECT_EQ(settings().LabelPrinterParam.PrinterName, QStringLiteral("Etichette"));
             EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, 3);
             EXPECT_EQ(settings().LabelPrinterParam.LabelWidth, 70.f);
             EXPECT_EQ(settings().LabelPrinterParam.LabelHeight, 32.5f);
         },
         nullptr},
        {"receipt values, then OK",
         ticket,
         {"ok\ttxtTicketRowsDim=4,5\ttxtBackImage=sfondo.png"},
         [] {
             EXPECT_EQ(settings().TicketPrinterParam.TicketRowsDim, 4.5f);
             EXPECT_EQ(settings().TicketPrinterParam.TicketBackImageFile, QStringLiteral("sfondo.png"));
         },
         nullptr},
        {"label cancelled", label, {"<cancel>"}, labelsKept, nullptr},
        {"receipt left with Esci", ticket, {"Esci"}, ticketsKept, nullptr},
        {"a box that holds no number",
         label,
         {"OK\ttxtColumns=tre", "OK", "<cancel>"},
         labelsKept,
         "\"tre\" non è un valore valido per Numero di etichette per riga"},
        {"a printer not installed",
         ticket,
         {"OK\tcboPrinter=Ufficio\ttxtTicketRowsDim=4", "OK", "Esci"},
         ticketsKept,
         "\"Ufficio\" non è tra le scelte di \"cboPrinter\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings().LabelPrinterParam = twoLabels();
        settings().LabelPrinterParam.PrinterName = QStringLiteral("Cassa");
        settings().TicketPrinterParam = TicketPrinterSettings();
        settings().TicketPrinterParam.TicketRowsDim = 5;
        m_ui->clearLog();
        for (const char* line : c.lines) m_ui->addAnswer(QString::fromUtf8(line));
        c.open(nullptr);
        EXPECT_FALSE(m_ui->hasAnswers());
        EXPECT_EQ(m_ui->log().first(), QStringLiteral("INPUT: [%1] OK / Esci").arg(window[c.open == ticket]));
        c.check();
        EXPECT_EQ(boxesShown(), c.message ? QStringList {QString::fromUtf8(c.message)} : QStringList());
    }
}

TEST_F(PrintSettingsTest, ThePrinterSetUpAndThePreviewsTakeTheirAnswerLines)
{
    // The printer set-up: an installed printer's name chooses it; any other line chooses none.
    struct Case {
        const char* line;
        const char* listed;
    };
    const Case cases[] = {{"Etichette", "Etichette"}, {"Ufficio", "Cassa"}, {"<cancel>", "Cassa"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        settings().LabelPrinterParam.PrinterName = QStringLiteral("Cassa");
        frmLabelPrintSetting dialog;
        m_ui->clearLog();
        m_ui->addAnswer(QString::fromLatin1(c.line));
        dialog.findChild<QToolButton*>(QStringLiteral("cmdPrnSetting"))->click();
        EXPECT_EQ(printerList(dialog).currentText(), QString::fromLatin1(c.listed));
        EXPECT_EQ(m_ui->log(), QStringList {QStringLiteral("INPUT: [Impostazione stampanti] Cassa, Etichette")});
    }

    // The previews of both dialogs: any line closes them.
    const qint64 article = addArticle(QStringLiteral("8001"), QStringLiteral("MELE"), "1.00");
    auto sale = newSale();
    addRow(*sale, article, 1);
    auto receipt = addReceipt(*sale);
    settings().LabelPrinterParam = twoLabels();
    settings().TicketPrinterParam.VBScript = kTicketScript;
    m_ui->clearLog();
    {
        pick(QStringLiteral("Articoli"), QStringLiteral("Codice = '8001'"));
        frmLabelPrintSetting dialog;
        m_ui->addAnswer(QString());
        click(dialog, "cmdPreview");
    }
    {
        pick(QStringLiteral("Ricevute"), QStringLiteral("OID = %1").arg(receipt->GetOID()));
        frmTicketPrintSetting dialog;
        m_ui->addAnswer(QStringLiteral("<cancel>"));
        click(dialog, "cmdPreview");
    }
    EXPECT_FALSE(m_ui->hasAnswers());
    EXPECT_EQ(m_ui->log(),
              (QStringList {QStringLiteral("INPUT: [frmLabelPreview] Anteprima"),
                            QStringLiteral("INPUT: [frmTicketPreview] Anteprima")}));
}
