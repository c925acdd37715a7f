// The related-data menus of the grid's row and the commands they defer until the menu has
// closed: a sale opens its lines, its customer and its payments; a sale line reaches its
// article's references after its own, numbered across the walk.
#include "base/AppError.h"
#include "operations/DateSelection.h"
#include "mainwindow/DeferredCommands.h"
#include "operations/DetailView.h"
#include "GridTestSupport.h"
#include "mainwindow/RelatedMenus.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

QStringList captions(const std::vector<RelatedEntry>& entries)
{
    QStringList out;
    for (const RelatedEntry& e : entries) out << e.caption;
    return out;
}

std::vector<int> numbers(const std::vector<RelatedEntry>& entries)
{
    std::vector<int> out;
    for (const RelatedEntry& e : entries) out.push_back(e.number);
    return out;
}

class RelatedMenusTest : public ViewShop {
protected:
    void SetUp() override
    {
        addArticle({"A", "2.00", "1.00", 100});
        addArticle({"B", "3.00", "1.00", 100});
        customer = select("Clienti")->AddRow({"Descrizione", "Rossi Mario", "Codice", "C1"});
        at(QDateTime(QDate(2007, 3, 5), QTime(9, 0)));
        sale = sell("A", 1);
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        auto lines = s->GetReference("Articoli");
        lines->NewRow();
        ASSERT_TRUE(lines->SetParentByKey("B"));
        lines->SetValue("ValoreScarico", 2.0);
        lines->Update();
        s->SetReferenceOID("Cliente", customer);
        s->Update();
        auto payments = s->GetReference("Pagamento");
        payments->NewRow();
        payments->SetValue("Importo", QVariant::fromValue(eur("8.00")));
        payments->Update();
        setUiServices(shown);
    }
    TableData& showNode(const QString& key)
    {
        EXPECT_EQ(view.Refresh(nodeRequest(key)), DetailView::Outcome::Shown);
        return *view.DataSet();
    }

    qint64 customer = 0, sale = 0;
    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    RelatedMenus related {db()};
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
};

TEST_F(RelatedMenusTest, SaleOpensItsLinesItsCustomerAndItsPayments)
{
    TableData& sales = showNode("Vendite");
    ASSERT_EQ(sales.GetOID(), sale);
    const RelatedMenuSet menus = related.Build(&sales);
    const QStringList associations = captions(menus.associations);
    ASSERT_GE(associations.size(), 3);
    EXPECT_EQ(associations.mid(0, 2), (QStringList {"Scarico articoli", "Pagamenti del Cliente"}));
    EXPECT_TRUE(associations.contains("Ricevute")) << "the receipts that name the sale";
    EXPECT_EQ(captions(menus.references), QStringList {"Clienti (Cliente)"});
    EXPECT_TRUE(menus.containers.empty());
    EXPECT_TRUE(menus.associationsHeader);
    EXPECT_TRUE(menus.referencesHeader);
    EXPECT_FALSE(menus.containersHeader) << "an empty group hides its header";

    // Chosen in the popup, run once the menu has closed.
    DeferredCommands deferred;
    std::optional<RelatedRows> opened;
    const DeferredCommands::Handlers handlers {
        [&](RelatedKind kind, int n) { opened = related.Open(sales, kind, n); }, {}, {}};

    ASSERT_TRUE(deferred.RecordRelated(&sales, RelatedKind::Association, "1"));
    EXPECT_EQ(deferred.Command(), "mnuReferencedItem(1)");
    EXPECT_FALSE(opened) << "nothing runs inside the click";
    deferred.Run(handlers);
    EXPECT_FALSE(deferred.Pending());
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->title, "Scarico articoli");
    QStringList lines;
    for (opened->rows->MoveFirst(); !opened->rows->IsEOF(); opened->rows->MoveNext())
        lines << opened->rows->GetValue("Codice").toString() + "x"
                + QString::number(opened->rows->GetValue("ValoreScarico").toDouble());
    EXPECT_EQ(lines, (QStringList {"Ax1", "Bx2"}));

    ASSERT_TRUE(deferred.RecordRelated(&sales, RelatedKind::Reference, "1"));
    deferred.Run(handlers);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows->GetValue("Descrizione").toString(), "Rossi Mario");

    ASSERT_TRUE(deferred.RecordRelated(&sales, RelatedKind::Association, "2"));
    deferred.Run(handlers);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows->RowCount(), 1);
    EXPECT_EQ(opened->rows->GetCurrencyValue("Importo"), eur("8.00"));
    EXPECT_TRUE(shown->boxes.empty());

    // A customer reaches the sales that name it.
    TableData& customers = showNode("Clienti");
    ASSERT_TRUE(customers.MoveToOID(customer));
    const QStringList customerAssociations = captions(related.Build(&customers).associations);
    const qsizetype salesEntry = customerAssociations.indexOf("Vendite");
    ASSERT_GE(salesEntry, 0) << customerAssociations.join(",").toStdString();
    opened = related.Open(customers, RelatedKind::Association, int(salesEntry) + 1);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->title, "Vendite");
    EXPECT_EQ(opened->rows->GetOID(), sale);
}

TEST_F(RelatedMenusTest, LineReachesItsArticlesDataAfterItsOwn)
{
    TableData& lines = showNode("ScaricoArticoli");
    ASSERT_FALSE(lines.IsEmpty());
    const RelatedMenuSet menus = related.Build(&lines);

    // A line's own single references come first, then its article's, numbered on from them.
    const QStringList references = captions(menus.references);
    const qsizetype vat = references.indexOf("Codici Iva (CodiceIva)");
    ASSERT_GE(vat, 0) << references.join(",").toStdString();
    EXPECT_EQ(numbers(menus.references).at(size_t(vat)), vat + 1);
    std::optional<RelatedRows> opened = related.Open(lines, RelatedKind::Reference, int(vat) + 1);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows->GetValue("Codice").toString(), "IVA20");
    EXPECT_EQ(opened->title, "Codici Iva (CodiceIva)");

    // The rows that hold it: its article and its sale.
    EXPECT_EQ(captions(menus.containers),
              (QStringList {"Articoli con stessi Scarico articoli", "Vendite con stessi Scarico articoli"}));
    opened = related.Open(lines, RelatedKind::Container, 1);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows->GetValue("Codice").toString(), "A");
    opened = related.Open(lines, RelatedKind::Container, 2);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows->GetOID(), sale);

    // A number past the walk is reported, the view left alone.
    const int past = int(menus.references.size()) + 1;
    EXPECT_FALSE(related.Open(lines, RelatedKind::Reference, past));
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_TRUE(shown->boxes[0].text.contains("Si e' verificato un errore:\r\r")) << shown->boxes[0].text.toStdString();
}

TEST_F(RelatedMenusTest, WithoutRowsOnlyTheHeaders)
{
    const RelatedMenuSet none = related.Build(nullptr);
    EXPECT_TRUE(none.associations.empty() && none.references.empty() && none.containers.empty());
    EXPECT_TRUE(none.associationsHeader && none.referencesHeader && none.containersHeader);

    // Clicks on an empty view record nothing.
    DeferredCommands deferred;
    EXPECT_FALSE(deferred.RecordRelated(nullptr, RelatedKind::Reference, "1"));
    dates.SelectDay(QDate(2007, 1, 1));
    TableData& empty = showNode("Vendite");
    ASSERT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(deferred.RecordRelated(&empty, RelatedKind::Reference, "1"));
    EXPECT_FALSE(deferred.Pending());
}

TEST(DeferredCommands, TextsAndTheirParsing)
{
    EXPECT_EQ(DeferredCommands::RelatedCommand(RelatedKind::Reference, 12), "mnuRefItem(12)");
    EXPECT_EQ(DeferredCommands::RelatedCommand(RelatedKind::Container, 3), "mnuContItem(3)");
    EXPECT_EQ(DeferredCommands::RelatedCommand(RelatedKind::Association, 1), "mnuReferencedItem(1)");

    using What = DeferredCommands::Parsed::What;
    const std::tuple<const char*, std::optional<What>, RelatedKind, int> cases[] = {
        {"mnuRefItem(12)", What::Related, RelatedKind::Reference, 12},
        {"mnuContItem(3)", What::Related, RelatedKind::Container, 3},
        {"mnuReferencedItem(1)", What::Related, RelatedKind::Association, 1},
        {"mnuFilterComplex", What::FilterComplex, {}, 0},
        {"mnuOrderComplex", What::OrderComplex, {}, 0},
        {"mnuRefItem(x)", std::nullopt, {}, 0},
        {"mnuRefItem(3", std::nullopt, {}, 0},
        {"mnuFilterComplex2", std::nullopt, {}, 0},
        {"", std::nullopt, {}, 0},
    };
    for (const auto& [text, what, kind, n] : cases) {
        SCOPED_TRACE(text);
        const auto p = DeferredCommands::Parse(QString::fromLatin1(text));
        ASSERT_EQ(p.has_value(), what.has_value());
        if (!p) continue;
        EXPECT_EQ(p->what, *what);
        if (*what != What::Related) continue;
        EXPECT_EQ(p->kind, kind);
        EXPECT_EQ(p->number, n);
    }
}

TEST(DeferredCommands, OneRunAtATimeAndErrorsReported)
{
    auto shown = std::make_shared<RecordingUi>();
    setUiServices(shown);
    DeferredCommands deferred;
    QStringList ran;
    DeferredCommands::Handlers handlers;
    handlers.complexOrder = [&] { ran << "order"; };
    handlers.complexFilter = [&] {
        ran << "filter";
        // The editor is open: a second command chosen meanwhile waits for this one to end.
        deferred.Record(DeferredCommands::kOrderComplex);
        deferred.Run(handlers);
        EXPECT_TRUE(deferred.Pending());
    };
    deferred.Record(DeferredCommands::kOrderComplex);
    deferred.Record(DeferredCommands::kFilterComplex);   // replaces the first
    deferred.Run(handlers);
    EXPECT_EQ(ran, QStringList {"filter"});
    deferred.Run(handlers);
    EXPECT_EQ(ran, (QStringList {"filter", "order"}));
    deferred.Run(handlers);
    EXPECT_EQ(ran.size(), 2) << "a command runs once";

    handlers.complexOrder = [] { throw AppError(5, "Test", "guasto"); };
    deferred.Record(DeferredCommands::kOrderComplex);
    deferred.Run(handlers);
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_TRUE(shown->boxes[0].text.contains("guasto"));
    handlers.complexOrder = [&] { ran << "again"; };
    deferred.Record(DeferredCommands::kOrderComplex);
    deferred.Run(handlers);
    EXPECT_EQ(ran.last(), "again") << "an error leaves the next run free";
    setUiServices(nullptr);
}

}   // namespace
