#pragma once
// The library's application object, one per program: it opens a data set in the library's
// own windows (DataView: the rows' window, the pick list, the row editor, the field lists,
// the export), runs the filter and selection editor, picks a row of a table, and keeps grid
// layouts by name in an INI file.
//
//   auto view = LibraryApplication::Instance().OpenView(rows, owner, caption);
//   if (auto key = view->NewRow({"@InvertParent@", true})) rows.Requery();
#include "DataFilter.h"
#include "GridLayout.h"
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

class Database;
class ObjDataGrid;
class QWidget;
class TableData;
class itfProgress;
class LibraryApplication;

class DataView {
public:
    DataView(LibraryApplication& app, TableData& data, QWidget* owner, QString caption);

    TableData& Data() const { return m_data; }

    // Without modalChoice: the rows in the library's own window, which stays open on a copy
    // of the data set (nothing is returned). With it: the pick list showing `shownFields`
    // (comma list; empty: every field): the picked key, nothing when cancelled; after a pick
    // the data set's current row is the picked one.
    std::optional<qint64> Show(bool modalChoice = false, const QString& shownFields = QString());
    std::optional<qint64> PickRow(const QString& shownFields = QString()) { return Show(true, shownFields); }

    // The row editor on the current row. editable false only shows it; startField is where
    // the cursor starts; store false leaves the changes pending for the caller. The row's key,
    // or nothing when cancelled.
    std::optional<qint64> EditRow(bool editable = true, const QString& startField = QString(), bool store = true);
    // The row editor on a new row with preset (field, value, ...) pairs and the option keys
    // "@InvertParent@" and "@DisableParentIdentify@": the new row's key, or nothing.
    std::optional<qint64> NewRow(const QVariantList& presets = {});
    // Edits one field of the current row and stores it; true when confirmed.
    bool EditField(const QString& field, const QString& title = QString());

    // The field-selection window over the data set's fields, starting from `fields` (comma
    // list); with order true each field may be descending ("Campo DESC"): the order editor.
    // The chosen list, or nothing when cancelled.
    std::optional<QString> EditFieldList(const QString& fields, const QString& caption, bool order = false);
    std::optional<QString> ChooseFieldSequence(const QString& sequence,
                                               const QString& title
                                               = QStringLiteral("Sequenza di Visualizzazione Campi"))
    {
        return EditFieldList(sequence, title, false);
    }

    // Writes the shown fields of every row as an HTML table, in the file the operator
    // chooses (offered: "TableData.htm" in the export folder). False when cancelled or failed.
    bool Export(itfProgress* progress = nullptr);

    // Binds a grid to the data set with a layout and the columns hidden for this binding.
    void BindGrid(ObjDataGrid& grid, std::shared_ptr<GridLayout> layout, const QStringList& hiddenColumns = {});

private:
    LibraryApplication& m_app;
    TableData& m_data;
    QPointer<QWidget> m_owner;
    QString m_caption;
};
using DataDialog = DataView;

class LibraryApplication {
public:
    static LibraryApplication& Instance();

    std::unique_ptr<DataView> OpenView(TableData& data, QWidget* owner = nullptr, const QString& caption = QString());
    std::unique_ptr<DataView> GetDataDialog(TableData& data, QWidget* owner = nullptr,
                                            const QString& caption = QString())
    {
        return OpenView(data, owner, caption);
    }

    // The pick list over the rows of `table` meeting `condition` (Jet SQL; empty: all): the
    // picked key, or nothing when cancelled or when the table is unknown.
    std::optional<qint64> PickRow(Database& db, const QString& table, const QString& condition = QString(),
                                  const QString& shownFields = QString(), QWidget* owner = nullptr);

    // A new filter on the data set's table.
    std::unique_ptr<DataFilter> NewDataFilter(TableData& data) const;
    // The filter and selection editor; true when confirmed.
    bool EditFilter(DataFilter& filter, const QString& title, QWidget* owner = nullptr);

    // The layout `name` kept in `iniPath` (empty: GridLayout::DefaultFile()).
    std::shared_ptr<GridLayout> GetGridLayout(const QString& unused, const QString& name,
                                              const QString& iniPath = QString());

    // Where exports are offered (default: the per-user data folder).
    QString ExportFolder() const;
    void SetExportFolder(const QString& folder) { m_exportFolder = folder; }

    // The rows' windows still open.
    int OpenWindows() const;
    void CloseWindows();
    void keepWindow(QWidget* window);

private:
    QString m_exportFolder;
    std::vector<QPointer<QWidget>> m_windows;
};
