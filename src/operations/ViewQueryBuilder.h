#pragma once
// Builds the query of the view the main window shows for a tree node: the report
// catalogue's entry, what is carried over from the view shown so far (order, sort, current
// row), the caller's condition and order, the node's predefined selections and the date
// selection's condition.
#include "ViewDialogs.h"
#include "ViewQuery.h"
#include <QString>
#include <memory>
#include <optional>

class Database;
class DateSelection;
class TableData;
class TableObject;

// A node of the section tree as the view sees it.
struct ViewNode {
    QString key;   // empty for sections and groups
    QString text;   // its caption
};

struct ViewRequest {
    std::optional<ViewNode> node;   // the selected node; none when nothing is selected
    QString order;   // the caller's order; empty: the node's own
    QString where;   // the caller's condition; when given it replaces the node's
    QString sectionTitle;   // the section title the status bar starts with
    QString titleTag;   // the title line's standing text
};

// The view shown so far.
struct ShownView {
    TableData* dataSet = nullptr;   // its data set; null when none is shown
    std::optional<qint64> gridBookmark;   // the key of the grid's current row
};

class ViewQueryBuilder {
public:
    ViewQueryBuilder(Database& db, ViewDialogs& dialogs, const DateSelection& dates,
                     DataSelectionFactory selections = {});

    ViewQuery Build(const ViewRequest& request, const ShownView& shown);

    // The predefined selections of the node shown; kept from one view to the next while the
    // node's caption stays the same.
    DataSelection* Selection() const { return m_selection.get(); }
    void ReleaseSelection() { m_selection.reset(); }
    // The selection object of the node captioned `nodeText` over `table`: the one held when
    // it already belongs to that caption, else a new one (named after the caption when
    // `name`). Null when no selections are kept.
    DataSelection* SelectionFor(const QString& nodeText, TableObject& table, bool name);

private:
    void carryOver(ViewQuery& q, const ShownView& shown) const;
    void applySelections(ViewQuery& q, const ViewNode& node, const QString& titleTag);

    Database& m_db;
    ViewDialogs& m_dialogs;
    const DateSelection& m_dates;
    DataSelectionFactory m_newSelection;
    std::unique_ptr<DataSelection> m_selection;
};
