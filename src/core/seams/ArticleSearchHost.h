#pragma once
// What the article search needs of the main window: its section tree, the data set of the
// view its grid shows, the grid's selected rows and the edit command. The main window
// implements this and registers itself at start; tests register a fake. Like
// MainWindowServices, it keeps the documents from including the main window's headers.
//
// The main window implements RefreshDetailView once for both interfaces. Label printing is
// the counter services' mnuPrintLabel_Click (CounterServices.h).
#include <QString>

class TableData;

class ArticleSearchHost {
public:
    virtual ~ArticleSearchHost() = default;

    // The key of the section tree's selected node (a table node's key is its table name,
    // "Articoli" for the articles); empty when no node is selected or it has no key.
    virtual QString SelectedNodeKey() const = 0;
    // Selects the tree node of that key. The grid goes on showing what it showed until
    // RefreshDetailView.
    virtual void SelectNode(const QString& key) = 0;
    // Reads the view of the selected node again, with its own order and condition: a filter
    // set on the data set before is gone. The data set may be another object afterwards, so
    // callers ask CurrentDataSet again.
    virtual void RefreshDetailView() = 0;

    // The data set of the view the grid shows; null when it shows none (no view, a view
    // that is not a table's).
    virtual TableData* CurrentDataSet() = 0;
    // A filter was set on the current data set: the grid shows its rows again (none, when
    // no row meets it).
    virtual void DataSetFiltered() = 0;

    // The grid's selection of rows: emptied; one more row selected by its key (OID), which
    // also becomes the grid's current row, in sight.
    virtual void ClearSelection() = 0;
    virtual void SelectRow(qint64 oid) = 0;

    // Opens the row selected in the grid in its editor.
    virtual void mnuFileProperties_Click() = 0;
};

// The registered main window, or null when none is (tools, tests without one).
ArticleSearchHost* articleSearchHost();
void setArticleSearchHost(ArticleSearchHost* host);
