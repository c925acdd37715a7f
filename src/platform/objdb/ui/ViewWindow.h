#pragma once
// The library's window over a data set's rows: the grid, and the row commands (edit, new,
// delete). It works on a copy of the data set, so it stays valid after the window that
// opened it shows other rows.
#include <QWidget>
#include <memory>

class ObjDataGrid;
class TableData;

class ViewWindow : public QWidget {
    Q_OBJECT
public:
    ViewWindow(const TableData& data, const QString& caption, QWidget* owner = nullptr);
    ~ViewWindow() override;

    ObjDataGrid* Grid() const { return m_grid; }
    TableData& Data() const { return *m_data; }
    void EditCurrent();
    void NewRow();
    void DeleteSelected();

private:
    std::unique_ptr<TableData> m_data;
    ObjDataGrid* m_grid = nullptr;
};
