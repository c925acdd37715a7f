#include "LazyTableModel.h"
#include <QTimer>
#include <algorithm>

using gridcache::Range;

void QueuedFetchScheduler::post(QObject* context, Work work)
{
    QTimer::singleShot(0, context, [work = std::move(work)] {
        if (Delivery deliver = work()) deliver();
    });
}

LazyTableModel::LazyTableModel(QObject* parent)
    : QAbstractTableModel(parent), m_scheduler(std::make_shared<QueuedFetchScheduler>())
{ }

LazyTableModel::~LazyTableModel() = default;

void LazyTableModel::SetScheduler(std::shared_ptr<FetchScheduler> scheduler) { m_scheduler = std::move(scheduler); }

void LazyTableModel::SetSource(std::unique_ptr<RowSource> source, const QStringList& fields)
{
    beginResetModel();
    m_source = std::move(source);
    m_allColumns = m_source ? m_source->Columns() : std::vector<GridColumn>();
    m_fields.clear();
    m_shown.clear();
    const QStringList wanted = fields;
    for (const GridColumn& c : m_allColumns)
        if (wanted.isEmpty() && !c.onRequest) m_shown.push_back(c);
    for (const QString& f : wanted)
        for (const GridColumn& c : m_allColumns)
            if (c.field.compare(f, Qt::CaseInsensitive) == 0) {
                m_shown.push_back(c);
                break;
            }
    for (const GridColumn& c : m_shown) m_fields << c.field;
    if (m_source) m_source->SetColumns(m_fields);
    restart();
    endResetModel();
}

void LazyTableModel::SetColumns(const QStringList& fields)
{
    if (!m_source) return;
    auto source = std::unique_ptr<RowSource>(m_source->Reopen());
    SetSource(std::move(source), fields);
}

void LazyTableModel::Refresh()
{
    if (!m_source) return;
    beginResetModel();
    m_source = m_source->Reopen();
    m_allColumns = m_source->Columns();
    restart();
    endResetModel();
}

namespace {
bool sameKey(const RowKey& a, const RowKey& b) { return a.oid == b.oid && a.values == b.values; }
}   // namespace

bool LazyTableModel::RefreshInPlace()
{
    if (!m_source) return false;
    const bool allHeld = m_countFinal && !m_countPending && m_rowCount < kFirstPage && !m_locate
        && m_cache.missing({0, m_rowCount}).empty();
    std::shared_ptr<RowSource> source = m_source->Reopen();
    std::vector<GridColumn> columns = source->Columns();
    bool sameColumns = columns.size() == m_allColumns.size();
    for (size_t i = 0; sameColumns && i < columns.size(); ++i) sameColumns = columns[i].field == m_allColumns[i].field;
    std::vector<GridRow> rows;
    if (allHeld && sameColumns) rows = source->Read(nullptr, kFirstPage);
    if (!allHeld || !sameColumns || int64_t(rows.size()) >= kFirstPage) {
        beginResetModel();
        m_source = std::move(source);
        m_allColumns = std::move(columns);
        restart();
        endResetModel();
        return false;
    }

    // What was asked of the old source is of no use any more.
    ++m_generation;
    m_pending.reset();
    m_inFlight = false;
    m_keys.clear();
    m_source = std::move(source);
    m_allColumns = std::move(columns);

    std::vector<GridRow> old;
    old.reserve(size_t(m_rowCount));
    for (int64_t r = 0; r < m_rowCount; ++r) old.push_back(*m_cache.at(r));
    const int64_t before = int64_t(old.size()), after = int64_t(rows.size());
    // The rows that stayed at the head and at the tail; those between them came or went.
    int64_t head = 0;
    while (head < before && head < after && sameKey(old[size_t(head)].key, rows[size_t(head)].key)) ++head;
    int64_t tail = 0;
    while (tail < before - head && tail < after - head
           && sameKey(old[size_t(before - 1 - tail)].key, rows[size_t(after - 1 - tail)].key))
        ++tail;
    auto holdRows = [this](std::vector<GridRow> held) {
        m_cache.clear();
        m_rowCount = int64_t(held.size());
        m_cache.put(0, std::move(held));
    };
    if (before - tail > head) {
        beginRemoveRows(QModelIndex(), int(head), int(before - tail - 1));
        std::vector<GridRow> kept(old.begin(), old.begin() + head);
        kept.insert(kept.end(), old.end() - tail, old.end());
        holdRows(std::move(kept));
        endRemoveRows();
    }
    if (after - tail > head) {
        beginInsertRows(QModelIndex(), int(head), int(after - tail - 1));
        holdRows(rows);
        endInsertRows();
    } else {
        holdRows(rows);
    }
    if (after) keepKey(after - 1, rows.back().key);
    m_countFinal = true;
    m_countPending = false;

    // The rows that stayed but read other texts: one notice from the first to the last.
    int64_t firstChanged = -1, lastChanged = -1;
    auto compare = [&](int64_t oldRow, int64_t newRow) {
        if (old[size_t(oldRow)].cells == rows[size_t(newRow)].cells) return;
        if (firstChanged < 0) firstChanged = newRow;
        lastChanged = newRow;
    };
    for (int64_t r = 0; r < head; ++r) compare(r, r);
    for (int64_t i = 0; i < tail; ++i) compare(before - tail + i, after - tail + i);
    if (firstChanged >= 0 && !m_shown.empty())
        emit dataChanged(index(int(firstChanged), 0), index(int(lastChanged), int(m_shown.size()) - 1));
    emit countChanged(m_rowCount, true);
    schedule();
    return true;
}

// Everything read or asked so far belongs to the generation that ends here.
void LazyTableModel::restart()
{
    ++m_generation;
    m_cache.clear();
    m_keys.clear();
    m_pending.reset();
    m_locate.reset();
    m_inFlight = false;
    m_countPending = false;
    m_rowCount = 0;
    m_countFinal = true;
    if (m_source) readFirstPage();
}

// The first rows are read at once: the grid never opens empty on a table that is not.
void LazyTableModel::readFirstPage()
{
    std::vector<GridRow> rows = m_source->Read(nullptr, kFirstPage);
    const int64_t n = int64_t(rows.size());
    if (n) keepKey(n - 1, rows.back().key);
    m_cache.put(0, std::move(rows));
    m_rowCount = n;
    m_countFinal = n < kFirstPage;
    m_countPending = !m_countFinal;
    schedule();
}

int LazyTableModel::ColumnOf(const QString& field) const
{
    for (size_t i = 0; i < m_shown.size(); ++i)
        if (m_shown[i].field.compare(field, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

qint64 LazyTableModel::OidAt(int row) const
{
    const GridRow* r = m_cache.at(row);
    return r ? r->key.oid : 0;
}

QString LazyTableModel::TextAt(int row, int column) const
{
    const GridRow* r = m_cache.at(row);
    return r ? r->cells.value(column) : QString();
}

std::optional<int> LazyTableModel::LoadedRowOf(qint64 oid) const
{
    if (!oid) return std::nullopt;
    auto pos = m_cache.find([oid](const GridRow& r) { return r.key.oid == oid; });
    if (!pos) return std::nullopt;
    return int(*pos);
}

// --- requests -------------------------------------------------------------------------------------

Range LazyTableModel::clip(Range r) const
{
    r.first = std::max<int64_t>(r.first, 0);
    // While the count is not known the rows just after the last one read may be asked for.
    const int64_t limit = m_countFinal ? m_rowCount : m_rowCount + kFirstPage;
    r.end = std::min(r.end, limit);
    return r;
}

void LazyTableModel::want(Range range)
{
    if (!m_source) return;
    range = clip(range);
    if (m_cache.missing(range).empty()) return;
    m_pending = range;   // a newer request replaces the one not started yet
    schedule();
}

void LazyTableModel::Prefetch(int first, int last)
{
    if (last < first) std::swap(first, last);
    want({int64_t(first) - kMargin, int64_t(last) + 1 + kMargin});
}

void LazyTableModel::Locate(qint64 oid)
{
    if (!m_source || !oid) return;
    if (auto row = LoadedRowOf(oid)) {
        m_locate.reset();
        emit located(oid, *row);
        return;
    }
    m_locate = Located {oid, m_generation, 0, std::nullopt};
    schedule();
}

void LazyTableModel::schedule()
{
    if (m_inFlight || !m_source) return;
    if (scheduleRows()) return;
    if (m_locate) {
        scheduleLocate();
        return;
    }
    if (m_countPending) scheduleCount();
}

quint64 LazyTableModel::nextJob() { return ++m_jobs; }

void LazyTableModel::post(std::function<FetchScheduler::Delivery(RowSource&)> work)
{
    m_inFlight = true;
    // The work keeps the source it was asked of: a refresh meanwhile makes a new one.
    std::shared_ptr<RowSource> source = m_source;
    m_scheduler->post(this, [source, work = std::move(work)]() { return work(*source); });
}

bool LazyTableModel::landed(quint64 job, quint64 generation)
{
    if (job == m_jobs) m_inFlight = false;
    return generation == m_generation;
}

bool LazyTableModel::scheduleRows()
{
    if (!m_pending) return false;
    const Range missing = m_cache.missing(clip(*m_pending));
    if (missing.empty()) {
        m_pending.reset();
        return false;
    }
    const quint64 gen = m_generation;
    const quint64 job = nextJob();
    std::optional<std::pair<int64_t, RowKey>> before = missing.first > 0 ? keyBefore(missing.first) : std::nullopt;
    if (missing.first == 0 || (before && before->first == missing.first - 1)) {
        // Read the rows themselves, after the row before them.
        std::optional<RowKey> after;
        if (before) after = before->second;
        const int asked = int(missing.size());
        const int64_t first = missing.first;
        post([this, gen, job, after, asked, first](RowSource& source) -> FetchScheduler::Delivery {
            auto rows = std::make_shared<std::vector<GridRow>>(source.Read(after ? &*after : nullptr, asked));
            return [this, gen, job, rows, asked, first] {
                if (!landed(job, gen)) return;
                deliverRows(first, std::move(*rows), asked);
                schedule();
            };
        });
        return true;
    }
    // Far from every row known: walk the keys towards it, a step at a time, so that a newer
    // request (the user scrolled on) can take over between steps.
    const int64_t from = before ? before->first + 1 : 0;
    std::optional<RowKey> after;
    if (before) after = before->second;
    const int asked = int(std::min<int64_t>(missing.first - from, kWalkChunk));
    post([this, gen, job, after, asked, from](RowSource& source) -> FetchScheduler::Delivery {
        auto keys = std::make_shared<std::vector<RowKey>>(source.Keys(after ? &*after : nullptr, asked));
        return [this, gen, job, keys, asked, from] {
            if (!landed(job, gen)) return;
            for (size_t i = 0; i < keys->size(); ++i)
                if ((from + int64_t(i)) % kKeyStep == 0 || i + 1 == keys->size())
                    keepKey(from + int64_t(i), (*keys)[i]);
            if (int(keys->size()) < asked) setRowCount(from + int64_t(keys->size()), true);
            schedule();
        };
    });
    return true;
}

void LazyTableModel::scheduleLocate()
{
    const quint64 gen = m_generation;
    const quint64 job = nextJob();
    const Located at = *m_locate;
    post([this, gen, job, at](RowSource& source) -> FetchScheduler::Delivery {
        auto keys = std::make_shared<std::vector<RowKey>>(source.Keys(at.last ? &*at.last : nullptr, kWalkChunk));
        return [this, gen, job, at, keys] {
            if (!landed(job, gen)) return;
            // A newer Locate took the place of this one: its walk starts over.
            if (!m_locate || m_locate->oid != at.oid || m_locate->walked != at.walked) {
                schedule();
                return;
            }
            for (size_t i = 0; i < keys->size(); ++i) {
                const int64_t pos = at.walked + int64_t(i);
                if (pos % kKeyStep == 0) keepKey(pos, (*keys)[i]);
                if ((*keys)[i].oid != at.oid) continue;
                if (i > 0) keepKey(pos - 1, (*keys)[i - 1]);
                m_locate.reset();
                if (pos >= m_rowCount) setRowCount(pos + 1, m_countFinal);
                want({pos - kMargin, pos + 1 + kMargin});
                emit located(at.oid, int(pos));
                return;
            }
            if (keys->empty() || int(keys->size()) < kWalkChunk) {
                m_locate.reset();
                emit locateFailed(at.oid);
                schedule();
                return;
            }
            m_locate->walked += int64_t(keys->size());
            m_locate->last = keys->back();
            keepKey(m_locate->walked - 1, keys->back());
            schedule();
        };
    });
}

void LazyTableModel::scheduleCount()
{
    const quint64 gen = m_generation;
    const quint64 job = nextJob();
    m_countPending = false;
    post([this, gen, job](RowSource& source) -> FetchScheduler::Delivery {
        const qint64 count = source.Count();
        return [this, gen, job, count] {
            if (!landed(job, gen)) return;
            setRowCount(count, true);
            schedule();
        };
    });
}

std::optional<std::pair<int64_t, RowKey>> LazyTableModel::keyBefore(int64_t pos) const
{
    std::optional<std::pair<int64_t, RowKey>> best;
    if (auto held = m_cache.lastHeldBefore(pos)) best = std::make_pair(*held, m_cache.at(*held)->key);
    auto it = m_keys.lower_bound(pos);
    if (it != m_keys.begin()) {
        --it;
        if (!best || it->first > best->first) best = *it;
    }
    return best;
}

void LazyTableModel::keepKey(int64_t pos, const RowKey& key) { m_keys[pos] = key; }

void LazyTableModel::deliverRows(int64_t first, std::vector<GridRow> rows, int asked)
{
    const int64_t n = int64_t(rows.size());
    if (n == 0) {
        // Nothing after the row before: the table ends there (rows went since the count).
        setRowCount(first, true);
        m_pending.reset();
        return;
    }
    keepKey(first + n - 1, rows.back().key);
    m_cache.put(first, std::move(rows));
    if (n < asked)
        setRowCount(first + n, true);
    else if (first + n > m_rowCount)
        setRowCount(first + n, m_countFinal);
    m_cache.shrink(kMaxHeldRows, first + n / 2);
    if (!m_shown.empty()) emit dataChanged(index(int(first), 0), index(int(first + n - 1), int(m_shown.size()) - 1));
    emit rowsLoaded(int(first), int(first + n - 1));
}

void LazyTableModel::setRowCount(int64_t rows, bool final)
{
    rows = std::max<int64_t>(rows, 0);
    if (rows > m_rowCount) {
        beginInsertRows(QModelIndex(), int(m_rowCount), int(rows - 1));
        m_rowCount = rows;
        m_countFinal = final;
        endInsertRows();
    } else if (rows < m_rowCount) {
        beginRemoveRows(QModelIndex(), int(rows), int(m_rowCount - 1));
        m_rowCount = rows;
        m_countFinal = final;
        m_cache.truncate(rows);
        m_keys.erase(m_keys.lower_bound(rows), m_keys.end());
        endRemoveRows();
    } else {
        m_countFinal = m_countFinal || final;
    }
    if (final) m_countPending = false;
    emit countChanged(m_rowCount, m_countFinal);
}

// --- QAbstractTableModel -----------------------------------------------------------------------------

int LazyTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rowCount); }
int LazyTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

QVariant LazyTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= int(m_shown.size())) return {};
    const GridColumn& column = m_shown[size_t(index.column())];
    if (role == Qt::TextAlignmentRole)
        return column.rightAligned() ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                     : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::CheckStateRole && role != Qt::ToolTipRole) return {};
    const GridRow* row = m_cache.at(index.row());
    if (!row) {
        // Shown but not read: ask for it and its neighbours; painting never waits for a read.
        if (role == Qt::DisplayRole && !(m_pending && m_pending->contains(index.row())))
            const_cast<LazyTableModel*>(this)->want(
                {int64_t(index.row()) - kMargin, int64_t(index.row()) + 1 + kMargin});
        return {};
    }
    const QString text = row->cells.value(index.column());
    if (column.isBoolean()) {
        if (role == Qt::CheckStateRole)
            return text.isEmpty() ? QVariant() : QVariant(text == QLatin1String("True") ? Qt::Checked : Qt::Unchecked);
        return {};
    }
    if (role == Qt::CheckStateRole) return {};
    return text;
}

QVariant LazyTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_shown.size())) return {};
    if (role == Qt::DisplayRole) return m_shown[size_t(section)].caption;
    if (role == Qt::ToolTipRole) {
        const GridColumn& c = m_shown[size_t(section)];
        return c.description.isEmpty() ? c.field : c.description;
    }
    return {};
}

bool LazyTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_source && !m_countFinal;
}

void LazyTableModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid()) return;
    want({m_rowCount, m_rowCount + kFirstPage});
}
