#pragma once
// The grid's model: rows read lazily from a RowSource. The first page is read when a source
// is set, so the grid shows rows at once; every other read waits for the event loop, so
// data() never reads. The view names what it shows (plus a margin); one request is pending
// at a time and a newer one replaces it. The row count is first "at least the rows read",
// then completed by a count query. Every result carries the generation it was asked in: an
// answer that arrives after a refresh is dropped.
#include "RowCache.h"
#include "RowSource.h"
#include <QAbstractTableModel>
#include <functional>
#include <map>
#include <memory>
#include <optional>

// How the model's reads run after the call that asked for them. A job is in two halves: the
// work reads from the source (and touches nothing of the model), and returns the delivery,
// which applies the result on the window's thread. The default runs both from the event
// loop, one after the other; tests hold either half to see what is pending and to deliver
// an answer late.
class FetchScheduler {
public:
    using Delivery = std::function<void()>;
    using Work = std::function<Delivery()>;
    virtual ~FetchScheduler() = default;
    virtual void post(QObject* context, Work work) = 0;
};

class QueuedFetchScheduler final : public FetchScheduler {
public:
    void post(QObject* context, Work work) override;
};

class LazyTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFirstPage = 100;   // read when a source is set
    static constexpr int kMargin = 60;   // rows read above and below what is shown
    static constexpr int kWalkChunk = 4096;   // keys read per step of a walk to a far row
    static constexpr int kKeyStep = 256;   // one key kept every so many rows walked
    static constexpr int kMaxHeldRows = 20000;   // rows kept; the farthest go first

    explicit LazyTableModel(QObject* parent = nullptr);
    ~LazyTableModel() override;

    void SetScheduler(std::shared_ptr<FetchScheduler> scheduler);

    // Shows `source` with the columns `fields` (empty: every column of the source), reading
    // its first page now. Null clears the model.
    void SetSource(std::unique_ptr<RowSource> source, const QStringList& fields = {});
    // Reads the rows again (the source reopened): what was read and asked is forgotten.
    void Refresh();
    // Reads the rows again, like Refresh, but in place when all of them are held and fit the
    // first page (a document's rows, say): the rows that came or went are inserted or
    // removed and those whose texts changed are told, so the view keeps its current row,
    // selection and column widths and paints only what changed. Else it resets as Refresh
    // does; false then.
    bool RefreshInPlace();
    // Shows other columns of the same rows (read again).
    void SetColumns(const QStringList& fields);
    RowSource* Source() const { return m_source.get(); }
    bool HasSource() const { return m_source != nullptr; }

    const std::vector<GridColumn>& AllColumns() const { return m_allColumns; }
    const std::vector<GridColumn>& ShownColumns() const { return m_shown; }
    int ColumnOf(const QString& field) const;   // -1 when not shown

    // The view shows rows first..last: read them with the margin.
    void Prefetch(int first, int last);
    bool IsLoaded(int row) const { return m_cache.has(row); }
    qint64 OidAt(int row) const;   // 0 when not read
    QString TextAt(int row, int column) const;   // empty when not read
    std::optional<int> LoadedRowOf(qint64 oid) const;
    // Finds the row of `oid` (walking the keys from the first row when it is not read yet):
    // located(oid, row) or locateFailed(oid) follows. A newer Locate replaces it.
    void Locate(qint64 oid);

    bool CountFinal() const { return m_countFinal; }
    quint64 Generation() const { return m_generation; }
    bool HasPendingWork() const { return m_pending.has_value() || m_locate.has_value() || m_countPending; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void rowsLoaded(int first, int last);
    void located(qint64 oid, int row);
    void locateFailed(qint64 oid);
    void countChanged(qint64 rows, bool final);

private:
    struct Located {
        qint64 oid = 0;
        quint64 generation = 0;
        int64_t walked = 0;   // rows walked so far
        std::optional<RowKey> last;   // the last key walked
    };

    void restart();
    void readFirstPage();
    void want(gridcache::Range range);
    // Posts the next piece of work unless one is under way: rows asked for, then a row to
    // locate, then the count.
    void schedule();
    bool scheduleRows();
    void scheduleLocate();
    void scheduleCount();
    // The id of the next job; the one whose delivery frees the model for the next.
    quint64 nextJob();
    void post(std::function<FetchScheduler::Delivery(RowSource&)> work);
    // The delivery's first step: false when the answer belongs to an earlier generation.
    bool landed(quint64 job, quint64 generation);
    // A key to read after to reach `pos`: the row before it, read or walked; or the nearest
    // known before it, with its position.
    std::optional<std::pair<int64_t, RowKey>> keyBefore(int64_t pos) const;
    void keepKey(int64_t pos, const RowKey& key);
    void deliverRows(int64_t first, std::vector<GridRow> rows, int asked);
    void setRowCount(int64_t rows, bool final);
    gridcache::Range clip(gridcache::Range r) const;

    std::shared_ptr<FetchScheduler> m_scheduler;
    std::shared_ptr<RowSource> m_source;
    std::vector<GridColumn> m_allColumns;
    std::vector<GridColumn> m_shown;
    QStringList m_fields;
    gridcache::RowCache<GridRow> m_cache;
    std::map<int64_t, RowKey> m_keys;   // keys walked past, every kKeyStep rows
    int64_t m_rowCount = 0;
    bool m_countFinal = true;
    bool m_countPending = false;
    quint64 m_generation = 0;
    std::optional<gridcache::Range> m_pending;
    std::optional<Located> m_locate;
    bool m_inFlight = false;
    quint64 m_jobs = 0;   // the last job posted
};
