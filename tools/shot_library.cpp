// The database library's windows for `mvtool shot`, over the rows of a table: the row
// editor, the pick list, the grid, the rows' window, the field-sequence dialog and the filter
// editor. Without --db they show a small sample shop made for the picture in a temporary
// folder; --level is the operator's access level (0 operator, 1 administrator).
#include "AppError.h"
#include "Currency.h"
#include "DB.h"
#include "DBEngine.h"
#include "Database.h"
#include "FieldSequenceDialog.h"
#include "FilterEditor.h"
#include "ObjDataGrid.h"
#include "PickRowDialog.h"
#include "RowEditor.h"
#include "ShotOptions.h"
#include "TableData.h"
#include "TableObject.h"
#include "ViewWindow.h"
#include "WindowRegistry.h"
#include <QFile>
#include <QTemporaryDir>

namespace {

QVariant money(const char* text) { return QVariant::fromValue(*Currency::parse(QString::fromLatin1(text), QLocale::c())); }

// A few rows of every kind the windows show: articles with departments, units, prices and a
// supplier, a customer, a sale with its lines.
void fillSample(Database& db)
{
    auto table = [&](const char* name) { return db.Tables().Item(QString::fromLatin1(name))->Select(); };
    const qint64 supplier = table("Fornitori")->AddRow({"Descrizione", "Forno Rossi", "Telefono", "0577 123456"});
    auto articles = table("Articoli");
    const qint64 bread = articles->AddRow({"Codice", "8001", "Descrizione", "Pane casereccio", "PrezzoVendita", money("2.40"),
                                           "PrezzoAcquisto", money("1.10"), "ValoreScorta", 12.0, "Reparto", "01"});
    const qint64 milk = articles->AddRow({"Codice", "8002", "Descrizione", "Latte intero 1 l", "PrezzoVendita", money("1.35"),
                                          "PrezzoAcquisto", money("0.80"), "ValoreScorta", 30.0, "Reparto", "04"});
    articles->AddRow({"Codice", "8003", "Descrizione", "Mele golden al kg", "PrezzoVendita", money("1.90"),
                      "PrezzoAcquisto", money("0.95"), "ValoreScorta", 25.5, "Reparto", "02"});
    if (articles->MoveToOID(bread)) articles->AddToList("Fornitori", supplier);
    const qint64 customer = table("Clienti")->AddRow({"Descrizione", "Maria Bianchi", "Codice", "C001"});
    auto sales = db.Tables().Item("Vendite")->Select("OID = 0");
    sales->NewRow();
    sales->SetReferenceOID("Cliente", customer);
    sales->SetValue("Note", QStringLiteral("Consegna a domicilio"));
    sales->Update();
    for (auto [article, quantity] : {std::pair{bread, 2.0}, std::pair{milk, 3.0}}) {
        auto lines = sales->GetReference("Articoli");
        lines->NewRow();
        lines->SetParent(article);
        lines->SetValue("ValoreScarico", quantity);
        lines->Update();
    }
    // The totals the lines' rules kept are the sale's to store.
    sales->Update();
}

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
        if (!sample && !QFile::exists(path)) throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("File inesistente: ") + path);
        x.engine = std::make_shared<DBEngine>();
        if (sample) x.engine->CreateDatabase(3, path);
        x.engine->OpenDatabase(3, path);
        x.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        x.db->AttachEngine(x.engine);
        if (sample) fillSample(*x.db);
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
    if (rows.IsEOF()) throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Nessun elemento in ") + rows.tableName());
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

}  // namespace

MV_REGISTER_WINDOW(RowEditor, rowEditor);
MV_REGISTER_WINDOW(PickRowDialog, [] {
    return new PickRowDialog(rowsOf(QStringLiteral("Articoli")), QStringLiteral("Codice,Descrizione,PrezzoVendita"), QString());
});
MV_REGISTER_WINDOW(ObjDataGrid, grid);
MV_REGISTER_WINDOW(ViewWindow, [] { return new ViewWindow(rowsOf(QStringLiteral("Articoli")), QString()); });
MV_REGISTER_WINDOW(FieldSequenceDialog, [] {
    return new FieldSequenceDialog(fieldsOf(rowsOf(QStringLiteral("Articoli"))), QStringLiteral("Descrizione,Codice,PrezzoVendita"),
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
