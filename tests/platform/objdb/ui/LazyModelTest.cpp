// The grid's model over a source of rows made here: what it reads and when.
#include "objdb/ui/LazyTableModel.h"
#include "WidgetShop.h"
#include <gtest/gtest.h>

namespace {

// Rows with OIDs 10, 20, 30...; every read is counted. Reopening gives the same rows under
// the next version, which shows in the cells.
struct Table {
    std::vector<qint64> oids;
    int reads = 0, keyReads = 0, counts = 0;
    qint64 rowsRead = 0;
    int version = 1;
};

class FakeSource final : public RowSource {
public:
    FakeSource(std::shared_ptr<Table> t, int version) : m_t(std::move(t)), m_version(version) { }
    std::vector<GridColumn> Columns() const override
    {
        return {{"Codice", "Codice", 0, QString()}, {"Prezzo", "Prezzo", 20, QString()}};
    }
    void SetColumns(const QStringList& fields) override { m_fields = fields; }
    std::vector<GridRow> Read(const RowKey* after, int count) override
    {
        ++m_t->reads;
        std::vector<GridRow> out;
        for (size_t i = start(after); i < m_t->oids.size() && int(out.size()) < count; ++i) {
            GridRow r;
            r.key.oid = m_t->oids[i];
            for (const QString& f : m_fields)
                r.cells << QStringLiteral("%1:%2:v%3").arg(f).arg(m_t->oids[i]).arg(m_version);
            out.push_back(r);
        }
        m_t->rowsRead += qint64(out.size());
        return out;
    }
    std::vector<RowKey> Keys(const RowKey* after, int count) override
    {
        ++m_t->keyReads;
        std::vector<RowKey> out;
        for (size_t i = start(after); i < m_t->oids.size() && int(out.size()) < count; ++i)
            out.push_back({m_t->oids[i], {}});
        return out;
    }
    qint64 Count() override
    {
        ++m_t->counts;
        return qint64(m_t->oids.size());
    }
    std::unique_ptr<RowSource> Reopen() const override
    {
        auto s = std::make_unique<FakeSource>(m_t, ++m_t->version);
        s->m_fields = m_fields;
        return s;
    }
    QString TableName() const override { return QStringLiteral("Fake"); }

private:
    size_t start(const RowKey* after) const
    {
        if (!after) return 0;
        auto it = std::find(m_t->oids.begin(), m_t->oids.end(), after->oid);
        return it == m_t->oids.end() ? m_t->oids.size() : size_t(it - m_t->oids.begin()) + 1;
    }
    std::shared_ptr<Table> m_t;
    int m_version;
    QStringList m_fields;
};

std::shared_ptr<Table> rows(int n)
{
    auto t = std::make_shared<Table>();
    for (int i = 1; i <= n; ++i) t->oids.push_back(qint64(i) * 10);
    return t;
}

struct ModelFixture : ::testing::Test {
    std::shared_ptr<HeldScheduler> scheduler = std::make_shared<HeldScheduler>();
    LazyTableModel model;
    std::shared_ptr<Table> table;
    void open(int n)
    {
        table = rows(n);
        model.SetScheduler(scheduler);
        model.SetSource(std::make_unique<FakeSource>(table, 1));
    }
    QString cell(int row, int col = 0) { return model.data(model.index(row, col)).toString(); }
};

}   // namespace

TEST_F(ModelFixture, FirstPageAtOnceThenTheCountCompletesTheRows)
{
    open(100000);
    EXPECT_EQ(model.rowCount(), LazyTableModel::kFirstPage);   // at least these
    EXPECT_FALSE(model.CountFinal());
    EXPECT_EQ(cell(0), "Codice:10:v1");
    EXPECT_EQ(table->rowsRead, LazyTableModel::kFirstPage);
    EXPECT_EQ(table->counts, 0);
    scheduler->runAll();
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_TRUE(model.CountFinal());
    EXPECT_EQ(table->counts, 1);
}

TEST_F(ModelFixture, ASmallTableNeedsNoCount)
{
    open(7);
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_TRUE(model.CountFinal());
    EXPECT_EQ(scheduler->pending(), 0u);
    EXPECT_EQ(table->counts, 0);
}

TEST_F(ModelFixture, DataNeverReadsAndAsksForTheRowsItLacks)
{
    open(5000);
    scheduler->runAll();
    const int readsBefore = table->reads;
    EXPECT_EQ(cell(300), QString());   // not read yet: empty, no read made now
    EXPECT_EQ(table->reads, readsBefore);
    EXPECT_GT(scheduler->pending(), 0u);
    scheduler->runAll();
    EXPECT_EQ(cell(300), "Codice:3010:v1");
    EXPECT_EQ(cell(300, 1), "Prezzo:3010:v1");
}

TEST_F(ModelFixture, ScrollingOnReadsOnlyWhatIsMissingAfterTheLastRowRead)
{
    open(5000);
    scheduler->runAll();
    const qint64 before = table->rowsRead;
    model.Prefetch(90, 120);   // rows 30..180 wanted, 0..99 already read
    scheduler->runAll();
    EXPECT_EQ(table->rowsRead - before, 180 + 1 - LazyTableModel::kFirstPage);
    EXPECT_EQ(table->keyReads, 0);   // continued from the last row read, by key
    EXPECT_TRUE(model.IsLoaded(180));
    EXPECT_FALSE(model.IsLoaded(181 + LazyTableModel::kMargin));
}

TEST_F(ModelFixture, ANewerRequestReplacesTheOneNotStarted)
{
    open(200000);
    scheduler->runAll();
    // The count is in; nothing runs until the test says so.
    model.Prefetch(1000, 1030);
    model.Prefetch(150000, 150030);
    scheduler->runAll();
    EXPECT_TRUE(model.IsLoaded(150000));
    EXPECT_FALSE(model.IsLoaded(1000));
    // The far rows came by walking keys, never by reading every row before them.
    EXPECT_LT(table->rowsRead, 1000);
    EXPECT_GT(table->keyReads, 0);
    EXPECT_EQ(cell(150000), "Codice:1500010:v1");
}

TEST_F(ModelFixture, AnAnswerOfAnEarlierGenerationIsDropped)
{
    open(5000);
    scheduler->runAll();
    model.Prefetch(120, 130);   // rows just after the first page: one read of the rows
    scheduler->runWorkOnly();   // read under version 1, not delivered yet
    model.Refresh();   // version 2: what was asked before is stale
    scheduler->deliverAll();
    EXPECT_FALSE(model.IsLoaded(150));
    scheduler->runAll();   // the new count
    ASSERT_EQ(model.rowCount(), 5000);
    model.Prefetch(120, 130);
    scheduler->runAll();
    EXPECT_EQ(cell(150), "Codice:1510:v2");
    EXPECT_EQ(cell(0), "Codice:10:v2");
}

TEST_F(ModelFixture, LocateFindsAFarRowByItsOid)
{
    open(30000);
    scheduler->runAll();
    std::vector<std::pair<qint64, int>> located;
    QObject::connect(&model, &LazyTableModel::located, [&](qint64 oid, int row) { located.emplace_back(oid, row); });
    std::vector<qint64> failed;
    QObject::connect(&model, &LazyTableModel::locateFailed, [&](qint64 oid) { failed.push_back(oid); });
    model.Locate(250000);   // the 25,000th row
    scheduler->runAll();
    ASSERT_EQ(located.size(), 1u);
    EXPECT_EQ(located[0], std::make_pair(qint64(250000), 24999));
    EXPECT_TRUE(model.IsLoaded(24999));
    EXPECT_EQ(model.OidAt(24999), 250000);

    model.Locate(5);   // no such row
    scheduler->runAll();
    EXPECT_EQ(failed, std::vector<qint64> {5});
}

TEST_F(ModelFixture, RowsGoneSinceTheCountEndTheTableWhereTheyEnd)
{
    open(1000);
    scheduler->runAll();
    ASSERT_EQ(model.rowCount(), 1000);
    table->oids.resize(500);   // deleted elsewhere
    model.Prefetch(700, 720);
    scheduler->runAll();
    EXPECT_EQ(model.rowCount(), 500);
    EXPECT_TRUE(model.CountFinal());
}

TEST_F(ModelFixture, ColumnsChosenByName)
{
    open(10);
    model.SetColumns({"Prezzo"});
    ASSERT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Prezzo");
    EXPECT_EQ(cell(0), "Prezzo:10:v2");
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
}

// A document's rows read again after a scan: the rows that came or went are inserted or
// removed where they are, the others stay, so the view keeps its place; a table that does
// not fit the first page is read anew.
TEST_F(ModelFixture, RefreshInPlaceInsertsAndRemovesOnlyWhatChanged)
{
    open(5);
    QStringList events;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        events << QStringLiteral("inserted %1-%2").arg(first).arg(last);
    });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&](const QModelIndex&, int first, int last) {
        events << QStringLiteral("removed %1-%2").arg(first).arg(last);
    });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { events << QStringLiteral("reset"); });

    table->oids = {10, 20, 25, 30, 40, 50};
    EXPECT_TRUE(model.RefreshInPlace());
    EXPECT_EQ(events, QStringList({"inserted 2-2"}));
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(cell(2), "Codice:25:v2");
    EXPECT_EQ(cell(5), "Codice:50:v2") << "the rows that stayed show what was read now";

    events.clear();
    table->oids = {10, 20, 25, 30, 50, 60};
    EXPECT_TRUE(model.RefreshInPlace());
    EXPECT_EQ(events, QStringList({"removed 4-5", "inserted 4-5"}));
    EXPECT_EQ(model.OidAt(4), 50);
    EXPECT_EQ(model.OidAt(5), 60);

    events.clear();
    table->oids.clear();
    EXPECT_TRUE(model.RefreshInPlace());
    EXPECT_EQ(events, QStringList({"removed 0-5"}));
    EXPECT_EQ(model.rowCount(), 0);

    events.clear();
    *table = *rows(LazyTableModel::kFirstPage + 1);
    EXPECT_FALSE(model.RefreshInPlace());
    EXPECT_EQ(events, QStringList({"reset"}));
    EXPECT_EQ(model.rowCount(), LazyTableModel::kFirstPage);
    EXPECT_FALSE(model.CountFinal());
}
