// The database library's windows for `mvtool shot`, over the rows of a table: the row
// editor, the pick list, the grid, the rows' window, the field-sequence dialog and the filter
// editor. Without --db they show a small sample shop made for the picture in a temporary
// folder; --level is the operator's access level (0 operator, 1 administrator).
#include "base/AppError.h"
#include "base/Currency.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/ui/FieldSequenceDialog.h"
#include "objdb/ui/FilterEditor.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/ui/PickRowDialog.h"
#include "objdb/ui/RowEditor.h"
#include "ShotOptions.h"
#include "ShotSample.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "objdb/ui/ViewWindow.h"
#include "dialogs/WindowRegistry.h"
#include <QFile>
#include <QTemporaryDir>

namespace {

// The database of the pictures, kept for the life of the tool.
struct Shop {
    QTemporaryDir dir;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    std::vector<std::unique_ptr<TableData>> rows;
};

Shop& shop()
{
    static Shop s = [] {
        Shop x;
        const mvtool::ShotOptions& o = mvtool::shotOptions();
        const bool sample = o.database.isEmpty();
        const QString path = sample ? x.dir.path() + QStringLiteral("/Mirtavolia.mdb") : o.database;
        if (!sample && !QFile::exists(path))
            throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("File inesistente: ") + path);
        x.engine = std::make_shared<DBEngine>();
        if (sample) x.engine->CreateDatabase(3, path);
        x.engine->OpenDatabase(3, path);
        x.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        x.db->AttachEngine(x.engine);
        if (sample) mvtool::FillSampleShop(*x.db);
        return x;
    }();
    return s;
}

// The rows of the table asked for (default `table`), standing on the first one, at the level asked for.
TableData& rowsOf(const QString& table)
{
    Shop& s = shop();
    const mvtool::ShotOptions& o = mvtool::shotOptions();
    const QString name = o.table.isEmpty() ? table : o.table;
    TableObject* t = s.db->FindTable(name);
    if (!t) throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Tabella inesistente: ") + name);
    s.db->SetAccessLevel(o.level);
    s.rows.push_back(t->Select());
    TableData& rows = *s.rows.back();
    rows.MoveFirst();
    return rows;
}

QWidget* rowEditor()
{
    TableData& rows = rowsOf(QStringLiteral("Articoli"));
    if (mvtool::shotOptions().newRow) {
        rows.NewRow();
        return new RowEditor(rows, {});
    }
    if (rows.IsEOF())
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Nessun elemento in ") + rows.tableName());
    return new RowEditor(rows, {});
}

QWidget* grid()
{
    auto* g = new ObjDataGrid(nullptr, QStringLiteral("dgView"));
    g->SetDataSet(&rowsOf(QStringLiteral("Articoli")));
    g->resize(760, 280);
    return g;
}

std::vector<FieldSequenceDialog::Field> fieldsOf(TableData& rows)
{
    std::vector<FieldSequenceDialog::Field> out;
    for (const FieldInfo& i : rows.GetFieldInfos())
        if (i.Shown) out.push_back({i.Name, i.Caption});
    return out;
}

}   // namespace

MV_REGISTER_WINDOW(RowEditor, rowEditor);
MV_REGISTER_WINDOW(PickRowDialog, [] {
    return new PickRowDialog(rowsOf(QStringLiteral("Articoli")), QStringLiteral("Codice,Descrizione,PrezzoVendita"),
                             QString());
});
MV_REGISTER_WINDOW(ObjDataGrid, grid);
MV_REGISTER_WINDOW(ViewWindow, [] { return new ViewWindow(rowsOf(QStringLiteral("Articoli")), QString()); });
MV_REGISTER_WINDOW(FieldSequenceDialog, [] {
    return new FieldSequenceDialog(fieldsOf(rowsOf(QStringLiteral("Articoli"))),
                                   QStringLiteral("Descrizione,Codice,PrezzoVendita"),
                                   QStringLiteral("Sequenza di Visualizzazione Campi"));
});
MV_REGISTER_WINDOW(FilterEditor, [] {
    static std::unique_ptr<DataFilter> filter;
    TableData& rows = rowsOf(QStringLiteral("Articoli"));
    filter = std::make_unique<DataFilter>(*rows.GetTable());
    filter->AddCondition(QStringLiteral("Descrizione"), QStringLiteral("Like"), QStringLiteral("Pane*"));
    filter->AddCondition(QStringLiteral("PrezzoVendita"), QStringLiteral(">="), QStringLiteral("1,50"));
    return new FilterEditor(*filter, QStringLiteral("FILTRO COMPLESSO"));
});
