// The main window's commands on the grid's rows, driven through the real window offscreen:
// the fiscal receipt of the sale chosen in the grid, on a recording register; scanned codes
// on a pseudo-terminal reaching the code box a window registered; the delete of the selected
// rows by their keys; the labels of a supply; the HTML page of the shown rows; the record
// commands that open rows, documents and new rows.
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/seams/CounterServices.h"
#include "mainwindow/CounterDevices.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "RecordingPrinter.h"
#include "mainwindow/DetailViewPanel.h"
#include "core/configuration/DeviceSettings.h"
#include "objdb/ui/LibraryApplication.h"
#include "mainwindow/MainWindowMenus.h"
#include "objdb/ui/ObjDataGrid.h"
#include "mainwindow/PrintExport.h"
#include "base/PrintProgress.h"
#include "PtyPair.h"
#include "mainwindow/RecordCommands.h"
#include "printing/RecordingTarget.h"
#include "core/serial/SerialChannel.h"
#include "ShopWindow.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "mainwindow/frmMain.h"
#include "dialogs/LineEditBarcodeTarget.h"
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Stops at the given step (1-based, 0: never) and says how far the bar was set.
class StoppingProgress final : public PrintProgress {
public:
    StoppingProgress(int stopAt, int* started) : m_stopAt(stopAt), m_started(started) { }
    void show(const QString&) override { }
    void start(int32_t maximum) override { *m_started = maximum; }
    bool step() override { return ++m_steps != m_stopAt; }
    void end() override { }
    void close() override { }

private:
    int m_stopAt;
    int* m_started;
    int m_steps = 0;
};

QString labelScript()
{
    return QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                          "  prn.TxtOut 0, 0, \"LABEL \" & flds(\"Codice\")\r\n"
                          "  PrintLabel = True\r\n"
                          "End Function\r\n");
}

bool waitFor(const std::function<bool()>& done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class RecordWindow : public ShopWindow {
protected:
    void SetUp() override { start(); }
    const MainWindowMenus& menus() { return m_window->Menus(); }
    std::vector<qint64> stored(const QString& table)
    {
        std::vector<qint64> out;
        auto rows = select(table);
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) out.push_back(rows->GetOID());
        return out;
    }
};

}   // namespace

TEST_F(RecordWindow, TheReceiptOfTheSaleChosenInTheGridReachesTheRegister)
{
    article("A", "Pane", "1.00");
    article("B", "Latte", "1.00", QStringLiteral("R2"));
    RecordingPrinter printer;
    window(ReceiptService([&]() -> itfFiscalPrinter& { return printer; }, SilentPrintProgress));
    ::settings().FiscalPrinterEnabled = true;
    struct Case {
        const char* name;
        QList<Line> lines;
        int failAtRow;
        QStringList answers;
        QStringList calls;
        const char* registerTotal;
        QStringList boxes;
    };
    const QString confirm = QStringLiteral("Confermi la ristampa dello scontrino ?");
    const QString reprinted = QStringLiteral("Lo scontrino e' stato ristampato...");
    const Case cases[] = {
        {"rows largest first",
         {{"A", 1, "5.00"}, {"B", 1, "12.50"}, {"A", 1, "1.00"}},
         0,
         {"Yes", "OK"},
         {"NewSession 2", "SendData 12.5 x1 \"Latte\" 2", "SendData 5 x1 \"Pane\" 1", "SendData 1 x1 \"Pane\" 1",
          "EndSession"},
         "18.50",
         {confirm, reprinted}},
        {"3 pieces for 10.00 is 10.00 on the register",
         {{"A", 3, "10.00"}},
         0,
         {"Yes", "OK"},
         {"NewSession 2", "SendData 10 x1 \"Pane\" 1", "EndSession"},
         "10.00",
         {confirm, reprinted}},
        {"a negative total sends nothing",
         {{"A", 1, "2.00"}, {"B", -1, "-3.00"}},
         0,
         {"Yes", "OK", "OK"},
         {},
         "0",
         {confirm, "N.B.: Lo scontrino non può essere emesso perchè il totale risulta negativo", reprinted}},
        {"an error at row 3 is shown and the register hears nothing more",
         {{"A", 1, "3.00"}, {"B", 1, "2.00"}, {"A", 1, "1.00"}},
         3,
         {"Yes", "OK"},
         {"NewSession 2", "SendData 3 x1 \"Pane\" 1", "SendData 2 x1 \"Latte\" 2", "SendData 1 x1 \"Pane\" 1"},
         "5.00",
         {confirm,
          "Si e' verificato un errore durante l'emissione dello scontrino:\r\rCodice: 3\r\r"
          "Errore di comunicazione in invio dei dati"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sale({{"A", 1, "9.99"}});   // another sale beside it: the grid's choice decides
        const qint64 chosen = sale(c.lines);
        showNode(QStringLiteral("Vendite"));
        menus().mnuViewRefresh->trigger();
        setCurrentRow(chosen);
        ASSERT_TRUE(menus().mnuFiscalPrint->isEnabled()) << "the sales view prints receipts";
        printer.calls.clear();
        printer.failAtRow = c.failAtRow;
        prompts->clearLog();
        for (const QString& a : c.answers) prompts->addAnswer(a);
        menus().mnuFiscalPrint->trigger();
        EXPECT_EQ(printer.calls, c.calls);
        if (!c.calls.isEmpty()) {
            EXPECT_EQ(printer.lastTotal(), money(c.registerTotal));
        }
        EXPECT_EQ(messageBoxes(), c.boxes);
        EXPECT_FALSE(answersLeft());
        // The sale is never touched by its receipt.
        EXPECT_EQ(select(QStringLiteral("Vendite"), QStringLiteral("OID = %1").arg(chosen))->RowCount(), 1);
    }
}

TEST_F(RecordWindow, ScannedCodesReachTheBoxTheActiveWindowRegistered)
{
    PtyPair reader;
    settings->set(QStringLiteral("Devices"), QStringLiteral("COM4"), reader.devicePath());
    ::settings().BarcodeReaderParam.COMPortNumber = 4;
    frmMain& w = window();
    menus().mnuBarcodeReader->trigger();
    ASSERT_TRUE(w.Devices().Switches().BarcodeReaderPort().isOpen());
    EXPECT_TRUE(menus().mnuBarcodeReader->isChecked());

    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* box = new QLineEdit;
    layout->addWidget(box);
    QStringList received;
    QObject::connect(box, &QLineEdit::textChanged, [&](const QString& t) { received << t; });
    form.show();
    form.activateWindow();
    box->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &form; }));
    counterServices()->SetBarcodeControl(LineEditBarcodeTarget(box));

    ASSERT_TRUE(reader.send("8001234567890\r\n80"));
    ASSERT_TRUE(waitFor([&] { return received.size() == 1; }));
    waitFor([] { return false; }, 100);
    EXPECT_EQ(received, QStringList {"8001234567890\r"}) << "the second code waits for its end";
    ASSERT_TRUE(reader.send("09876543210\r\n"));
    ASSERT_TRUE(waitFor([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (QStringList {"8001234567890\r", "8009876543210\r"}));
    EXPECT_TRUE(log().contains(QStringLiteral("STATUS: Letto codice a barre: <8009876543210>")));

    counterServices()->SetBarcodeControl(nullptr);
    menus().mnuBarcodeReader->trigger();
    EXPECT_FALSE(w.Devices().Switches().BarcodeReaderPort().isOpen());
}

TEST_F(RecordWindow, DeletingThreeSelectedCustomersRemovesExactlyThoseRows)
{
    std::vector<qint64> customers;
    for (const char* name : {"Bianchi", "Rossi", "Verdi", "Neri", "Gialli"})
        customers.push_back(customer(QString::fromLatin1(name), QString::fromLatin1(name).left(3)));
    window();
    showNode(QStringLiteral("Clienti"));
    const std::vector<qint64> before = stored(QStringLiteral("Clienti"));
    const std::vector<qint64> chosen {customers[0], customers[2], customers[3]};

    // Answered No: nothing goes.
    selectRows(chosen);
    answer({"No"});
    menus().mnuFileDelete->trigger();
    EXPECT_EQ(stored(QStringLiteral("Clienti")), before);

    answer({"Yes"});
    menus().mnuFileDelete->trigger();
    EXPECT_FALSE(answersLeft());
    std::vector<qint64> expected;
    for (qint64 oid : before)
        if (std::find(chosen.begin(), chosen.end(), oid) == chosen.end()) expected.push_back(oid);
    EXPECT_EQ(stored(QStringLiteral("Clienti")), expected);
    EXPECT_EQ(gridOids(), expected) << "the grid shows what is left";
    EXPECT_TRUE(shownErrors.isEmpty());

    // The Delete key on the grid is the same command: one row, the current one.
    setCurrentRow(customers[4]);
    m_window->Grid()->ClearSelection();
    answer({"Yes"});
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(m_window->Grid()->View(), &del);
    EXPECT_EQ(select(QStringLiteral("Clienti"), QStringLiteral("OID = %1").arg(customers[4]))->RowCount(), 0);
    EXPECT_EQ(stored(QStringLiteral("Clienti")).size(), expected.size() - 1);
}

TEST_F(RecordWindow, AStoppedDeleteGoesNoFurther)
{
    std::vector<qint64> customers;
    for (const char* name : {"Bianchi", "Rossi", "Verdi", "Neri"})
        customers.push_back(customer(QString::fromLatin1(name), QString::fromLatin1(name).left(3)));
    frmMain& w = window();
    showNode(QStringLiteral("Clienti"));
    int started = -1;
    RecordCommands::Hooks h;
    h.dataSet = [&] { return w.Panel().DataSet(); };
    h.progress = [&] { return std::make_unique<StoppingProgress>(2, &started); };
    RecordCommands commands(*w.Grid(), &w, h);

    selectRows({customers[0], customers[1], customers[2]});
    answer({"Yes", "No"});
    commands.FileDelete();
    EXPECT_EQ(started, 3);
    EXPECT_EQ(select(QStringLiteral("Clienti"), QStringLiteral("OID = %1").arg(customers[0]))->RowCount(), 0);
    for (qint64 kept : {customers[1], customers[2], customers[3]})
        EXPECT_EQ(select(QStringLiteral("Clienti"), QStringLiteral("OID = %1").arg(kept))->RowCount(), 1) << kept;
    ASSERT_EQ(messageBoxes().size(), 2);
    EXPECT_TRUE(messageBoxes().last().contains(QStringLiteral("Operazione interrotta")))
        << messageBoxes().last().toStdString();

    // One row selected: the current row goes, without a bar.
    started = -1;
    selectRows({customers[3]});
    setCurrentRow(customers[3]);
    answer({"Yes"});
    commands.FileDelete();
    EXPECT_EQ(started, -1);
    EXPECT_EQ(select(QStringLiteral("Clienti"), QStringLiteral("OID = %1").arg(customers[3]))->RowCount(), 0);
}

TEST_F(RecordWindow, ASupplyPrintsOneLabelPerDeliveredPiece)
{
    article("A", "Pane", "1.00");
    article("B", "Latte", "1.00");
    article("C", "Burro", "1.00");
    std::vector<std::shared_ptr<RecordingTarget>> targets;
    ::settings().LabelPrinterParam.VBScript = labelScript();
    frmMain& w = window(ReceiptService(),
                        LabelPrinting(
                            [&] {
                                targets.push_back(std::make_shared<RecordingTarget>());
                                return targets.back();
                            },
                            SilentPrintProgress));
    supply({{"B", 5}});
    const qint64 chosen = supply({{"A", 2}, {"B", 0}, {"C", 1}});
    showNode(QStringLiteral("Forniture"));
    setCurrentRow(chosen);
    ASSERT_TRUE(menus().mnuPrintLabel->isEnabled());
    answer({"Yes", "OK"});
    menus().mnuPrintLabel->trigger();
    QStringList printed;
    for (const auto& t : targets) printed << t->texts();
    EXPECT_EQ(printed, (QStringList {"LABEL A", "LABEL A", "LABEL C"}));
    EXPECT_EQ(
        messageBoxes(),
        (QStringList {"La fornitura selezionata contiene 3 articoli\r\rConfermi la stampa delle relative etichette ?",
                      "Operazione terminata"}));

    // The articles view prints one label per selected row.
    targets.clear();
    showNode(QStringLiteral("Articoli"));
    const std::vector<qint64> oids = gridOids();
    selectRows({oids[0], oids[2]});
    menus().mnuPrintLabel->trigger();
    printed.clear();
    for (const auto& t : targets) printed << t->texts();
    EXPECT_EQ(printed.size(), 2);
    EXPECT_TRUE(w.isVisible());
}

namespace {
class OperatorWindow : public ShopWindow {
protected:
    void SetUp() override { start(QStringLiteral("Operatore")); }
    const MainWindowMenus& menus() { return m_window->Menus(); }
};
}   // namespace

TEST_F(OperatorWindow, TheHtmlPageEscapesEveryValueAndShowsOnlyWhatTheOperatorSees)
{
    const qint64 bread = article("P1", "<b>Pane & \"burro\"</b>", "2.40");
    auto a = select(QStringLiteral("Articoli"), QStringLiteral("OID = %1").arg(bread));
    a->SetValue(QStringLiteral("PrezzoAcquisto"), QVariant::fromValue(money("1.23")));
    a->Update();
    const QString page = PrintExport::HtmlFile();
    QFile old(page);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("vecchia pagina");
    old.close();

    window();
    showNode(QStringLiteral("Articoli"));
    TableData* shown = m_window->Panel().DataSet();
    const QString hidden = shown->GetFieldInfo(QStringLiteral("PrezzoAcquisto")).Caption;
    ASSERT_FALSE(shown->GetFieldInfo(QStringLiteral("PrezzoAcquisto")).Shown) << "hidden from an operator";
    const QString sale = shown->GetFieldInfo(QStringLiteral("PrezzoVendita")).Caption;

    auto read = [&] {
        QFile f(page);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll());
    };
    answer({"No"});
    menus().mnuViewWebBrowser->trigger();
    QString html = read();
    EXPECT_FALSE(html.contains(QStringLiteral("vecchia pagina")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;b&gt;Pane &amp; &quot;burro&quot;&lt;/b&gt;")));
    EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>") + sale + QStringLiteral("</th>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<th>") + hidden + QStringLiteral("</th>")));
    EXPECT_FALSE(html.contains(QStringLiteral("1,23")));
    EXPECT_EQ(log().filter(QStringLiteral("OPEN: ")),
              QStringList {QStringLiteral("OPEN: ") + QUrl::fromLocalFile(page).toString()});

    // The fields chosen, in their order; a field order naming a hidden field (the report
    // display's, or one written by hand) still leaves it out.
    answer({"Yes", "Descrizione"});
    menus().mnuViewWebBrowser->trigger();
    html = read();
    EXPECT_EQ(html.count(QStringLiteral("<th>")), 1);
    EXPECT_EQ(PrintExport::VisibleFields(*shown, QStringLiteral("Descrizione,PrezzoAcquisto,Nessuno")),
              QStringList {"Descrizione"});
    prompts->clearLog();
    answer({"No"});
    m_window->ExportTableToHtml(shown, QStringLiteral("PrezzoAcquisto,Codice"));
    html = read();
    EXPECT_EQ(html.count(QStringLiteral("<th>")), 1);
    EXPECT_FALSE(html.contains(QStringLiteral("1,23")));
    EXPECT_TRUE(shownErrors.isEmpty());
}

TEST_F(RecordWindow, RowsOpenInTheRowEditorAndDocumentsInTheirWindow)
{
    article("A", "Pane", "1.00");
    const qint64 s = sale({{"A", 1, "1.00"}});
    frmMain& w = window();
    QStringList documents;
    RecordCommands::Hooks h;
    h.dataSet = [&] { return w.Panel().DataSet(); };
    h.openDocumentForm
        = [&](const QString& table, qint64 oid) { documents << QStringLiteral("%1 %2").arg(table).arg(oid); };
    RecordCommands commands(*w.Grid(), &w, h);
    showNode(QStringLiteral("Vendite"));
    setCurrentRow(s);

    answer({"<cancel>"});
    commands.DblClick();
    EXPECT_TRUE(log().filter(QRegularExpression(QStringLiteral("^INPUT: \\[RowEditor\\]"))).size() == 1)
        << log().join(u'\n').toStdString();
    EXPECT_TRUE(documents.isEmpty()) << "a double click opens the row editor even on a sale";

    commands.FileProperties();
    EXPECT_EQ(documents, QStringList {QStringLiteral("Vendite %1").arg(s)});
    commands.FileNew();
    EXPECT_EQ(documents.last(), QStringLiteral("Vendite 0"));

    // In the backup archive every row opens in the row editor, after the question for a new one.
    g_bBackupArchiveMode = true;
    prompts->clearLog();
    answer({"<cancel>"});
    commands.FileProperties();
    EXPECT_EQ(documents.size(), 2);
    EXPECT_EQ(log().filter(QRegularExpression(QStringLiteral("^INPUT: \\[RowEditor\\]"))).size(), 1);
    g_bBackupArchiveMode = false;

    // Any other table: a new row in the row editor, current in the grid once stored.
    showNode(QStringLiteral("Clienti"));
    answer({"Descrizione=Nuovo cliente\tCodice=C99"});
    commands.FileNew();
    auto added = select(QStringLiteral("Clienti"), QStringLiteral("Codice = 'C99'"));
    ASSERT_EQ(added->RowCount(), 1);
    added->MoveFirst();
    EXPECT_EQ(w.Grid()->Bookmark(), added->GetOID());
    EXPECT_TRUE(shownErrors.isEmpty());
}

TEST_F(RecordWindow, TheNotCompletedSalesComeFromAnyView)
{
    article("A", "Pane", "1.00");
    sale({{"A", 1, "1.00"}});
    const qint64 open = sale({{"A", 1, "2.00"}}, 0, false);
    frmMain& w = window();
    showNode(QStringLiteral("Clienti"));
    menus().mnuNotCompleted_Vendite->trigger();
    EXPECT_EQ(w.SelectedNodeKey(), QStringLiteral("Vendite"));
    EXPECT_EQ(gridOids(), std::vector<qint64> {open});
    // The node's own view again shows every sale of the day.
    menus().mnuViewRefresh->trigger();
    EXPECT_EQ(gridOids().size(), 2u);
}

TEST_F(RecordWindow, SalesAndSuppliesOpenInTheirOwnWindows)
{
    article("A", "Pane", "1.00");
    const qint64 s = sale({{"A", 1, "1.00"}});
    frmMain& w = window();
    showNode(QStringLiteral("Vendite"));
    setCurrentRow(s);
    const auto opened = [&](const char* name) {
        return log().filter(QRegularExpression(QStringLiteral("^INPUT: \\[%1\\]").arg(QLatin1String(name)))).size();
    };

    answer({"<cancel>"});
    menus().mnuFileProperties->trigger();
    EXPECT_EQ(opened("frmVendite"), 1) << log().join(u'\n').toStdString();
    EXPECT_EQ(opened("RowEditor"), 0);

    // A new supply starts with its supplier: given none, the window gives up.
    answer({"<cancel>"});
    ToolbarAction(*w.ToolBar(), QStringLiteral("Supply"))->trigger();
    EXPECT_EQ(log().filter(QStringLiteral("INPUT: [PickRowDialog] Seleziona - Fornitori")).size(), 1)
        << log().join(u'\n').toStdString();

    // A double click stays in the row editor, even on a sale.
    answer({"<cancel>"});
    emit w.Grid()->DblClick();
    EXPECT_EQ(opened("RowEditor"), 1);
    EXPECT_EQ(opened("frmVendite"), 1);
    EXPECT_FALSE(answersLeft());
    EXPECT_TRUE(shownErrors.isEmpty()) << shownErrors.join(u'\n').toStdString();
}

TEST_F(RecordWindow, ARefreshAskedWhileACommandWorksOnTheRowsWaitsForIt)
{
    article("A", "Pane", "1.00");
    const qint64 s = sale({{"A", 1, "1.00"}});
    frmMain& w = window();
    showNode(QStringLiteral("Vendite"));
    setCurrentRow(s);
    TableData* shown = w.Panel().DataSet();
    std::vector<TableData*> seenInside;
    // The document window asks for a refresh as it closes, while the edit still uses the rows.
    RecordCommands::Hooks h;
    h.dataSet = [&] { return w.Panel().DataSet(); };
    h.hold = [&] { return w.Panel().HoldView(); };
    h.openDocumentForm = [&](const QString&, qint64) {
        w.RefreshDetailView(QString(), QString());
        seenInside.push_back(w.Panel().DataSet());
    };
    RecordCommands commands(*w.Grid(), &w, h);
    commands.FileProperties();
    EXPECT_EQ(seenInside, std::vector<TableData*> {shown}) << "the rows stay while the command runs";
    EXPECT_NE(w.Panel().DataSet(), shown) << "the refresh ran once the command was done";
    EXPECT_EQ(w.Grid()->Bookmark(), s);
    EXPECT_TRUE(shownErrors.isEmpty());
}
