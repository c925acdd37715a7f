#include "LibraryApplication.h"
#include "objdb/Database.h"
#include "EditFieldDialog.h"
#include "FieldSequenceDialog.h"
#include "FilterEditor.h"
#include "objdb/Notify.h"
#include "ObjDataGrid.h"
#include "PickRowDialog.h"
#include "RowEditor.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "ViewWindow.h"
#include <QDir>
#include <QFile>
#include <QStandardPaths>

// --- DataView -------------------------------------------------------------------------------------------------

DataView::DataView(LibraryApplication& app, TableData& data, QWidget* owner, QString caption)
    : m_app(app), m_data(data), m_owner(owner), m_caption(std::move(caption))
{ }

std::optional<qint64> DataView::Show(bool modalChoice, const QString& shownFields)
{
    if (modalChoice) return PickRowDialog::Pick(m_data, shownFields, m_caption, m_owner);
    auto* window = new ViewWindow(m_data, m_caption, m_owner);
    m_app.keepWindow(window);
    window->show();
    return std::nullopt;
}

std::optional<qint64> DataView::EditRow(bool editable, const QString& startField, bool store)
{
    RowEditorOptions options;
    options.editable = editable;
    options.startField = startField;
    options.store = store;
    options.caption = m_caption;
    return RowEditor::EditRow(m_data, options, m_owner);
}

std::optional<qint64> DataView::NewRow(const QVariantList& presets)
{
    return RowEditor::NewRow(m_data, presets, m_owner);
}

bool DataView::EditField(const QString& field, const QString& title)
{
    return EditFieldDialog::Edit(m_data, field, title, true, m_owner);
}

std::optional<QString> DataView::EditFieldList(const QString& fields, const QString& caption, bool order)
{
    std::vector<FieldSequenceDialog::Field> offered;
    for (const FieldInfo& i : m_data.GetFieldInfos())
        if (i.Shown) offered.push_back({i.Name, i.Caption});
    return FieldSequenceDialog::Choose(std::move(offered), fields, caption, order, m_owner);
}

bool DataView::Export(itfProgress* progress)
{
    const QString folder = m_app.ExportFolder();
    QDir().mkpath(folder);
    const auto path
        = ui().saveFileName(QStringLiteral("Esportazione dati"), QStringLiteral("Pagine HTML (*.htm *.html)"),
                            folder + QStringLiteral("/TableData.htm"));
    if (!path || path->isEmpty()) return false;
    // Only what the operator may see leaves the program.
    QStringList shown;
    for (const FieldInfo& i : m_data.GetFieldInfos())
        if (i.Shown && i.TypeCode != -1) shown << i.Name;
    if (QFile::exists(*path)) QFile::remove(*path);
    if (!m_data.Export(2, *path, progress, shown.join(u','))) {
        ui().msgBox(QStringLiteral("Impossibile scrivere il file ") + *path, int {Msg::OKOnly} | Msg::Exclamation);
        return false;
    }
    return true;
}

void DataView::BindGrid(ObjDataGrid& grid, std::shared_ptr<GridLayout> layout, const QStringList& hiddenColumns)
{
    grid.BindLayout(std::move(layout), hiddenColumns);
    grid.SetDataSet(&m_data);
}

// --- LibraryApplication ------------------------------------------------------------------------------------------

LibraryApplication& LibraryApplication::Instance()
{
    static LibraryApplication app;
    return app;
}

std::unique_ptr<DataView> LibraryApplication::OpenView(TableData& data, QWidget* owner, const QString& caption)
{
    return std::make_unique<DataView>(*this, data, owner, caption);
}

std::optional<qint64> LibraryApplication::PickRow(Database& db, const QString& table, const QString& condition,
                                                  const QString& shownFields, QWidget* owner)
{
    TableObject* t = db.FindTable(table);
    if (!t) return std::nullopt;
    auto rows = t->Select(condition);
    return PickRowDialog::Pick(*rows, shownFields, QString(), owner);
}

std::unique_ptr<DataFilter> LibraryApplication::NewDataFilter(TableData& data) const
{
    TableObject* table = data.GetTable();
    if (!table) return nullptr;
    return std::make_unique<DataFilter>(*table);
}

bool LibraryApplication::EditFilter(DataFilter& filter, const QString& title, QWidget* owner)
{
    return FilterEditor::Edit(filter, title, owner);
}

std::shared_ptr<GridLayout> LibraryApplication::GetGridLayout(const QString&, const QString& name,
                                                              const QString& iniPath)
{
    return std::make_shared<GridLayout>(name, iniPath.isEmpty() ? GridLayout::DefaultFile() : iniPath);
}

QString LibraryApplication::ExportFolder() const
{
    return m_exportFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                    : m_exportFolder;
}

void LibraryApplication::keepWindow(QWidget* window)
{
    std::erase_if(m_windows, [](const QPointer<QWidget>& w) { return w.isNull(); });
    m_windows.emplace_back(window);
}

int LibraryApplication::OpenWindows() const
{
    int n = 0;
    for (const auto& w : m_windows) n += w.isNull() ? 0 : 1;
    return n;
}

void LibraryApplication::CloseWindows()
{
    for (const auto& w : m_windows)
        if (w) w->close();
    m_windows.clear();
}
