// The supply window over the shop: the supplier picked in the library's pick list when the
// window starts, scans through its code box, the document number in capitals, confirm that
// raises the stock and links each article to the supplier once, and cancel.
#include "DocumentWindowShop.h"

#include "core/configuration/Configuration.h"
#include "objdb/ui/ObjDataGrid.h"
#include "documents/ui/frmForniture.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

const QString kForniture = QStringLiteral("Forniture");
const QString kQuantity = QStringLiteral("ValoreCarico");

class SupplyWindow : public DocumentWindowShop {
protected:
    void SetUp() override
    {
        DocumentWindowShop::SetUp();
        grossista = addSupplier(QStringLiteral("Grossista"));
        setSetting(kForniture, QStringLiteral("TipoDocDefault"),
                   QString::number(keyOf(QStringLiteral("TipiDocumento"), QStringLiteral("Bolla di accompagnamento"))));
        setSetting(kForniture, QStringLiteral("PagamentoDefault"),
                   QString::number(keyOf(QStringLiteral("TipiPagamento"), QStringLiteral("Contanti"))));
        mele = addArticle(QStringLiteral("A1"), "2.00", 10, QStringLiteral("QntPzz"), "1.00");
        pere = addArticle(QStringLiteral("B1"), "4.00", 5, QStringLiteral("QntPzz"), "2.00");
    }
    void TearDown() override
    {
        window.reset();
        DocumentWindowShop::TearDown();
    }

    // The window as the new-supply command opens it: the supplier picked in the pick list.
    frmForniture& open()
    {
        window = std::make_unique<frmForniture>(db(), nullptr);
        answer({QStringLiteral("#%1").arg(grossista)});
        EXPECT_TRUE(window->Activate());
        return *window;
    }
    QList<qint64> suppliersOf(qint64 article)
    {
        QList<qint64> out;
        for (const auto& r :
             db().RunQuery(
                     QStringLiteral("SELECT MemberOID FROM [Articoli$Fornitori] WHERE OwnerOID = %1").arg(article))
                 .rows)
            out << r[0].toLongLong();
        return out;
    }
    QStringList rows() { return gridRows(*window, kQuantity); }

    std::unique_ptr<frmForniture> window;
    qint64 grossista = 0, mele = 0, pere = 0;
};

TEST_F(SupplyWindow, ConfirmRaisesTheStockAndLinksEachArticleToTheSupplierOnce)
{
    // One of the articles is the supplier's already.
    row(QStringLiteral("Articoli"), pere)->AddToList(QStringLiteral("Fornitori"), grossista);
    frmForniture& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Fornitura Articoli"));
    EXPECT_EQ(child<QLineEdit>(w, "txtFornitore")->text(), QStringLiteral("Grossista"));
    EXPECT_EQ(child<QLineEdit>(w, "txtTipoDocumento")->text(), QStringLiteral("Bolla di accompagnamento"));
    const qint64 oid = w.document().supply()->GetOID();

    scan(QStringLiteral("A1"));
    scan(QStringLiteral("A1"));
    scan(QStringLiteral("B1"));
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("A1 2"), QStringLiteral("B1 1")}));
    EXPECT_EQ(text(w, "lblTotale"), QStringLiteral("4,00"));
    EXPECT_EQ(w.focusWidget(), w.codeBox());

    // The payment's editor, then no new supply: the window closes.
    answer({QString(), QStringLiteral("Cancel")});
    child<QPushButton>(w, "cmdConfirm")->click();

    EXPECT_TRUE(row(kForniture, oid)->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(stockOf(mele), 12);
    EXPECT_EQ(stockOf(pere), 6);
    EXPECT_EQ(suppliersOf(mele), QList<qint64> {grossista});
    EXPECT_EQ(suppliersOf(pere), QList<qint64> {grossista});
    EXPECT_TRUE(prompts().contains(QStringLiteral("Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?")));
    EXPECT_EQ(setting(kForniture, QStringLiteral("FornitoreDefault")), QString::number(grossista));
    EXPECT_EQ(mainWindow.codeBox, nullptr) << "the window has unloaded";
    EXPECT_EQ(w.grid()->Model()->rowCount(), 0);
}

// An article scanned while the payment is settled is no part of the supply being confirmed:
// not loaded, not paid for, not linked to the supplier.
TEST_F(SupplyWindow, ACodeScannedWhileTheSupplyIsConfirmedIsNotAddedToIt)
{
    frmForniture& w = open();
    scan(QStringLiteral("A1"));
    const qint64 oid = w.document().supply()->GetOID();

    // Confirm and cancel are off while the confirm runs, on again after it.
    bool buttonsOn = true;
    runWhileShown(QStringLiteral("RowEditor"), [&] {
        buttonsOn = child<QPushButton>(w, "cmdConfirm")->isEnabled() || child<QPushButton>(w, "cmdCancel")->isEnabled();
        scan(QStringLiteral("B1"));
    });
    answer({QString(), QStringLiteral("Cancel")});   // the payment's editor, then no new supply
    child<QPushButton>(w, "cmdConfirm")->click();
    EXPECT_FALSE(buttonsOn);
    EXPECT_TRUE(child<QPushButton>(w, "cmdConfirm")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "cmdCancel")->isEnabled());

    auto done = row(kForniture, oid);
    EXPECT_TRUE(done->GetBoolValue(QStringLiteral("Completato")));
    EXPECT_EQ(done->GetReference(QStringLiteral("Articoli"))->RowCount(), 1);
    EXPECT_EQ(done->GetCurrencyValue(QStringLiteral("ImportoAcquisto")), eur("1"));
    auto paid = done->GetReference(QStringLiteral("Pagamento"));
    ASSERT_EQ(paid->RowCount(), 1);
    paid->MoveFirst();
    EXPECT_EQ(paid->GetCurrencyValue(QStringLiteral("Importo")), eur("1"));
    EXPECT_EQ(stockOf(mele), 11);
    EXPECT_EQ(stockOf(pere), 5);
    EXPECT_EQ(suppliersOf(pere), QList<qint64>());
}

TEST_F(SupplyWindow, TheDocumentNumberIsWrittenInCapitalsAndF4NarrowsTheSearch)
{
    frmForniture& w = open();
    auto* number = child<QLineEdit>(w, "txtDocumento");
    number->setFocus();
    number->insert(QStringLiteral("ab-12"));
    emit number->textEdited(number->text());
    EXPECT_EQ(number->text(), QStringLiteral("AB-12"));
    EXPECT_EQ(w.document().supply()->GetText(QStringLiteral("Documento")), QStringLiteral("AB-12"));

    // Delete and Home in the number edit it: they do not reach the rows.
    scan(QStringLiteral("A1"));
    press(number, Qt::Key_Delete);
    EXPECT_EQ(rows().size(), 1);

    press(w.codeBox(), Qt::Key_F4);
    EXPECT_TRUE(child<QCheckBox>(w, "chkSoloArticoliFornitore")->isChecked());
    EXPECT_TRUE(w.document().rowEntry().supplierArticlesOnly);
}

TEST_F(SupplyWindow, CancelTakesTheStockBackAndNoNewSupplyClosesTheWindow)
{
    frmForniture& w = open();
    const qint64 oid = w.document().supply()->GetOID();
    scan(QStringLiteral("A1"));
    EXPECT_EQ(stockOf(mele), 11);

    answer({QStringLiteral("Yes"), QStringLiteral("No")});
    w.applyAnswer(QStringLiteral("<Annulla>"));

    EXPECT_EQ(count(kForniture, QStringLiteral("OID = %1").arg(oid)), 0);
    EXPECT_EQ(stockOf(mele), 10);
    EXPECT_TRUE(
        prompts().contains(QStringLiteral("Annullamento effettuato.\r\rVuoi effettuare una nuova Fornitura ?")));
    EXPECT_EQ(mainWindow.codeBox, nullptr);
}

TEST_F(SupplyWindow, NoSupplierChosenStartsNoSupplyAndTheWindowUnloads)
{
    window = std::make_unique<frmForniture>(db(), nullptr);
    answer({QStringLiteral("<cancel>")});
    EXPECT_FALSE(window->Activate());
    EXPECT_EQ(count(kForniture), 0);
    EXPECT_EQ(mainWindow.codeBox, nullptr);
}

}   // namespace

// An answer line goes through the control a person would use: one that is disabled, or that
// the window keeps hidden, refuses it and the refusal is logged; the same line with the control
// usable does its work.
TEST_F(SupplyWindow, AnswerLinesGoThroughTheirControls)
{
    struct Case {
        const char* line;
        const char* control;
        bool hide;   // else disabled
        const char* refusal;
    };
    const Case cases[] = {
        {"A1", "txtCode_Articolo", false, "REFUSED: [frmForniture] Articolo disabled"},
        {"A1", "txtCode_Articolo", true, "REFUSED: [frmForniture] Articolo hidden"},
        {"<F5>", "txtCode_Articolo", false, "REFUSED: [frmForniture] Articolo disabled"},
        {"<+>", "cmdAdd", false, "REFUSED: [frmForniture] + disabled"},
        {"<Importa>", "cmdImport", false, "REFUSED: [frmForniture] Importa disabled"},
        {"<Importa>", "cmdImport", true, "REFUSED: [frmForniture] Importa hidden"},
        {"<Fornitore>", "cmdSet_Fornitore", false, "REFUSED: [frmForniture] Fornitore disabled"},
        {"<Conferma>", "cmdConfirm", false, "REFUSED: [frmForniture] Conferma disabled"},
    };
    frmForniture& w = open();
    scan(QStringLiteral("B1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + std::string(" / ") + c.control);
        auto* control = child<QWidget>(w, c.control);
        const bool wasHidden = control->isHidden();
        if (c.hide)
            control->hide();
        else
            control->setEnabled(false);
        clearPrompts();
        w.applyAnswer(QString::fromLatin1(c.line));
        EXPECT_EQ(m_ui->log(), QStringList {QString::fromLatin1(c.refusal)});
        EXPECT_EQ(rows(), QStringList {QStringLiteral("B1 1")});
        control->setEnabled(true);
        control->setHidden(wasHidden);
    }
    // Usable again, the same code is taken.
    clearPrompts();
    w.applyAnswer(QStringLiteral("A1"));
    settle(w);
    EXPECT_EQ(rows(), (QStringList {QStringLiteral("B1 1"), QStringLiteral("A1 1")}));
    EXPECT_TRUE(m_ui->log().filter(QStringLiteral("REFUSED")).isEmpty());
}
