// What a view change leaves to the user: the field menus built from the view's fields, and
// the commands enabled, shown or ticked for the view, the operator and the configuration.
#include "mainwindow/CommandEnabling.h"
#include "core/configuration/Configuration.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "mainwindow/GridFields.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

using Property = CommandSwitch::Property;

FieldInfo field(const char* name, int type, int size = 0, bool shown = true)
{
    FieldInfo f;
    f.Name = QString::fromLatin1(name);
    f.Caption = f.Name + " (c)";
    f.TypeCode = type;
    f.Size = size;
    f.Shown = shown;
    return f;
}

QStringList tags(const std::vector<MenuEntry>& entries)
{
    QStringList out;
    for (const MenuEntry& e : entries) out << e.tag;
    return out;
}

TEST(GridFields, MenusFromTheViewsFields)
{
    const std::vector<FieldInfo> fields = {
        field("Codice", 0, 16),   // text, but too short to be the default
        field("Numero", 11),          field("Percorso", 2, 129),   // too long
        field("Nota", 1, 17),   // the first in 17..128
        field("Descrizione", 0, 128), field("Prezzo", 20),       field("Nascosto", 16, 0, false), field("Quando", 19),
        field("Riferimento", -1),     field("Calcolato", -2),    field("Email", 6, 64),
    };
    const FieldMenus m = BuildFieldMenus(fields);
    EXPECT_EQ(tags(m.search), (QStringList {"Codice", "Percorso", "Nota", "Descrizione"}));
    EXPECT_EQ(m.search.front().caption, "Codice (c)");
    EXPECT_EQ(m.filter, m.search);
    EXPECT_EQ(m.findList, m.search);
    EXPECT_EQ(m.findColumn, 3) << "Nota, the first text sized 17 to 128";
    EXPECT_EQ(tags(m.order),
              (QStringList {"Codice", "Numero", "Percorso", "Nota", "Descrizione", "Prezzo", "Quando", "Riferimento",
                            "Calcolato", "Email"}));
    // Totals carry the field's name as caption, and only shown integer, number and currency fields.
    ASSERT_EQ(m.totals.size(), 2);
    EXPECT_EQ(m.totals[0], (MenuEntry {"Numero", ""}));
    EXPECT_EQ(m.totals[1], (MenuEntry {"Prezzo", ""}));
}

TEST(GridFields, DefaultSearchColumnEdges)
{
    const std::pair<std::vector<int>, std::optional<int>> cases[] = {
        {{16, 129}, 1},   // none in range: the first entry
        {{16, 17}, 2},
        {{128, 17}, 1},
        {{}, std::nullopt},   // no text field: the Find button keeps no column
    };
    for (const auto& [sizes, expected] : cases) {
        std::vector<FieldInfo> fields {field("Numero", 11)};
        for (int s : sizes) fields.push_back(field("T", 0, s));
        EXPECT_EQ(BuildFieldMenus(fields).findColumn, expected) << sizes.size();
    }
    EXPECT_TRUE(BuildFieldMenus({field("Numero", 11)}).search.empty());
}

TEST(CommandEnabling, ShownViewAndNoView)
{
    EnablingInput in;
    in.shown = true;
    in.table = "Vendite";
    in.dateField = "DataVendita";
    in.enableFiscalPrint = true;
    in.accessLevel = 0;
    in.fieldSequence = QString("Codice,Descrizione");
    const CommandEnabling on = CommandEnabling::Compute(in);
    for (const char* target : {"mnuOrder", "Save", "mnuSave", "New", "mnuFileNew", "Properties", "mnuFileProperties",
                               "Delete", "mnuFileDelete", "mnuViewRefresh", "Filter", "mnuFilter", "Find", "mnuSearch",
                               "Print", "mnuPrintFunc", "mnuFieldFuncs", "mnuDataSelection", "mnuFiscalPrint"})
        EXPECT_EQ(on.valueOf(target, Property::Enabled), true) << target;
    EXPECT_EQ(on.valueOf("mnuPrintLabel", Property::Enabled), false);
    EXPECT_EQ(on.valueOf("mnuToolsOptions", Property::Enabled), false) << "an operator who is no administrator";
    EXPECT_EQ(on.valueOf("cmdDateSel", Property::Visible), true);
    EXPECT_EQ(on.valueOf("mnuSelection", Property::Visible), true);
    EXPECT_EQ(on.dateButtonTag, "DataVendita");
    EXPECT_EQ(on.valueOf("dgView", Property::Visible), true);
    EXPECT_EQ(on.valueOf("mnuGridFldSequence", Property::Checked), true);

    // A section heading: nothing to act on; the options still follow the operator.
    EnablingInput none;
    none.accessLevel = 1;
    none.fieldSequence = QString();
    const CommandEnabling off = CommandEnabling::Compute(none);
    for (const CommandSwitch& s : off.switches) {
        if (s.target == "mnuToolsOptions" || s.target == "mnuFiscalPrint_Ricevuta") continue;
        EXPECT_FALSE(s.value) << s.target.toStdString();
    }
    EXPECT_EQ(off.valueOf("mnuToolsOptions", Property::Enabled), true);
    EXPECT_EQ(off.dateButtonTag, "");
    none.fieldSequence.reset();
    EXPECT_EQ(CommandEnabling::Compute(none).valueOf("mnuGridFldSequence", Property::Checked), false)
        << "no layout kept";
}

TEST(CommandEnabling, ReceiptPrintFollowsTheConfiguration)
{
    for (bool use : {false, true}) {
        EnablingInput in;
        in.shown = true;
        in.useRicevute = use;
        in.table = "Ricevute";
        const CommandEnabling receipts = CommandEnabling::Compute(in);
        EXPECT_EQ(receipts.valueOf("mnuFiscalPrint_Ricevuta", Property::Visible), use);
        EXPECT_EQ(receipts.valueOf("mnuFiscalPrint_Ricevuta", Property::Enabled), use);
        in.table = "Vendite";
        const CommandEnabling sales = CommandEnabling::Compute(in);
        EXPECT_EQ(sales.valueOf("mnuFiscalPrint_Ricevuta", Property::Visible), use);
        EXPECT_EQ(sales.valueOf("mnuFiscalPrint_Ricevuta", Property::Enabled), false);
    }
}

class CommandEnablingView : public ViewShop {
protected:
    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
};

TEST_F(CommandEnablingView, RefreshesDriveMenusAndCommands)
{
    ASSERT_EQ(view.Refresh(nodeRequest("Vendite")), DetailView::Outcome::Shown);
    CommandEnabling sales = CommandEnabling::Compute(CommandEnabling::InputFrom(view, 1, std::nullopt));
    EXPECT_EQ(sales.dateButtonTag, "DataVendita");
    EXPECT_EQ(sales.valueOf("mnuFiscalPrint", Property::Enabled), true);
    EXPECT_EQ(sales.valueOf("mnuToolsOptions", Property::Enabled), true);
    const FieldMenus m = BuildFieldMenus(ShownFields(view));
    EXPECT_EQ(tags(m.search), QStringList {"Note"});
    EXPECT_EQ(m.findColumn, 1);
    EXPECT_TRUE(tags(m.order).contains("DataVendita"));
    QStringList totals;
    for (const MenuEntry& e : m.totals) {
        totals << e.caption;
        EXPECT_TRUE(e.tag.isEmpty());
    }
    EXPECT_EQ(totals, (QStringList {"ImportoVendita", "ImportoBuoni", "Punti"}));

    ASSERT_EQ(view.Refresh(nodeRequest("Clienti")), DetailView::Outcome::Shown);
    const CommandEnabling customers = CommandEnabling::Compute(CommandEnabling::InputFrom(view, 1, std::nullopt));
    EXPECT_EQ(customers.valueOf("cmdDateSel", Property::Visible), false);
    EXPECT_EQ(customers.valueOf("mnuFiscalPrint", Property::Enabled), false);

    ASSERT_EQ(view.Refresh(nodeRequest("")), DetailView::Outcome::NoView);
    EXPECT_EQ(
        CommandEnabling::Compute(CommandEnabling::InputFrom(view, 0, std::nullopt)).valueOf("Find", Property::Enabled),
        false);
    EXPECT_TRUE(ShownFields(view).empty());

    // The stock at a date: the stock computed in its field's place keeps the field's type, the
    // amounts computed from it are numbers.
    dialogs.date = QDate(2007, 3, 1);
    ASSERT_EQ(view.Refresh(nodeRequest("Ricalcolo Imponibile Magazzino")), DetailView::Outcome::Shown);
    const FieldMenus atDate = BuildFieldMenus(ShownFields(view));
    EXPECT_TRUE(tags(atDate.search).contains("Descrizione"));
    QStringList atDateTotals;
    for (const MenuEntry& e : atDate.totals) atDateTotals << e.caption;
    EXPECT_TRUE(atDateTotals.contains("PrezzoVendita"));
    EXPECT_TRUE(atDateTotals.contains("ValoreScorta"));
    EXPECT_TRUE(atDateTotals.contains("Imponibile"));
    EXPECT_TRUE(atDateTotals.contains("ImportoIVA"));
    EXPECT_TRUE(atDateTotals.contains("ValoreScortaAllaData"));
}

}   // namespace
