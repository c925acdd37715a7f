// Filters of the shown rows: column patterns typed by the user, applied as the library's
// Like and checked against what sqlite3 selects; and the structured filter that replaces them.
#include "mainwindow/ColumnFilters.h"
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "mainwindow/GridFields.h"
#include "GridTestSupport.h"
#include "objdb/JetTranslator.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"
#include <map>

namespace {

// The structured filter: conditions field = value, and filters stored by name.
class FakeComplex final : public ComplexFilter {
public:
    FakeComplex(QString table, std::map<QString, std::map<QString, QString>>& saved)
        : m_table(std::move(table)), m_saved(saved)
    { }
    QString TableName() const override { return m_table; }
    bool HasCondition(const QString& field) const override { return held.count(field) > 0; }
    void RemoveCondition(const QString& field) override { held.erase(field); }
    void AddCondition(const QString& field, const QString& value) override { held[field] = value; }
    QString GetWhere() const override
    {
        QStringList terms;
        for (const auto& [f, v] : held) terms << f + " = " + JetTranslator::QuoteText(v);
        return terms.join(" AND ");
    }
    QString GetSavedNames() const override
    {
        QStringList names;
        for (const auto& [name, c] : m_saved) names << name;
        return names.join('|');
    }
    bool LoadSaved(const QString& name) override
    {
        auto it = m_saved.find(name);
        if (it == m_saved.end()) return false;
        held = it->second;
        return true;
    }
    std::map<QString, QString> held;

private:
    QString m_table;
    std::map<QString, std::map<QString, QString>>& m_saved;
};

class ColumnFiltersTest : public ViewShop {
protected:
    void SetUp() override
    {
        const std::pair<const char*, const char*> articles[] = {
            {"A10", "Pane comune"}, {"A11", "Pasta di semola"}, {"B21", "Panettone"},      {"B31", "Olio d'oliva"},
            {"C10", "a = b prova"}, {"C11", "a Like b prova"},  {"D41", "paNE integrale"}, {"D51", "Zucchero"},
        };
        for (const auto& [code, description] : articles)
            select("Articoli")->AddRow({"Codice", code, "Descrizione", description});
        show("Articoli");
        setUiServices(shown);
    }

    void show(const QString& node)
    {
        ASSERT_EQ(view.Refresh(nodeRequest(node)), DetailView::Outcome::Shown);
        menus = BuildFieldMenus(ShownFields(view));
        filters.SetColumns(menus.filter);
    }
    int column(const QString& field) { return filters.IndexOf(field).value_or(0); }
    bool filter(const QString& field, const QString& text, bool inside = false)
    {
        prompt.answers.push_back(QueuedSearchPrompt::Answer {text, inside});
        return filters.FilterColumn(ds(), column(field));
    }
    TableData& ds() { return *view.DataSet(); }
    QStringList shownCodes()
    {
        QStringList codes;
        for (ds().MoveFirst(); !ds().IsEOF(); ds().MoveNext()) codes << ds().GetValue("Codice").toString();
        return codes;
    }
    QStringList shownOids()
    {
        QStringList oids;
        for (ds().MoveFirst(); !ds().IsEOF(); ds().MoveNext()) oids << QString::number(ds().GetOID());
        return oids;
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    FieldMenus menus;
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
    SearchTextMemory memory;
    QueuedSearchPrompt prompt {memory};
    std::map<QString, std::map<QString, QString>> saved;
    ColumnFilters filters {memory, prompt,
                           [this](TableData& d) { return std::make_unique<FakeComplex>(d.tableName(), saved); }};
};

TEST_F(ColumnFiltersTest, TwoColumnFiltersGiveTheRowsSqliteGives)
{
    ASSERT_TRUE(filter("Descrizione", "pa"));
    ASSERT_TRUE(filter("Codice", "B"));
    ASSERT_TRUE(filter("Codice", "?1")) << "a column filtered again replaces its own pattern; wildcards typed count";

    // Elements in the view's column order.
    EXPECT_EQ(filters.Condition(), "[Codice] Like '?1*' AND [Descrizione] Like 'pa*'");
    EXPECT_EQ(shown->statuses.last(), "Attivato filtro (Codice = '?1*' AND Descrizione = 'pa*')");
    EXPECT_EQ(filters.Caption(column("Descrizione")), "Descrizione = 'pa*'");
    EXPECT_TRUE(filters.IsTicked(column("Codice")));
    EXPECT_FALSE(filters.IsTicked(column("CodiceAggiuntivo")));
    EXPECT_TRUE(filters.FilterPressed());

    const QStringList expected = sqlite3Column(
        path(), "SELECT OID FROM Articoli WHERE Codice LIKE '_1%' AND Descrizione LIKE 'pa%' ORDER BY OID");
    EXPECT_EQ(expected.size(), 2) << "A10, A11";
    EXPECT_EQ(shownOids(), expected);
}

TEST_F(ColumnFiltersTest, TypedTextIsLookedForAsTyped)
{
    struct Case {
        const char* text;
        bool inside;
        QStringList codes;
    };
    const Case cases[] = {
        {"a = b", false, {"C10"}},   // stays "a = b": never turned into "a Like b"
        {"a Like b", false, {"C11"}},
        {"d'oliva", true, {"B31"}},
        {"x' OR '1'='1", true, {}},   // a quote ends nothing: it is part of the pattern
        {"pane", false, {"A10", "B21", "D41"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(filter("Descrizione", c.text, c.inside));
        EXPECT_EQ(shownCodes(), c.codes);
    }
}

TEST_F(ColumnFiltersTest, CancelRemovesOneColumnAndCancelAllEveryFilter)
{
    ASSERT_TRUE(filter("Descrizione", "pa"));
    ASSERT_TRUE(filter("Codice", "A"));
    EXPECT_EQ(shownCodes(), (QStringList {"A10", "A11"}));

    // The dialog cancelled: that column's filter goes, the other stays.
    prompt.answers.push_back(std::nullopt);
    ASSERT_TRUE(filters.FilterColumn(ds(), column("Codice")));
    EXPECT_EQ(filters.Caption(column("Codice")), "Codice");
    EXPECT_EQ(shownCodes(), (QStringList {"A10", "A11", "B21", "D41"}));

    prompt.answers.push_back(std::nullopt);
    ASSERT_TRUE(filters.FilterColumn(ds(), column("Descrizione")));
    EXPECT_EQ(shown->statuses.last(), "Nessun filtro");
    EXPECT_FALSE(filters.FilterPressed());
    EXPECT_EQ(shownCodes().size(), 8);

    ASSERT_TRUE(filter("Descrizione", "pa"));
    filters.CancelAll(ds());
    EXPECT_EQ(shown->statuses.last(), "Disattivato filtro");
    EXPECT_EQ(filters.Condition(), "");
    EXPECT_FALSE(filters.IsTicked(column("Descrizione")));
    EXPECT_EQ(ds().GetFilter(), "");
    EXPECT_EQ(shownCodes().size(), 8);
}

TEST_F(ColumnFiltersTest, CellValueFiltersItsColumn)
{
    // The dialog opens on the cell's value (what the user confirms here).
    prompt.answers.push_back(QueuedSearchPrompt::Answer {"Panettone"});
    filters.FilterByCell(ds(), "Descrizione", "Panettone");
    EXPECT_EQ(memory.LastFieldName, "Descrizione");
    EXPECT_EQ(prompt.asked, QStringList {"Descrizione|Filtra"});
    EXPECT_EQ(shownCodes(), QStringList {"B21"});
    EXPECT_FALSE(filters.ComplexTicked());

    // Removing the column's filter from the cell menu: the dialog opens empty.
    prompt.answers.push_back(std::nullopt);
    filters.CancelCellFilter(ds(), "Descrizione");
    EXPECT_EQ(memory.LastSearchText, "");
    EXPECT_EQ(shownCodes().size(), 8);
}

TEST_F(ColumnFiltersTest, FilterTheLibraryRefusesIsReportedAndEveryFilterRemoved)
{
    ASSERT_TRUE(filter("Descrizione", "pa"));
    // A column of a table the data set cannot reach (a stale menu, say).
    ColumnFilters stale {memory, prompt};
    stale.SetColumns({{"Campo", "Nonesiste.Campo"}, {"Descrizione", "Descrizione"}});
    prompt.answers.push_back(QueuedSearchPrompt::Answer {"x"});
    EXPECT_FALSE(stale.FilterColumn(ds(), 1));
    ASSERT_FALSE(shown->boxes.empty());
    EXPECT_TRUE(shown->boxes.back().text.contains("Errore nell'impostazione del filtro: \r\r"))
        << shown->boxes.back().text.toStdString();
    EXPECT_EQ(shown->statuses.last(), "Disattivato filtro");
    EXPECT_FALSE(stale.IsTicked(1));
    EXPECT_EQ(ds().GetFilter(), "");
    EXPECT_EQ(shownCodes().size(), 8) << "the rows are readable again";

    // A pattern the Like cannot read (an unclosed "["), which the library finds only when it
    // reads the rows: it fails inside the command, not later in the grid.
    ASSERT_TRUE(filter("Codice", "A"));
    shown->boxes.clear();
    EXPECT_FALSE(filter("Descrizione", "[ab"));
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_TRUE(shown->boxes[0].text.contains("Errore nell'impostazione del filtro: \r\r"));
    EXPECT_FALSE(filters.IsTicked(column("Codice")));
    EXPECT_EQ(shownCodes().size(), 8);
}

TEST_F(ColumnFiltersTest, StructuredFilterTakesOverAndStaysWithItsTable)
{
    // A column that cannot be filtered by text goes to the structured filter.
    filters.FilterByCell(ds(), "ScortaMinima", "0");
    EXPECT_TRUE(filters.ComplexTicked());
    EXPECT_FALSE(filters.ColumnFiltersEnabled());
    EXPECT_TRUE(filters.FilterPressed());
    EXPECT_EQ(ds().GetFilter(), "ScortaMinima = '0'");

    // While it is in force the cell commands act on it, text columns included.
    filters.FilterByCell(ds(), "Codice", "B21");
    EXPECT_EQ(shownCodes(), QStringList {"B21"});
    EXPECT_TRUE(prompt.asked.isEmpty()) << "no dialog for the structured filter";
    filters.CancelCellFilter(ds(), "Codice");
    filters.CancelCellFilter(ds(), "ScortaMinima");
    EXPECT_FALSE(filters.ComplexTicked());
    EXPECT_FALSE(filters.FilterPressed());
    EXPECT_EQ(ds().GetFilter(), "");

    // Saved filters of the table; one that is gone is said to be.
    saved["Solo B"] = {{"Codice", "B21"}};
    saved["Pane"] = {{"Descrizione", "Pane comune"}};
    EXPECT_EQ(filters.ComplexFilterNames(ds()), (QStringList {"Pane", "Solo B"}));
    EXPECT_TRUE(filters.LoadSavedComplex(ds(), "Solo B"));
    EXPECT_FALSE(filters.LoadSavedComplex(ds(), "Altro"));
    EXPECT_EQ(shown->texts().last(), QString::fromUtf8("Un filtro con questo nome non è presente!"));

    // Another table gets a structured filter of its own.
    show("Clienti");
    ComplexFilter* customers = filters.Complex(ds());
    ASSERT_NE(customers, nullptr);
    EXPECT_EQ(customers->TableName(), "Clienti");
    EXPECT_FALSE(customers->HasCondition("Codice"));
}

}   // namespace
