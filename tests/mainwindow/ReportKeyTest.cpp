// A report is known by its key: the tree that offers it, the view it opens and the print
// layout it picks all take its caption from one place, so a caption changed there is
// followed by every layer, and the old one is no report any more.
#include "core/helpers/ReportKey.h"
#include "dialogs/ReportDisplay.h"
#include "operations/DateSelection.h"
#include "operations/ReportCatalogue.h"
#include "operations/SectionTree.h"
#include "operations/ViewDialogs.h"
#include "operations/ViewQueryBuilder.h"
#include "ViewShop.h"

namespace {

class ReportKeys : public ViewShop {
protected:
    // The keys of the report nodes of an administrator's tree with supply payments in use.
    QStringList treeReports()
    {
        QStringList keys;
        for (const SectionNode& n : SectionTreeNodes(db(), SectionTreeOptions {true}))
            if (n.kind == SectionNode::Kind::Report) {
                EXPECT_EQ(n.text, n.key) << "a report's node shows its caption";
                keys << n.key;
            }
        return keys;
    }
    // The view the node of that key opens, every question cancelled.
    ViewQuery view(const QString& key)
    {
        FixedViewDialogs dialogs;
        DateSelection dates(QDate(2007, 3, 5), true);
        ViewQueryBuilder builder(db(), dialogs, dates);
        return builder.Build(ViewRequest {ViewNode {key, key}, QString(), QString(), QString(), QString()},
                             ShownView {});
    }
};

TEST_F(ReportKeys, ACaptionChangedInOnePlaceIsFollowedByTheTreeTheViewAndThePrint)
{
    struct Case {
        ReportKey key;
        const char* table;   // of the view; "" when the report is no node of the tree
        const char* layout;   // of the print, for a view of that table ("" none; for the one
            // with no node, of the sold lines)
    };
    const Case cases[] = {
        {ReportKey::UnderStock, "Articoli", "drArticoli"},
        {ReportKey::BySupplier, "Articoli", "drArticoli"},
        {ReportKey::Sold, "ScaricoArticoli", "drArticoliVenduti"},
        {ReportKey::Inventory, "Articoli", "drInventarioMagazzino"},
        {ReportKey::Supplies, "Forniture", "drForniture"},
        {ReportKey::PaidSupplies, "Forniture", "drForniture"},
        {ReportKey::UnpaidSupplies, "Forniture", "drForniture"},
        {ReportKey::StockTaxable, "Articoli", "drImponibileMagazzino"},
        {ReportKey::StockAtDate, "Articoli", "drImponibileMagazzino"},
        {ReportKey::Various, "Articoli", "drArticoli"},
        {ReportKey::Vouchers, "BuoniClienti", ""},
        {ReportKey::SalesTaxable, "", "drImponibileVendite"},
    };
    ASSERT_EQ(std::size(cases), AllReportKeys().size()) << "every report has its case";
    const QStringList captions = treeReports();
    for (const Case& c : cases) {
        const QString caption = ReportCaption(c.key);
        const QString renamed = QStringLiteral("Rinominato ") + caption;
        const bool inTree = *c.table != '\0';
        SCOPED_TRACE(caption.toStdString());
        {
            ReportCaptionOverride rename(c.key, renamed);
            QStringList expected = captions;
            if (inTree) expected[expected.indexOf(caption)] = renamed;
            EXPECT_EQ(treeReports(), expected) << "the tree offers it under its new caption, in its place";
            EXPECT_EQ(ReportCatalogue::IsReport(renamed), inTree);
            EXPECT_FALSE(ReportCatalogue::IsReport(caption)) << "the old caption is no report";
            if (inTree) {
                EXPECT_EQ(view(renamed).Table, QString::fromLatin1(c.table));
            }
            const QString table = inTree ? QString::fromLatin1(c.table) : QStringLiteral("ScaricoArticoli");
            EXPECT_EQ(ReportLayoutName(table, renamed), QString::fromLatin1(c.layout));
        }
        EXPECT_EQ(ReportCaption(c.key), caption) << "the caption is back once the change ends";
        EXPECT_EQ(captions.contains(caption), inTree);
    }
}

}   // namespace
