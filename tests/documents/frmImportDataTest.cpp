// The import window over a real import: what its controls show after reading, the stop
// request of the label and Esc, and the supply form's call run headless from the prompts.
#include "documents/DeliveryImport.h"
#include "ImportShop.h"
#include "documents/ui/frmImportData.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>

namespace {

const QList<LayoutColumn> kLine
    = {{"Codice", 1, 6}, {"Descrizione", 7, 10}, {"ValoreCarico", 17, 4, 'N'}, {"PrezzoAcquisto", 21, 6, 'A'}};

class ImportWindow : public ImportShop {
protected:
    template <class W> W* child(QWidget& w, const char* name)
    {
        W* c = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

TEST_F(ImportWindow, ReadingFillsTheGridAndOpensTheCommands)
{
    addArticle("A00001", "MELE", "1.10");
    addLayout(kLine, kKeepAll, {}, false, 0, writeFile({"Z00009NOCI         3  5,00", "A00001MELE        10  1,10"}));
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);
    frmImportData window;
    window.bind(import);

    EXPECT_EQ(child<QLineEdit>(window, "txtNote")->text(), "Tracciato di prova");
    EXPECT_EQ(child<QComboBox>(window, "cbFileSorgente")->count(), 1);
    auto* importButton = child<QPushButton>(window, "cmdImport");
    EXPECT_FALSE(importButton->isEnabled());

    answer({"OK"});
    child<QPushButton>(window, "cmdRead")->click();
    auto* grid = child<QTableView>(window, "dgImportData");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "MELE");
    EXPECT_EQ(grid->model()->index(0, 3).data().toString(), "1,1");
    EXPECT_TRUE(importButton->isEnabled());
    EXPECT_EQ(child<QLabel>(window, "lblMsg")->text(), "2 Records");
    EXPECT_FALSE(child<QPushButton>(window, "cmdRead")->font().bold());

    // The row of a known article can be edited; the row of an unknown code calls for an article.
    grid->selectRow(1);
    EXPECT_FALSE(child<QPushButton>(window, "cmdModify")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(window, "cmdRelate")->font().bold());
    grid->selectRow(0);
    EXPECT_TRUE(child<QPushButton>(window, "cmdModify")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(window, "cmdRelate")->font().bold());
}

TEST_F(ImportWindow, AClickOnTheLabelOrEscWhileBusyAsksToStop)
{
    QStringList lines;
    for (int i = 0; i < 30; ++i) lines << QStringLiteral("A%1MELE         1  1,10").arg(i, 5, 10, QChar(u'0'));
    addLayout(kLine, kKeepAll, {}, false, 0, writeFile(lines));
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);

    // Esc pressed while the fifth line is read reaches the window at the next look for events.
    struct Window : frmImportData {
        void showMessage(const QString& text) override
        {
            frmImportData::showMessage(text);
            if (text == "Lettura dei dati... (5)")
                QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    } window;
    window.bind(import);
    window.show();
    answer({"OK", "Yes"});
    child<QPushButton>(window, "cmdRead")->click();
    EXPECT_EQ(prompts(),
              QStringList({"Lettura dei dati della fornitura da:\r\r" + import.sourceFile(), "Vuoi interrompere? "}));
    EXPECT_TRUE(window.isVisible()) << "Esc while busy is a stop request, not a close";
    EXPECT_EQ(import.table()->rowCount(), 9);

    auto* label = child<QLabel>(window, "lblMsg");
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(label, &click);
    EXPECT_TRUE(import.loop().stopRequested()) << "a click on the label asks to stop";

    window.reject();
    EXPECT_FALSE(window.isVisible()) << "Esc closes the window when it is not busy";
}

// The supply form's call, with nobody at the window: the prompts answer the window, the
// reading question, the check question and the confirmation.
TEST_F(ImportWindow, TheSupplyFormsCallAddsTheConfirmedRows)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.10");
    addLayout(kLine, kKeepAll, {}, false, 0, writeFile({"A00001MELE        10  1,10", "A00001MELE         2  1,10"}));
    openSupply();
    auto list = layouts();
    answer({"import", "OK", "No", "Yes"});
    bool ok = false;
    frmImportData::Import(nullptr, *supply, *supplyRows, *list, op, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(stockOf(apples), 12);

    m_ui->clearLog();
    answer({"<cancel>"});
    frmImportData::Import(nullptr, *supply, *supplyRows, *list, op, ok);
    EXPECT_FALSE(ok) << "a window closed without confirming imports nothing";
    EXPECT_EQ(stockOf(apples), 12);
    EXPECT_EQ(prompts(), QStringList({"[frmImportData] Importazione Fornitura"}));
}

}   // namespace
