#include "ShopWindow.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/ui/ObjDataGrid.h"
#include "mainwindow/SectionTreeView.h"
#include "ShopBuilder.h"
#include "dialogs/clsOSTNA.h"
#include "mainwindow/frmMain.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTreeWidget>

namespace {
// The window's notification area: always there, never shown.
class QuietArea final : public NotificationArea {
public:
    bool available() const override { return true; }
    bool add(const QIcon&, const QString&) override { return true; }
    bool modify(const QIcon&, const QString&) override { return true; }
    bool remove() override { return true; }
};
}   // namespace

Currency money(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

ShopWindow::ShopWindow() = default;

ShopWindow::~ShopWindow() { m_window.reset(); }

void ShopWindow::TearDown() { m_window.reset(); }

void ShopWindow::start(const QString& operatorName)
{
    openShop(operatorName);
    g_objDatabase->SetCurrency(std::make_shared<EuroCurrencyInfo>());
    auto vat = select(QStringLiteral("CodiciIva"));
    vat->AddRow({"Codice", "R1", "Descrizione", "Reparto 1", "Percentuale", 22, "CodiceCassa", 1});
    vat->AddRow({"Codice", "R2", "Descrizione", "Reparto 2", "Percentuale", 10, "CodiceCassa", 2});
}

frmMain& ShopWindow::window(ReceiptService receipts, LabelPrinting labels)
{
    if (!m_window) {
        m_window = std::make_unique<frmMain>(std::make_unique<QuietArea>(), std::move(receipts), std::move(labels));
        m_window->SetAutoActivate(false);
        m_window->resize(1280, 800);
        m_window->show();
        m_window->SetTreeViewNodes();
    }
    return *m_window;
}

void ShopWindow::showNode(const QString& key)
{
    QTreeWidgetItem* item = SectionTreeView::ItemByKey(*window().TreeView(), key);
    ASSERT_TRUE(item) << key.toStdString();
    window().TreeView()->setCurrentItem(item);
}

qint64 ShopWindow::customer(const QString& name, const QString& code, const QString& city)
{
    return testshop::ShopBuilder(g_objDatabase).addCustomer({.name = name, .code = code, .fields = {"Citta", city}});
}

qint64 ShopWindow::article(const QString& code, const QString& description, const char* price, const QString& vat)
{
    return testshop::ShopBuilder(g_objDatabase)
        .addArticle({.code = code,
                     .description = description,
                     .price = money(price),
                     .stock = 1000.0,
                     .vat = vat,
                     .unit = QStringLiteral("QntPzz")});
}

qint64 ShopWindow::sale(const QList<Line>& lines, qint64 customerOid, bool completed)
{
    QList<testshop::Line> rows;
    for (const Line& l : lines) rows.append({.code = l.code, .quantity = l.quantity, .amount = money(l.amount)});
    const qint64 oid = testshop::ShopBuilder(g_objDatabase)
                           .addSale({.counterpart = customerOid, .lines = rows, .completed = completed});
    clock->advanceMs(60 * 1000);
    return oid;
}

qint64 ShopWindow::supply(const QList<std::pair<QString, double>>& rows)
{
    QList<testshop::Line> lines;
    for (const auto& [code, quantity] : rows) lines.append({.code = code, .quantity = quantity});
    const qint64 oid = testshop::ShopBuilder(g_objDatabase).addSupply({.lines = lines});
    clock->advanceMs(60 * 1000);
    return oid;
}

QStringList ShopWindow::column(const QString& field) const
{
    const LazyTableModel* model = m_window->Grid()->Model();
    const int c = model->ColumnOf(field);
    QStringList out;
    if (c < 0) return out;
    for (int r = 0; r < model->rowCount(); ++r) out << model->TextAt(r, c);
    return out;
}

std::vector<qint64> ShopWindow::gridOids() const
{
    const LazyTableModel* model = m_window->Grid()->Model();
    std::vector<qint64> out;
    for (int r = 0; r < model->rowCount(); ++r) out.push_back(model->OidAt(r));
    return out;
}

void ShopWindow::selectRows(const std::vector<qint64>& oids)
{
    ObjDataGrid* grid = m_window->Grid();
    grid->ClearSelection();
    for (qint64 oid : oids) {
        const std::optional<int> row = grid->Model()->LoadedRowOf(oid);
        ASSERT_TRUE(row) << oid;
        grid->View()->selectionModel()->select(grid->Model()->index(*row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void ShopWindow::setCurrentRow(qint64 oid)
{
    ObjDataGrid* grid = m_window->Grid();
    const std::optional<int> row = grid->Model()->LoadedRowOf(oid);
    ASSERT_TRUE(row) << oid;
    grid->View()->selectionModel()->setCurrentIndex(grid->Model()->index(*row, 0), QItemSelectionModel::NoUpdate);
}

void ShopWindow::settle(int ms)
{
    QElapsedTimer t;
    t.start();
    do QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    while (t.elapsed() < ms);
}
