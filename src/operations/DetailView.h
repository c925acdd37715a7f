#pragma once
// What the main window's grid shows: the view of the selected tree node, built and opened
// on every refresh. One refresh at a time (a refresh asked for while one runs, say from a
// dialog it shows, does nothing). A view that cannot be opened is reported and the grid is
// left empty: it never goes on showing the rows of the view before under the new title.
#include "ViewDialogs.h"
#include "ViewQuery.h"
#include "ViewQueryBuilder.h"
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Database;
class DateSelection;
class TableData;

// A view opened: its table's data set, the sort set and the query run. A view that cannot be
// read raises here.
std::unique_ptr<TableData> OpenView(Database& db, const ViewQuery& q);

class DetailView {
public:
    DetailView(Database& db, DateSelection& dates, ViewDialogs& dialogs, DataSelectionFactory selections = {});
    ~DetailView();

    enum class Outcome {
        Skipped,   // a refresh was under way
        NoView,   // no node, or a section or group: nothing to show
        Shown,   // the view is open
        Failed   // reported to the operator; nothing is shown
    };

    struct Request {
        std::optional<ViewNode> node;
        QString order;   // the caller's order ("" for the node's own)
        QString where;   // the caller's condition ("" for the node's own)
        QString sectionTitle = QStringLiteral(" Sezione:");   // the captions the window's labels start with
        QString titleTag = QStringLiteral(" Dettagli:");
        std::optional<qint64> gridBookmark;   // the key of the grid's current row
    };
    Outcome Refresh(const Request& request);

    // The data set shown; none when no view is.
    TableData* DataSet() const { return m_attached ? m_dataSet.get() : nullptr; }
    bool HasView() const { return m_attached; }
    const ViewQuery& Query() const { return m_query; }
    QString Title() const { return m_query.Title; }
    // The row the grid should make current again, found in the new data set.
    std::optional<qint64> KeptRow() const { return m_keptRow; }
    bool Refreshing() const { return m_refreshing; }
    ViewQueryBuilder& Builder() { return m_builder; }

    // Drops the view (the database is about to be released).
    void Clear();

    // What the window does around an opening: `opening` once the query is built and the
    // rows are about to be read (the operator's questions are over); `dropping` before the
    // shown data set goes away, while whoever reads it (the grid) may still let go.
    struct Hooks {
        std::function<void()> opening;
        std::function<void()> dropping;
    };
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }

private:
    void open(ViewQuery q);
    void dropping();

    Database& m_db;
    ViewQueryBuilder m_builder;
    ViewQuery m_query;
    std::unique_ptr<TableData> m_dataSet;
    bool m_attached = false;
    bool m_refreshing = false;
    std::optional<qint64> m_keptRow;
    Hooks m_hooks;
};
