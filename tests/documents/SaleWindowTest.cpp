// The sale window over the shop: scans through the code box it registers, the rows the grid
// shows and the stock they take, weighed articles, the keys, confirm through the main
// window's receipt service to a recording register, cancel and close, the points label and
// the customer read from a card typed by a keyboard-emulating reader.
#include "DocumentWindowShop.h"

#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/fiscal/FiscalReceipt.h"
#include "objdb/ui/GridLayout.h"
#include "objdb/ui/ObjDataGrid.h"
#include "base/PrintProgress.h"
#include "operations/ReceiptService.h"
#include "printing/RecordingTarget.h"
#include "ShownModalWindows.h"
#include "objdb/TableObject.h"
#include "devices/cards/ui/frmMagneticDev.h"
#include "documents/ui/frmVendite.h"
#include "devices/fiscal/itfFiscalPrinter.h"
#include "devices/cards/modMagneticDev.h"

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

const QString kVendite = QStringLiteral("Vendite");
const QString kQuantity = QStringLiteral("ValoreScarico");

// A register that records what it is sent ("SendData 10 x1"), failing on a row when told.
class RecordingRegister final : public itfFiscalPrinter {
public:
    QStringList calls;
    bool failOnData = false;

    void NewSession(int16_t decimals) override { calls << QStringLiteral("NewSession %1").arg(decimals); }
    void EndSession() override { calls << QStringLiteral("EndSession"); }
    void CancelSession() override { calls << QStringLiteral("CancelSession"); }
    void SendData(Currency price, int16_t quantity, const QString&, int16_t) override
    {
        calls << QStringLiteral("SendData %1 x%2").arg(price.toString()).arg(quantity);
        if (failOnData)
            throw AppError::object(AppError::kGenericCode, QStringLiteral("Registratore"),
                                   QStringLiteral("Carta esaurita"));
    }
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }
    QString FiscalPrinterDescription() const override { return QStringLiteral("Registratore di prova"); }
    void SetParameters(const QVariantList&) override { }
};

// The main window's receipts as the program sends them: through the receipt service, to the
// recording register.
class RegisterMainWindow final : public RecordingMainWindow {
public:
    RecordingRegister drawer;
    ReceiptService receipts {[this]() -> itfFiscalPrinter& { return drawer; }, SilentPrintProgress};
    bool Send_Scontrino(TableData& rows) override { return receipts.Send_Scontrino(rows); }
};

class SaleWindow : public DocumentWindowShop {
protected:
    void SetUp() override
    {
        DocumentWindowShop::SetUp();
        setMainWindowServices(&main);
        setCounterServices(&main);
        registered = &main;
        occasional = keyOf(QStringLiteral("Clienti"), QStringLiteral("Cliente occasionale"));
        cash = keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Contanti"));
        setSetting(kVendite, QStringLiteral("ClienteDefault"), QString::number(occasional));
        setSetting(kVendite, QStringLiteral("PagamentoDefault"), QString::number(cash));
        pane = addArticle(QStringLiteral("8001"), "2.50", 10);
        latte = addArticle(QStringLiteral("8002"), "10.00", 10);
        for (qint64 a : {pane, latte}) {
            auto article = row(QStringLiteral("Articoli"), a);
            article->SetReferenceByKey(QStringLiteral("CodiceIva"), QStringLiteral("IVA10"));
            article->Update();
        }
    }
    void TearDown() override
    {
        window.reset();
        setMainWindowServices(&mainWindow);
        setCounterServices(&mainWindow);
        DocumentWindowShop::TearDown();
    }

    // The window as the main window's new-sale command opens it: loaded, then activated.
    frmVendite& open()
    {
        window = std::make_unique<frmVendite>(db(), nullptr);
        EXPECT_TRUE(window->Activate());
        return *window;
    }
    qint64 saleKey() { return window->document().sale()->GetOID(); }
    QStringList rows() { return gridRows(*window, kQuantity); }

    RegisterMainWindow main;
    std::unique_ptr<frmVendite> window;
    qint64 occasional = 0, cash = 0, pane = 0, latte = 0;
};

// ---- scans ------------------------------------------------------------------------------------------------

TEST_F(SaleWindow, ScanningTheSameArticleTwiceGrowsItsRowAndTakesTheStock)
{
    frmVendite& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vendita Articoli"));
    ASSERT_NE(main.codeBox, nullptr);

    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8001"));

    EXPECT_EQ(rows(), QStringList {QStringLiteral("8001 2")});
    EXPECT_EQ(stockOf(pane), 8);
    EXPECT_EQ(w.codeBox()->text(), QString());
    EXPECT_EQ(w.focusWidget(), w.codeBox());
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("5,00"));
    EXPECT_EQ(w.selectedRow(), w.document().rows()->GetOID());
    EXPECT_FALSE(gridFields(w).contains(QStringLiteral("PuntiPremio")));
    EXPECT_FALSE(gridFields(w).contains(QStringLiteral("DataScarico")));
}

TEST_F(SaleWindow, AnArticleSoldInFractionsTakesARowForEachScan)
{
    const qint64 cheese = addArticle(QStringLiteral("7001"), "12.00", 5, QStringLiteral("KgPzz"));
    frmVendite& w = open();
    scan(QStringLiteral("7001"));
    scan(QStringLiteral("7001"));
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("7001 1"), QStringLiteral("7001 1")}));
    EXPECT_EQ(stockOf(cheese), 3);
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("24,00"));
}

// A scale's label: "2", the article's code in 4 digits, the amount in cents in 5.
TEST_F(SaleWindow, AWeighedArticlesLabelSellsWhatItsAmountBuys)
{
    addBarcodeLayout(QStringLiteral("2"), 2, 4, 6, 5, 100);
    struct Case {
        const char* unit;
        const char* quantity;   // as the grid shows it
    };
    const Case cases[] = {{"KgPzz", "5,208"}, {"QntPzz", "5"}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        window.reset();
        const QString code = QStringLiteral("900%1").arg(++n);
        addArticle(code, "2.40", 20, QString::fromLatin1(c.unit));
        frmVendite& w = open();
        scan(QStringLiteral("2") + code + QStringLiteral("01250"));
        EXPECT_EQ(rows(), QStringList {code + u' ' + QString::fromLatin1(c.quantity)});
        auto sold = w.document().rows();
        sold->MoveFirst();
        EXPECT_EQ(sold->GetCurrencyValue(QStringLiteral("ImportoScarico")), eur("12.50"));
        EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("12,50"));
    }
}

TEST_F(SaleWindow, CodesTypedAtTheKeyboardAreTakenOnEnterAndWithCtrlShift)
{
    addArticle(QStringLiteral("ABC1"), "1.00", 10);
    frmVendite& w = open();
    QLineEdit* box = w.codeBox();

    // Typed, then Enter.
    box->setText(QStringLiteral("8002"));
    press(box, Qt::Key_Return);
    EXPECT_EQ(rows(), QStringList {QStringLiteral("8002 1")});

    // Ctrl and Shift held, "abc1" typed (keypad digits are not taken), Ctrl released. A
    // modifier's own press carries the state before it, as the keyboard reports it.
    press(w.grid()->View(), Qt::Key_Shift, Qt::NoModifier);
    press(w.grid()->View(), Qt::Key_Control, Qt::ShiftModifier);
    for (int key : {int(Qt::Key_A), int(Qt::Key_B), int(Qt::Key_C), int(Qt::Key_1)})
        press(box, key, Qt::ShiftModifier | Qt::ControlModifier);
    press(box, Qt::Key_2, Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(box->text(), QStringLiteral("ABC1"));
    release(box, Qt::Key_Control, Qt::ShiftModifier);
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("8002 1"), QStringLiteral("ABC1 1")}));

    // Ctrl+Enter in the empty box puts a line feed first: nothing is taken until Home empties it.
    press(box, Qt::Key_Return, Qt::ControlModifier);
    box->setText(box->text() + QStringLiteral("8001\r"));
    EXPECT_EQ(rows().size(), 2);
    press(box, Qt::Key_Home);
    EXPECT_EQ(box->text(), QString());
    scan(QStringLiteral("8001"));
    EXPECT_EQ(rows().size(), 3);
}

// ---- row commands and keys -------------------------------------------------------------------------------

TEST_F(SaleWindow, TheRowKeysActOnTheSelectedRowAndLeaveTheFocusInTheCodeBox)
{
    frmVendite& w = open();
    QLineEdit* box = w.codeBox();
    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8002"));
    w.grid()->SetBookmark(
        keyOf(QStringLiteral("ScaricoArticoli"), QStringLiteral("8001"), QStringLiteral("Articoli.Codice")));

    press(box, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("8001 2"), QStringLiteral("8002 1")}));
    EXPECT_EQ(box->text(), QString()) << "the + is a command, not a character of a code";

    // A quantity typed with the decimal comma.
    answer({QStringLiteral("1,5")});
    press(box, Qt::Key_F5);
    EXPECT_EQ(rows().first(), QStringLiteral("8001 1,5"));
    EXPECT_EQ(stockOf(pane), 8.5);

    // Delete in the note edits the note; in the code box it removes the row, asking nothing.
    QLineEdit* note = child<QLineEdit>(w, "txtNote");
    press(note, Qt::Key_Delete);
    EXPECT_EQ(rows().size(), 2);
    press(box, Qt::Key_Delete);
    EXPECT_EQ(rows(), QStringList {QStringLiteral("8002 1")});
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(w.focusWidget(), box);

    // Up on the grid's first row goes back to the code box.
    w.grid()->View()->setFocus();
    press(w.grid()->View(), Qt::Key_Up);
    EXPECT_EQ(w.focusWidget(), box);

    // Without a selected row the row commands beep.
    press(box, Qt::Key_Delete);
    EXPECT_EQ(rows(), QStringList());
    const int before = beeps();
    press(box, Qt::Key_F5);
    press(box, Qt::Key_F12);
    EXPECT_EQ(beeps(), before + 2);
    EXPECT_EQ(w.focusWidget(), box);
    EXPECT_FALSE(prompts().contains(QStringLiteral("Il valore impostato non è valido")));
}

TEST_F(SaleWindow, TheFunctionKeysSwitchTheOptions)
{
    settings().Use_Ricevute = true;
    frmVendite& w = open();
    QLineEdit* box = w.codeBox();
    auto* fiscal = child<QCheckBox>(w, "chkFiscalRecord");
    auto* receipt = child<QCheckBox>(w, "chkPrint_Ricevute");
    auto* additional = child<QCheckBox>(w, "chkFind_Aggiuntivo");
    EXPECT_TRUE(fiscal->isChecked());
    EXPECT_FALSE(receipt->isChecked());

    press(box, Qt::Key_F8);
    EXPECT_TRUE(additional->isChecked());
    EXPECT_TRUE(w.document().rowEntry().findAdditionalCode);
    // A printed receipt takes the place of the fiscal one.
    press(box, Qt::Key_F3);
    EXPECT_TRUE(receipt->isChecked());
    EXPECT_FALSE(fiscal->isChecked());
    EXPECT_FALSE(w.document().fiscalRecord());
    press(box, Qt::Key_F4);
    EXPECT_TRUE(fiscal->isChecked());
    EXPECT_TRUE(w.document().fiscalRecord());
}

// ---- confirm, cancel and close ------------------------------------------------------------------------------

TEST_F(SaleWindow, ConfirmSendsTheRowsLargestFirstAndStartsTheNextSale)
{
    frmVendite& w = open();
    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8002"));
    scan(QStringLiteral("8001"));
    const qint64 oid = saleKey();

    answer({QString()});   // the payment's row editor: OK
    w.cmdConfirm_Click();

    EXPECT_EQ(main.drawer.calls,
              (QStringList {QStringLiteral("NewSession 2"), QStringLiteral("SendData 10 x1"),
                            QStringLiteral("SendData 2.5 x2"), QStringLiteral("EndSession")}));
    auto done = row(kVendite, oid);
    EXPECT_TRUE(done->GetBoolValue(QStringLiteral("Completato")));
    auto paid = done->GetReference(QStringLiteral("Pagamento"));
    ASSERT_EQ(paid->RowCount(), 1);
    paid->MoveFirst();
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")), eur("15"));
    EXPECT_FALSE(
        prompts().contains(QStringLiteral("La vendita e' stata registrata senza l'emissione dello scontrino...")));

    // The next sale is open and empty.
    EXPECT_NE(saleKey(), oid);
    EXPECT_EQ(rows(), QStringList());
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("0,00"));
    EXPECT_FALSE(child<QLabel>(w, "lblFiscalMsg")->isVisibleTo(&w));
}

// As the operator does it: two scans, "Ricevuta [F3]", confirm, the payment's editor and the
// receipt's editor confirmed as they open.
TEST_F(SaleWindow, ATickedReceiptIsMadeForItsSaleNumberedAndPrinted)
{
    settings().Use_Ricevute = true;
    settings().NCopyRicevute = QStringLiteral("1");
    settings().TicketPrinterParam.VBScript = QStringLiteral(
        "Function PrintTicketMask(flds, fldsCliente, fldsRicevuta, prn, bTotal)\r\n"
        "  prn.TxtOut 0, 0, \"RICEVUTA \" & fldsRicevuta(\"Numero\") & \" TOTALE \" & flds(\"ImportoVendita\")\r\n"
        "  PrintTicketMask = True\r\n"
        "End Function\r\n"
        "Function PrintTicketRow(flds, prn, nRow)\r\n  PrintTicketRow = True\r\nEnd Function\r\n"
        "Function PrintTicketInfo(sInfo, prn, nRow)\r\n  PrintTicketInfo = True\r\nEnd Function\r\n");
    frmVendite& w = open();
    std::vector<std::shared_ptr<RecordingTarget>> printed;
    w.document().setReceiptTarget([&] {
        printed.push_back(std::make_shared<RecordingTarget>());
        return printed.back();
    });
    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8002"));
    w.applyAnswer(QStringLiteral("<F3>"));
    ASSERT_TRUE(child<QCheckBox>(w, "chkPrint_Ricevute")->isChecked());
    const qint64 oid = saleKey();
    const QDate day = row(kVendite, oid)->GetValue(QStringLiteral("DataVendita")).toDate();

    answer({QString(), QString()});
    w.cmdConfirm_Click();

    EXPECT_EQ(m_ui->log().filter(QStringLiteral("INPUT: [RowEditor]")).size(), 2) << "the payment's and the receipt's";
    auto receipt = select(QStringLiteral("Ricevute"));
    ASSERT_EQ(receipt->RowCount(), 1);
    receipt->MoveFirst();
    EXPECT_EQ(receipt->GetReferenceOID(QStringLiteral("Vendita")), oid);
    EXPECT_EQ(receipt->GetValue(QStringLiteral("Numero")).toLongLong(), 1);
    EXPECT_EQ(receipt->GetValue(QStringLiteral("AnnoRiferimento")).toLongLong(), day.year());
    EXPECT_EQ(receipt->GetValue(QStringLiteral("Data")).toDate(), day);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_TRUE(printed.front()->ended());
    EXPECT_TRUE(printed.front()->trace().join(u'\n').contains(QStringLiteral("RICEVUTA 1 TOTALE 12,5")))
        << printed.front()->trace().join(u'\n').toStdString();
    EXPECT_FALSE(
        prompts().contains(QStringLiteral("La vendita e' stata registrata senza l'emissione della ricevuta...")));
    EXPECT_FALSE(child<QCheckBox>(w, "chkPrint_Ricevute")->isChecked());
}

TEST_F(SaleWindow, ARegisterFailureIsToldAndTheSaleStaysCompleted)
{
    frmVendite& w = open();
    scan(QStringLiteral("8002"));
    const qint64 oid = saleKey();
    main.drawer.failOnData = true;

    // The payment's editor, the driver's error; no void, no second attempt offered.
    answer({QString(), QStringLiteral("OK")});
    w.cmdConfirm_Click();

    EXPECT_FALSE(main.drawer.calls.contains(QStringLiteral("CancelSession")));
    EXPECT_FALSE(
        prompts().contains(QStringLiteral("Lo scontrino non e' stato stampato correttamente...\r\rVuoi riprovare ?")));
    EXPECT_TRUE(
        prompts().contains(QStringLiteral("La vendita e' stata registrata senza l'emissione dello scontrino...")));
    EXPECT_TRUE(row(kVendite, oid)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_NE(saleKey(), oid);
}

// The next customer's first article scanned while the operator settles the payment belongs to
// no sale yet: the sale being confirmed keeps the rows it was paid and sent for. When the
// payment is given up the sale stays open and takes the article then.
TEST_F(SaleWindow, ACodeScannedWhileTheSaleIsConfirmedIsNotAddedToIt)
{
    frmVendite& w = open();
    scan(QStringLiteral("8002"));
    const qint64 oid = saleKey();

    scanWhileShown(QStringLiteral("RowEditor"), QStringLiteral("8001"));
    answer({QStringLiteral("<cancel>")});
    w.cmdConfirm_Click();
    EXPECT_EQ(saleKey(), oid);
    EXPECT_FALSE(row(kVendite, oid)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("8002 1"), QStringLiteral("8001 1")}));
    EXPECT_EQ(w.codeBox()->text(), QString());
    EXPECT_TRUE(main.drawer.calls.isEmpty());
    w.cmdDeleteItem_Click();   // the row just added is the selected one
    EXPECT_EQ(rows(), QStringList {QStringLiteral("8002 1")});

    scanWhileShown(QStringLiteral("RowEditor"), QStringLiteral("8001"));
    answer({QString()});   // the payment's row editor: OK
    w.cmdConfirm_Click();

    EXPECT_EQ(
        main.drawer.calls,
        (QStringList {QStringLiteral("NewSession 2"), QStringLiteral("SendData 10 x1"), QStringLiteral("EndSession")}));
    auto done = row(kVendite, oid);
    EXPECT_EQ(done->GetCurrencyValue(QStringLiteral("ImportoVendita")), eur("10"));
    auto paid = done->GetReference(QStringLiteral("Pagamento"));
    ASSERT_EQ(paid->RowCount(), 1);
    paid->MoveFirst();
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")), eur("10"));
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(stockOf(latte), 9);
    EXPECT_NE(saleKey(), oid);
    EXPECT_EQ(rows(), QStringList());
}

TEST_F(SaleWindow, CancelDeletesTheNewSaleAndGivesItsStockBack)
{
    frmVendite& w = open();
    scan(QStringLiteral("8001"));
    scan(QStringLiteral("8002"));
    const qint64 oid = saleKey();
    EXPECT_EQ(stockOf(pane), 9);

    answer({QStringLiteral("Yes")});
    child<QPushButton>(w, "cmdCancel")->click();

    EXPECT_TRUE(prompts().contains(QStringLiteral("Confermi l'annullamento della vendita ?")));
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(oid)), 0);
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(stockOf(latte), 10);
    EXPECT_NE(saleKey(), oid);
    EXPECT_EQ(rows(), QStringList());
}

TEST_F(SaleWindow, ClosingAsksBeforeASaleWithRowsIsLostAndGivesTheMainWindowBack)
{
    frmVendite& w = open();
    scan(QStringLiteral("8001"));
    const qint64 oid = saleKey();

    answer({QStringLiteral("No")});
    w.reject();
    EXPECT_NE(main.codeBox, nullptr) << "still open";
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(oid)), 1);

    answer({QStringLiteral("Yes")});
    w.reject();
    EXPECT_EQ(count(kVendite, QStringLiteral("OID = %1").arg(oid)), 0);
    EXPECT_EQ(stockOf(pane), 10);
    EXPECT_EQ(main.codeBox, nullptr) << "the code box is no target once the window is gone";
    EXPECT_EQ(main.refreshes, 1);
}

// ---- points and card --------------------------------------------------------------------------------------------

TEST_F(SaleWindow, ThePointsLabelShowsThePointsBeforeTheSaleTheSalesAndTheirTotal)
{
    settings().Use_PuntiPremio = true;
    settings().ImportoPunto = 0;   // no points for the amount: the customer's 500 are what the label starts from
    db().SetAccessLevel(1);   // the prize points are the administrator's to see
    const qint64 rossi = addCustomer(QStringLiteral("Rossi Mario"), QStringLiteral("C1"), true, 500);
    setSetting(kVendite, QStringLiteral("ClienteDefault"), QString::number(rossi));
    addArticle(QStringLiteral("8012"), "12.00", 10);
    frmVendite& w = open();
    QLabel* points = child<QLabel>(w, "lblTotalePunti");
    EXPECT_TRUE(points->isVisibleTo(&w));
    EXPECT_EQ(points->text(), QStringLiteral("500"));
    // The prize points are a column only for a customer who collects points.
    EXPECT_TRUE(gridFields(w).contains(QStringLiteral("PuntiPremio")));

    // The rules give the sale its points, and the customer with it.
    scan(QStringLiteral("8012"));
    w.document().sale()->SetValue(QStringLiteral("Punti"), qint64(12));
    w.showHeader();
    EXPECT_EQ(points->text(), QStringLiteral("500 + 12 = 512"));
    EXPECT_EQ(pointsOf(rossi), 512);
    EXPECT_EQ(child<QLineEdit>(w, "txtCliente")->text(), QStringLiteral("Rossi Mario"));
}

// A scan changes the rows, the totals and the points: the rest of the header stays as the sale
// was last shown whole, and a change made meanwhile to the customer shows with the next sale.
TEST_F(SaleWindow, AScanShowsTheNewTotalsAndPointsAndTheNextSaleTheCustomerAsItIsNow)
{
    settings().Use_PuntiPremio = true;   // the rules give the customer a point for every euro sold
    const qint64 rossi = addCustomer(QStringLiteral("Rossi Mario"), QStringLiteral("C1"), true, 500);
    setSetting(kVendite, QStringLiteral("ClienteDefault"), QString::number(rossi));
    addArticle(QStringLiteral("8012"), "12.00", 10);
    frmVendite& w = open();
    QLabel* points = child<QLabel>(w, "lblTotalePunti");
    QLineEdit* customer = child<QLineEdit>(w, "txtCliente");
    ASSERT_TRUE(points->isVisibleTo(&w));
    EXPECT_EQ(points->text(), QStringLiteral("500"));

    auto renamed = row(QStringLiteral("Clienti"), rossi);
    renamed->SetValue(QStringLiteral("Descrizione"), QStringLiteral("Rossi Maria"));
    renamed->Update();

    scan(QStringLiteral("8012"));
    scan(QStringLiteral("8002"));
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("22,00"));
    EXPECT_EQ(points->text(), QStringLiteral("522"));
    EXPECT_EQ(pointsOf(rossi), 522);
    EXPECT_EQ(customer->text(), QStringLiteral("Rossi Mario"));

    w.cmdDeleteItem_Click();   // the row just added is the selected one
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("12,00"));
    EXPECT_EQ(points->text(), QStringLiteral("512"));

    answer({QStringLiteral("Yes")});
    w.applyAnswer(QStringLiteral("<Annulla>"));
    EXPECT_EQ(customer->text(), QStringLiteral("Rossi Maria"));
    EXPECT_EQ(points->text(), QStringLiteral("500"));
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("0,00"));
}

TEST_F(SaleWindow, ACardTypedByAKeyboardEmulatingReaderPicksTheCustomer)
{
    settings().Use_Badge = true;
    const MagneticDevSettings saved = settings().MagneticDevParam;
    settings().MagneticDevParam.Type = MagneticDevType::KeyboardEmulation;
    settings().MagneticDevParam.COMPortNumber = 0;
    const qint64 bianchi = addCustomer(QStringLiteral("Bianchi Anna"), QStringLiteral("87654321"), false);
    frmVendite& w = open();
    ASSERT_TRUE(child<QPushButton>(w, "cmdReadCard")->isVisibleTo(&w));

    // The card dialog shown for real, registered as the program registers it; the reader
    // types the track and Enter into it.
    InstallCustomerCardWriter();
    setUiServices(std::make_shared<wintest::ShownModalWindows>(m_ui));
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtKeyCode"));
        ASSERT_NE(box, nullptr);
        for (const QChar c : QStringLiteral(";12345678?")) press(box, 0, Qt::NoModifier, QString(c));
        press(box, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    });
    press(w.codeBox(), Qt::Key_F9);
    setUiServices(m_ui);
    setCustomerCardWriter(nullptr);
    setCustomerCardReader(nullptr);
    settings().MagneticDevParam = saved;

    EXPECT_EQ(w.document().sale()->GetReferenceOID(QStringLiteral("Cliente")), bianchi);
    EXPECT_EQ(child<QLineEdit>(w, "txtCliente")->text(), QStringLiteral("Bianchi Anna"));
    EXPECT_TRUE(main.status.contains(QStringLiteral("Codice carta < 87654321 > identificato...")));
}

// ---- grid and headless runs ----------------------------------------------------------------------------------------

TEST_F(SaleWindow, ShowingAllFieldsLeavesTheStoredSequenceAlone)
{
    frmVendite& w = open();
    scan(QStringLiteral("8001"));
    w.gridLayout()->SetFieldSequence(QStringLiteral("Codice,ValoreScarico"));
    w.Refresh_Articoli();
    w.grid()->ApplyLayout();
    EXPECT_EQ(gridFields(w), (QStringList {QStringLiteral("Codice"), QStringLiteral("ValoreScarico")}));

    w.mnuGridFldAll_Click();
    EXPECT_GT(gridFields(w).size(), 2);
    EXPECT_EQ(w.gridLayout()->FieldSequence(), QStringLiteral("Codice,ValoreScarico"));

    // Back to the window's own columns: the article's first.
    answer({QStringLiteral("Yes")});
    w.mnuGridCancel_Click();
    EXPECT_EQ(gridFields(w).mid(0, 3),
              (QStringList {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("ValoreScarico")}));
    EXPECT_FALSE(w.gridMenu()->findChild<QAction*>(QStringLiteral("mnuGridFldSequence"))->isChecked());
}

TEST_F(SaleWindow, AHeadlessRunScansConfirmsAndCloses)
{
    g_objDatabase = std::shared_ptr<Database>(&db(), [](Database*) {});
    answer({QStringLiteral("8001"), QStringLiteral("8001"), QStringLiteral("<+>"), QStringLiteral("<Conferma>"),
            QString(), QStringLiteral("<cancel>")});
    frmVendite::Open(nullptr);
    g_objDatabase.reset();

    EXPECT_EQ(m_ui->log().count(QStringLiteral("INPUT: [frmVendite] Articolo:")), 5);
    EXPECT_EQ(main.drawer.calls,
              (QStringList {QStringLiteral("NewSession 2"), QStringLiteral("SendData 2.5 x3"),
                            QStringLiteral("EndSession")}));
    EXPECT_EQ(stockOf(pane), 7);
    EXPECT_EQ(count(kVendite, QStringLiteral("Completato = True")), 1);
    EXPECT_EQ(count(kVendite), 1) << "the empty sale started after the confirm is not kept";
    EXPECT_EQ(frmVendite::Instance(), nullptr);
}

}   // namespace
