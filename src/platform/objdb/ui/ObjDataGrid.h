#pragma once
// The data grid over a data set. Rows are read lazily (LazyTableModel);
// bookmarks are row OIDs, never row positions, so the current and selected rows survive a
// refresh that removes rows above them. Columns follow the grid's layout (field sequence,
// widths, hidden columns) and the operator's access level (a field the level may not see
// has no column).
//
// The layout: a named one bound by the caller (BindLayout: the document forms' row grids),
// or, with a layout file set, one per table shown, named "<grid name>_<table>", loaded at
// each attach; the one before is saved when it changed.
#include "GridLayout.h"
#include "LazyTableModel.h"
#include <QWidget>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QTableView;
class TableData;

class ObjDataGrid : public QWidget {
    Q_OBJECT
public:
    explicit ObjDataGrid(QWidget* parent = nullptr, const QString& name = QStringLiteral("dgView"));
    ~ObjDataGrid() override;

    // --- the rows shown ---------------------------------------------------------------------
    // Shows `data` (null: nothing). The data set must outlive the attachment; the grid reads
    // through a copy of its cursor, so the data set's current row moves only when the caller
    // moves it (PositionDataSet).
    void SetDataSet(TableData* data);
    void Detach() { SetDataSet(nullptr); }
    TableData* DataSet() const { return m_data; }
    bool IsAttached() const { return m_model->HasSource(); }
    // Reads the rows again (after the data set's rows, filter or order changed); the current
    // and selected rows are kept by OID.
    void Refresh();
    // Makes the grid's current row the data set's current row; false when there is none.
    bool PositionDataSet();

    // --- bookmarks (OIDs) ---------------------------------------------------------------------
    std::optional<qint64> Bookmark() const;   // the current row; none when there is none
    void SetBookmark(qint64 oid);   // found among the rows, read if needed
    std::vector<qint64> SelectedBookmarks() const;   // selected rows read so far, in row order
    int SelectedCount() const { return int(SelectedBookmarks().size()); }
    void RemoveSelected(int index);   // unselects the index-th selected bookmark
    void ClearSelection();
    int CurrentRow() const;   // -1 when none

    // --- columns and cells --------------------------------------------------------------------
    QString CurrentColumnField() const;   // empty when no column is current
    QString CurrentCellText() const;
    QStringList ShownFields() const;   // in the order the operator sees them
    // 1 while the pointer (at the last mouse release) was over a cell, else 0.
    int CellIndicator() const { return m_cellIndicator; }
    int HeaderHeight() const;

    // --- layout -------------------------------------------------------------------------------
    void SetLayoutFile(const QString& iniPath) { m_layoutFile = iniPath; }
    // The caller's layout for this grid, with columns hidden for this binding only.
    void BindLayout(std::shared_ptr<GridLayout> layout, const QStringList& hiddenColumns = {});
    GridLayout* Layout() const { return m_layout.get(); }
    std::shared_ptr<GridLayout> SharedLayout() const { return m_layout; }
    // Sequence, widths and hidden columns back to none; the columns are laid out again.
    void ResetColumns();
    // Every field until the next attach or binding; the stored sequence is unchanged.
    void ShowAllFields();
    // The field-sequence dialog over the data set's fields; on OK the layout takes the new
    // sequence and the columns are laid out again. True when confirmed.
    bool FieldSequenceDialog(const QString& title = QStringLiteral("Sequenza di Visualizzazione Campi"));
    // Lays the columns out again from the layout (after the caller changed it).
    void ApplyLayout();

    // --- switches set at each attach by the main window ---------------------------------------
    bool RowCommands() const { return m_rowCommands; }   // open, add and delete rows from the grid
    void SetRowCommands(bool on) { m_rowCommands = on; }
    bool MultipleSelection() const { return m_multiSelect; }   // several rows may be selected
    void SetMultipleSelection(bool on);

    QTableView* View() const { return m_view; }
    LazyTableModel* Model() const { return m_model; }

signals:
    void DblClick();
    // consumed: set to true to keep the grid from acting on the key.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers, bool* consumed);
    // x, y in the grid's own coordinates: y up to HeaderHeight() is the column header.
    void MouseUp(Qt::MouseButtons button, Qt::KeyboardModifiers modifiers, int x, int y);
    // A column header was clicked; handled: set to true and the grid does not sort by itself.
    void SortRequest(const QString& field, bool* handled);
    void ColResize(const QString& field, int width);
    void RowColChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attachSource(std::unique_ptr<RowSource> source, const QString& table);
    QStringList chosenFields(const std::vector<GridColumn>& offered) const;
    void applyWidths();
    void prefetchVisible();
    void sortBy(const QString& field);
    void columnMoved();
    void keepSelection();
    void restoreSelection(int first, int last);
    void located(qint64 oid, int row);
    void openTableLayout(const QString& table);

    QString m_name;
    QTableView* m_view = nullptr;
    LazyTableModel* m_model = nullptr;
    TableData* m_data = nullptr;
    std::shared_ptr<GridLayout> m_layout;
    bool m_layoutBound = false;
    QStringList m_bindingHidden;
    bool m_showAll = false;
    QString m_layoutFile;
    bool m_rowCommands = false;
    bool m_multiSelect = false;
    bool m_applying = false;
    int m_cellIndicator = 0;
    // Kept across a refresh until the rows are found again.
    std::optional<qint64> m_restoreCurrent;
    std::set<qint64> m_restoreSelected;
    int m_restoreColumn = 0;
};
