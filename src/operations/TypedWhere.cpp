#include "TypedWhere.h"
#include "base/AppError.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/JetSyntax.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

namespace {

const QString kSource = QStringLiteral("Selezione Query");
// Jet's number for a condition it cannot take.
constexpr int32_t kBadCondition = 3075;

QString written(const std::vector<JetName>& name)
{
    QStringList parts;
    for (const JetName& n : name) parts << n.text;
    return parts.join(u'.');
}

// The first thing in the tree that is not a plain expression over `names`.
std::optional<QString> refused(const JetExpr* e, const QStringList& names)
{
    if (!e) return std::nullopt;
    using K = JetExpr::Kind;
    switch (e->kind) {
    case K::Column: {
        const QString name = written(e->name);
        if (!names.contains(name, Qt::CaseInsensitive))
            return QStringLiteral("Il campo '%1' non può essere usato nella condizione dei dati visualizzati")
                .arg(name);
        break;
    }
    case K::Param: return QStringLiteral("La condizione non può contenere parametri (?)");
    case K::Star:
    case K::Exists:
    case K::Subquery: return QStringLiteral("La condizione non può contenere selezioni annidate");
    default: break;
    }
    if (e->select) return QStringLiteral("La condizione non può contenere selezioni annidate");
    for (const auto& a : e->args)
        if (auto why = refused(a.get(), names)) return why;
    return std::nullopt;
}

}   // namespace

QStringList TypedWhereNames(const TableData& ds)
{
    QStringList names {QStringLiteral("OID")};
    const QString table = ds.tableName();
    for (const FieldInfo& f : ds.GetFieldInfos()) {
        names << f.Name;
        if (!f.Name.contains(u'.')) names << table + u'.' + f.Name;
    }
    // "CodiciIva.Percentuale" and the like: columns of other tables the view's list reads.
    const QString list = ds.GetFieldList();
    if (!list.trimmed().isEmpty()) {
        try {
            for (const JetSelectItem& item : JetParser(list).parseWholeSelectList())
                if (item.expr && item.expr->kind == JetExpr::Kind::Column) names << written(item.expr->name);
        } catch (const AppError&) {
            // The data set was opened with this list, so it parses; were it not to, its own
            // fields are still the names allowed.
        }
    }
    names.removeDuplicates();
    return names;
}

std::optional<QString> CheckTypedWhere(const QString& condition, const QStringList& names)
{
    JetExprPtr tree;
    try {
        tree = JetParser(condition).parseWholeExpression();
    } catch (const AppError& e) {
        return QStringLiteral("La condizione non è un'espressione valida: ") + e.description;
    }
    return refused(tree.get(), names);
}

bool RunTypedWhere(TableData* ds)
{
    if (!ds) {
        ui().msgBox(QStringLiteral("Selezionare prima i dati da analizzare"), Msg::OKOnly);
        return false;
    }
    const std::optional<QString> typed
        = ui().inputBox(QStringLiteral("Immetti la clausola WHERE per la tabella ") + ds->tableName());
    if (!typed || typed->isEmpty()) return false;
    ui().status(*typed);
    const QString before = ds->GetSelectCondition();
    try {
        if (const auto why = CheckTypedWhere(*typed, TypedWhereNames(*ds)))
            throw AppError(kBadCondition, kSource, *why);
        ds->SelectWhere(*typed);
        ds->MoveFirst();
        return true;
    } catch (...) {
        ShowErrorDetails(QString());
    }
    // A condition the library refused must not stay in the data set: every later read
    // would fail on it.
    if (ds->GetSelectCondition() != before) ds->SelectWhere(before);
    return false;
}
