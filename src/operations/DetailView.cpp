#include "DetailView.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

namespace {
// Clears the busy flag however the refresh ends.
struct Busy {
    explicit Busy(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Busy() { m_flag = false; }
    bool& m_flag;
};
}   // namespace

DetailView::DetailView(Database& db, DateSelection& dates, ViewDialogs& dialogs, DataSelectionFactory selections)
    : m_db(db), m_builder(db, dialogs, dates, std::move(selections))
{ }

DetailView::~DetailView() = default;

DetailView::Outcome DetailView::Refresh(const Request& request)
{
    if (m_refreshing || m_db.State() != Database::kOpen) return Outcome::Skipped;
    Busy busy(m_refreshing);
    try {
        ShownView shown {DataSet(), request.gridBookmark};
        ViewQuery q = m_builder.Build(
            ViewRequest {request.node, request.order, request.where, request.sectionTitle, request.titleTag}, shown);
        if (q.NoView) {
            // The grid lets go of the view; the data set stays until another one replaces it.
            m_attached = false;
            m_keptRow.reset();
            m_builder.ReleaseSelection();
            m_query = std::move(q);
            return Outcome::NoView;
        }
        if (m_hooks.opening) m_hooks.opening();
        open(std::move(q));
        return Outcome::Shown;
    } catch (...) {
        const AppError e = CurrentError();
        // Whatever failed, the rows of the view before are not shown under the new title.
        Clear();
        m_query.Title = request.titleTag;
        ShowErrorDetails(e, QStringLiteral("Visualizzazione dati fallita: \r\r") + e.description);
        return Outcome::Failed;
    }
}

std::unique_ptr<TableData> OpenView(Database& db, const ViewQuery& q)
{
    // A query that cannot run fails here, inside the refresh, not later in the grid.
    auto ds = db.Tables().Item(q.Table)->Select(q.Where, q.Order, q.Fields);
    if (!q.Sort.isEmpty()) ds->SetOrder(q.Sort);
    ds->MoveFirst();
    return ds;
}

void DetailView::open(ViewQuery q)
{
    m_keptRow.reset();
    std::unique_ptr<TableData> ds = OpenView(m_db, q);
    dropping();
    if (q.KeptRowKey && ds->tableName() == q.PreviousTable) {
        if (ds->MoveToOID(*q.KeptRowKey))
            m_keptRow = q.KeptRowKey;
        else
            ds->MoveFirst();   // the row is no longer among those shown
    }
    m_dataSet = std::move(ds);
    m_attached = true;
    m_query = std::move(q);
}

void DetailView::dropping()
{
    if (m_hooks.dropping && m_dataSet) m_hooks.dropping();
}

void DetailView::Clear()
{
    dropping();
    m_attached = false;
    m_dataSet.reset();
    m_keptRow.reset();
    m_query = ViewQuery();
}
