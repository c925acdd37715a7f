#include "SortOrder.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/JetSyntax.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"

namespace {

// The column an order term sorts by, as its name parts; empty when the term is an expression.
QStringList columnOf(const JetOrderItem& item)
{
    QStringList parts;
    if (item.expr && item.expr->kind == JetExpr::Kind::Column)
        for (const JetName& n : item.expr->name) parts << n.text;
    return parts;
}

bool sameColumn(const QStringList& a, const QStringList& b)
{
    if (a.isEmpty() || a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].compare(b[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

std::vector<JetOrderItem> parsedOrder(const QString& text)
{
    if (text.trimmed().isEmpty()) return {};
    try {
        return JetParser(text).parseWholeOrderList();
    } catch (const AppError&) {
        // An order the parser cannot read names no column we could turn round.
        return {};
    }
}

}   // namespace

QString ToggledOrder(const QString& requested, const QString& current)
{
    if (requested.contains(u' ') || requested.contains(u',')) return requested;
    if (requested.isEmpty()) return requested;
    const std::vector<JetOrderItem> wanted = parsedOrder(requested);
    if (wanted.size() != 1) return requested;
    const QStringList column = columnOf(wanted.front());
    for (const JetOrderItem& term : parsedOrder(current)) {
        if (!sameColumn(columnOf(term), column)) continue;
        return requested + (term.direction == QLatin1String("DESC") ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    return requested;
}

bool ToggleSortOrder(const QString& requested, TableData& ds)
{
    const QString order = ToggledOrder(requested, ds.GetOrder());
    try {
        ds.SetOrder(order);
        return true;
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
        return false;
    }
}
