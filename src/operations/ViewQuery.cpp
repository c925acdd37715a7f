#include "ViewQuery.h"

QString CombineConditions(const QString& a, const QString& b)
{
    if (a.trimmed().isEmpty()) return b;
    if (b.trimmed().isEmpty()) return a;
    return QStringLiteral("(") + a + QStringLiteral(") AND ") + b;
}

QString ViewQuery::Statement(int top, const QString& extraCondition, const QString& orderOverride) const
{
    QString s = QStringLiteral("SELECT ");
    if (top > 0) s += QStringLiteral("TOP %1 ").arg(top);
    s += Fields.trimmed().isEmpty() ? QStringLiteral("*") : Fields;
    s += QStringLiteral(" FROM ") + Table;
    QString where = Where;
    if (!extraCondition.trimmed().isEmpty())
        where = where.trimmed().isEmpty()
            ? extraCondition
            : QStringLiteral("(") + where + QStringLiteral(") AND (") + extraCondition + QStringLiteral(")");
    if (!where.trimmed().isEmpty()) s += QStringLiteral(" WHERE ") + where;
    const QString order = !orderOverride.isEmpty() ? orderOverride : !Sort.trimmed().isEmpty() ? Sort : Order;
    if (!order.trimmed().isEmpty()) s += QStringLiteral(" ORDER BY ") + order;
    return s;
}
