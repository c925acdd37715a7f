// Suppliers' delivery files read through record layouts. An input is a layout and a file,
// split at the first byte 0x1E (no such byte: an empty file). The layout is text, one row
// a line:
//   F name|position|length|numeric|amount|compare|tolerance    a field
//   R position|text|exclude                                    a line selection
//   V conversion    K coefficient    S filter                  the layout's own values
// Every value is stored through plain SQL as the text given (empty or missing: Null), so a
// layout may hold what a damaged or hand-edited file holds: texts in number fields, numbers
// past 32 bits, fractions in positions. S picks one of a few fixed row filters; scripts of
// any text are the interpreter's own target's business.
//
// The layout is read from its rows as the import reads it, and may be refused with an
// AppError. The file is then read through it: the reading ends or fails with its own
// error, nothing else. Whatever was read shows the table's promises (values typed as their
// column, texts within the column's width) and, when the filter keeps every record as it
// was, one record for each kept line up to the failure, each field read from within its
// line. Nothing in the scratch folder changes but the shop file.
#include "FuzzShop.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/configuration/DefaultScripts.h"
#include "documents/DeliveryFileReader.h"
#include "documents/DeliveryLayout.h"
#include "documents/DeliveryTable.h"
#include "objdb/Notify.h"
#include "objdb/SqlConnection.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QSet>
#include <QVariant>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

struct Shop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    QString shopFile;
    QString deliveryFile;
    QSet<QString> known;   // the scratch folder before any input, the shop file aside
};

QSet<QString> everythingUnder(const QString& dir, const QString& except)
{
    QSet<QString> out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.startsWith(except))   // the shop file and its journal
            out.insert(path);
    }
    return out;
}

Shop& shop()
{
    static Shop* s = [] {
        fuzzsupport::ShopFile& base = fuzzsupport::shopFile("fuzz_delivery");
        const QString root = fuzzsupport::scratchRoot();
        auto* shop = new Shop;
        shop->shopFile = base.path;
        shop->engine = base.engine;
        shop->db = base.db;
        QDir().mkpath(root + QStringLiteral("/delivery"));
        shop->deliveryFile = root + QStringLiteral("/delivery/fornitura.txt");
        QFile file(shop->deliveryFile);
        if (!file.open(QIODevice::WriteOnly)) std::abort();
        file.close();
        shop->known = everythingUnder(root, shop->shopFile);
        return shop;
    }();
    return *s;
}

// The filters a layout may carry. The first and the third keep every record as read.
enum Filter { KeepAll, KeepNone, WriteBack, NewTemplate, FullTemplate, TwoFields, FilterCount };

QString filterScript(int which)
{
    switch (which) {
    case KeepNone: return QStringLiteral("Function FilterRow(Flds)\r\nEnd Function\r\n");
    case WriteBack:
        // Each value goes out to the script and back into its column unchanged.
        return QStringLiteral("Function FilterRow(Flds)\r\n"
                              "  Dim i\r\n"
                              "  For i = 0 To Flds.Count - 1\r\n"
                              "    If Not IsNull(Flds(i).Value) Then Flds(i).Value = Flds(i).Value\r\n"
                              "  Next\r\n"
                              "  FilterRow = True\r\n"
                              "End Function\r\n");
    case NewTemplate: return NewLayoutFilterTemplate();
    case FullTemplate: return FullLayoutFilterTemplate();
    case TwoFields:
        return QStringLiteral("Function FilterRow(Flds)\r\n"
                              "  Flds(\"ValoreCarico\").Value = Flds(\"ValoreCarico\").Value / 100\r\n"
                              "  Flds(\"CodiceIva\") = \"IVA\" & Flds(\"Iva\")\r\n"
                              "  If IsNull(Flds(\"Descrizione\")) Then Exit Function\r\n"
                              "  FilterRow = (Flds(\"TipoRecord\").Value = \"D\")\r\n"
                              "End Function\r\n");
    default: return QStringLiteral("Function FilterRow(Flds)\r\n  FilterRow = True\r\nEnd Function\r\n");
    }
}

// The i-th piece of a row as stored: Null when empty or missing.
QVariant stored(const QStringList& parts, qsizetype i)
{
    return i < parts.size() && !parts[i].isEmpty() ? QVariant(parts[i]) : QVariant();
}

// Stores the layout part as layout 1 and gives the filter it chose.
int storeLayout(const QString& text)
{
    SqlConnection& sql = shop().engine->sql();
    for (const char* table : {"TracciatiFornitura", "CampiTracciato", "SelezioniTracciato",
                              "\"TracciatiFornitura$Campi\"", "\"TracciatiFornitura$Selezioni\""})
        sql.execute(QStringLiteral("DELETE FROM ") + QString::fromLatin1(table));

    QVariant conversion = QStringLiteral("0");
    QVariant coefficient = QStringLiteral("0");
    int filter = KeepAll;
    int fields = 0, selections = 0;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.size() < 2 || line[1] != u' ') continue;
        const QStringList parts = line.mid(2).split(u'|');
        switch (line[0].unicode()) {
        case 'F':
            if (fields == 24) break;
            ++fields;
            sql.execute(
                QStringLiteral("INSERT INTO CampiTracciato (OID, NomeCampo, Posizione, Lunghezza, CampoNumerico, "
                               "CampoImporto, RilevaDifferenze, ValoreMaxDifferenza, Note) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, '')"),
                {QVariant(qint64(fields)), stored(parts, 0), stored(parts, 1), stored(parts, 2), stored(parts, 3),
                 stored(parts, 4), stored(parts, 5), stored(parts, 6)});
            sql.execute(QStringLiteral("INSERT INTO \"TracciatiFornitura$Campi\" (OwnerOID, MemberOID) VALUES (1, ?)"),
                        {QVariant(qint64(fields))});
            break;
        case 'R':
            if (selections == 8) break;
            ++selections;
            sql.execute(QStringLiteral("INSERT INTO SelezioniTracciato (OID, Posizione, Contenuto, Escludi, Note) "
                                       "VALUES (?, ?, ?, ?, '')"),
                        {QVariant(qint64(selections)), stored(parts, 0), stored(parts, 1), stored(parts, 2)});
            sql.execute(
                QStringLiteral("INSERT INTO \"TracciatiFornitura$Selezioni\" (OwnerOID, MemberOID) VALUES (1, ?)"),
                {QVariant(qint64(selections))});
            break;
        case 'V': conversion = stored(parts, 0); break;
        case 'K': coefficient = stored(parts, 0); break;
        case 'S': filter = int(uint(parts[0].toUInt()) % FilterCount); break;
        default: break;
        }
    }
    sql.execute(QStringLiteral("INSERT INTO TracciatiFornitura (OID, FileSorgente, Note, VBFilter, ConversioneValuta, "
                               "CoefficienteValuta) VALUES (1, ?, '', ?, ?, ?)"),
                {QVariant(shop().deliveryFile), QVariant(filterScript(filter)), conversion, coefficient});
    return filter;
}

QString shown(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QStringLiteral("Null");
    if (v.userType() == qMetaTypeId<Currency>()) return v.value<Currency>().toString();
    return v.toString();
}

// Values typed as their column, texts no wider than it, numbers finite.
void checkTable(const DeliveryTable& table)
{
    for (qsizetype r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c) {
            const DeliveryTable::Column& column = table.column(c);
            const QVariant v = table.value(r, c);
            if (!v.isValid() || v.isNull()) continue;
            const char* wrong = nullptr;
            switch (column.kind) {
            case DeliveryTable::Kind::Text:
                if (v.userType() != QMetaType::QString)
                    wrong = "a text column holds another type";
                else if (column.width > 0 && v.toString().size() > column.width)
                    wrong = "a text wider than its column";
                break;
            case DeliveryTable::Kind::Number:
                if (v.userType() != QMetaType::Double)
                    wrong = "a number column holds another type";
                else if (!std::isfinite(v.toDouble()))
                    wrong = "a number that is no number";
                break;
            case DeliveryTable::Kind::Amount:
                if (v.userType() != qMetaTypeId<Currency>()) wrong = "an amount column holds another type";
                break;
            }
            if (wrong)
                fuzzsupport::broken(QStringLiteral("%1: row %2, column %3, value <%4>")
                                        .arg(QString::fromLatin1(wrong))
                                        .arg(r)
                                        .arg(column.name, shown(v)));
        }
}

// A record kept as read: every field lies within its line, or the column is empty because
// the line is too short for it.
void checkRecord(const DeliveryTable& table, qsizetype row, const QString& line, const DeliveryLayout& layout,
                 LineEncoding encoding)
{
    for (const LayoutField& f : layout.fields) {
        const int c = table.indexOf(f.name);
        if (c < 0) fuzzsupport::broken(QStringLiteral("no column for field <%1>").arg(f.name));
        const QVariant v = table.value(row, c);
        const qint64 start = qint64(f.position) - 1;
        const qint64 width = std::max(f.length, 0);
        const bool within = f.position >= 1 && start + width <= line.size();
        const bool empty = !v.isValid() || v.isNull();
        if (within == empty)
            fuzzsupport::broken(QStringLiteral("field <%1> at %2 for %3 is %4 in line <%5>")
                                    .arg(f.name)
                                    .arg(f.position)
                                    .arg(f.length)
                                    .arg(shown(v), line));
        if (empty || table.column(c).kind != DeliveryTable::Kind::Text) continue;
        const QString text = v.toString();
        const QString window = laidOutText(QStringView(line).mid(start, width), encoding);
        if (!window.contains(text) || text.startsWith(u' ') || text.endsWith(u' '))
            fuzzsupport::broken(QStringLiteral("field <%1> reads <%2> from <%3>").arg(f.name, text, window));
    }
}

void writeDelivery(QByteArrayView bytes)
{
    QFile f(shop().deliveryFile);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Shop& s = shop();
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\x1e');
    const QByteArrayView layoutPart = split < 0 ? input : input.first(split);
    writeDelivery(split < 0 ? QByteArrayView() : input.sliced(split + 1));
    const int filter = storeLayout(QString::fromUtf8(layoutPart));

    DeliveryLayout layout;
    try {
        auto row = s.db->Tables().Item(QStringLiteral("TracciatiFornitura"))->Select(QStringLiteral("OID = 1"));
        row->MoveFirst();
        layout = DeliveryLayout::fromRow(*row);
    } catch (const AppError&) {
        return 0;   // a layout row that does not read is refused
    }

    DeliveryFileReader reader(layout, s.db.get());
    DeliveryTable table;
    qint64 failedAt = -1;
    try {
        reader.read(s.deliveryFile, table);
    } catch (const DeliveryReadError& e) {
        failedAt = e.record;
        if (e.record != reader.linesRead())
            fuzzsupport::broken(
                QStringLiteral("failure at record %1 after %2 lines").arg(e.record).arg(reader.linesRead()));
        if (e.messageText().isEmpty()) fuzzsupport::broken(QStringLiteral("a failure without a message"));
    }

    QStringList lines;
    LineEncoding encoding = LineEncoding::SingleByte;
    {
        DeliveryLineSource source(s.deliveryFile);
        encoding = source.encoding();
        QString line;
        while (source.next(line)) {
            if (line.contains(u'\r') || line.contains(u'\n'))
                fuzzsupport::broken(QStringLiteral("a line holds a line end: <%1>").arg(line));
            lines << line;
        }
    }
    if (failedAt < 0 && reader.linesRead() != lines.size())
        fuzzsupport::broken(QStringLiteral("%1 lines read of %2").arg(reader.linesRead()).arg(lines.size()));
    if (failedAt > lines.size())
        fuzzsupport::broken(QStringLiteral("failure at record %1 of %2").arg(failedAt).arg(lines.size()));

    if (table.columnCount() > 0 && size_t(table.columnCount()) != layout.fields.size())
        fuzzsupport::broken(
            QStringLiteral("%1 columns for %2 fields").arg(table.columnCount()).arg(layout.fields.size()));
    checkTable(table);

    // The lines whose records were complete: all of them, or those before the failing one.
    const qsizetype done = failedAt < 0 ? lines.size() : std::max<qsizetype>(failedAt - 1, 0);
    QStringList kept;
    const std::vector<LineSelection> selections = layout.laidOutSelections(encoding);
    for (qsizetype i = 0; i < done; ++i)
        if (DeliveryLayout::keeps(lines[i], selections)) kept << lines[i];
    if (filter == KeepNone && table.rowCount() != 0)
        fuzzsupport::broken(QStringLiteral("a filter that keeps nothing kept %1 records").arg(table.rowCount()));
    if (table.rowCount() > kept.size())
        fuzzsupport::broken(QStringLiteral("%1 records from %2 kept lines").arg(table.rowCount()).arg(kept.size()));
    if (filter == KeepAll || filter == WriteBack) {
        if (table.rowCount() != kept.size())
            fuzzsupport::broken(QStringLiteral("%1 records from %2 kept lines").arg(table.rowCount()).arg(kept.size()));
        for (qsizetype r = 0; r < table.rowCount(); ++r) checkRecord(table, r, kept[r], layout, encoding);
    }

    const qsizetype rows = table.rowCount();
    table.sortForDisplay();
    if (table.rowCount() != rows) fuzzsupport::broken(QStringLiteral("sorting changed the number of records"));
    checkTable(table);

    if (everythingUnder(fuzzsupport::scratchRoot(), s.shopFile) != s.known)
        fuzzsupport::broken(QStringLiteral("the reading wrote a file"));
    return 0;
}
