// The delivery-file import: the table a supplier's file reads into through one of the
// record layouts, as the import window shows it.
#include "MvTool.h"
#include "ShopFiles.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "documents/DeliveryFileReader.h"
#include "documents/DeliveryLayout.h"
#include "documents/DeliveryTable.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

#include <QFileInfo>

namespace {

// The layout by its key, else by the file it names.
std::unique_ptr<TableData> findLayout(Database& db, const QString& which)
{
    TableObject& table = *db.Tables().Item(QStringLiteral("TracciatiFornitura"));
    bool numeric = false;
    const qint64 key = which.toLongLong(&numeric);
    auto layout = numeric ? table.Select(table.BuildKeyCondition(key))
                          : table.Select(QStringLiteral("FileSorgente = ") + db.QuoteText(which));
    layout->MoveFirst();
    return layout;
}

// Empty columns print as nothing, the empty text as "", numbers in the C form.
QString cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QString();
    if (v.userType() == qMetaTypeId<Currency>()) return v.value<Currency>().toString();
    if (v.userType() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    const QString text = v.toString();
    return text.isEmpty() ? QStringLiteral("\"\"") : text;
}

int importDump(const QStringList& args)
{
    if (args.size() != 3) return 2;
    mvtool::OpenShop shop(args[0], std::make_shared<EuroCurrencyInfo>());
    auto row = findLayout(*shop.db, args[1]);
    if (row->IsEmpty()) {
        mvtool::err(QStringLiteral("no record layout %1").arg(args[1]));
        return 1;
    }
    const DeliveryLayout layout = DeliveryLayout::fromRow(*row);
    DeliveryTable table;
    DeliveryFileReader reader(layout, shop.db.get());
    try {
        reader.read(args[2], table);
    } catch (const DeliveryReadError& e) {
        for (const QString& line : e.messageText().split(u'\r')) mvtool::err(line);
        return 1;
    }
    table.sortForDisplay();
    QStringList header;
    for (int c = 0; c < table.columnCount(); ++c) header << table.column(c).name;
    mvtool::out(header.join(u'\t'));
    for (qsizetype r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c) cells << cellText(table.value(r, c));
        mvtool::out(cells.join(u'\t'));
    }
    mvtool::out(QStringLiteral("%1 Records").arg(table.rowCount()));
    return 0;
}

}   // namespace

MV_COMMAND("import-dump",
           "import-dump DB LAYOUT FILE  the table a delivery file reads into through a record layout "
           "(its OID or FileSorgente): kept records as the import shows them, tab-separated",
           importDump);
