#include "ReportLayout.h"
#include "base/AppError.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

// Text form of a layout (JSON). Either a full band layout:
//   { "name", "caption",
//     "page": { "size": "A4" | "A3" | "A5" | "Letter" | "Legal" | [w, h],
//               "orientation": "portrait" | "landscape", "margins": [left, top, right, bottom] },
//     "font": { "family", "size", "bold", "italic" },
//     "reportHeader" | "pageHeader" | "detail" | "pageFooter" | "reportFooter": BAND,
//     "groups": [ { "field", "header": BAND, "footer": BAND, "repeatHeader" } ] }
//   BAND = { "height", "newPageBefore", "newPageAfter", "canGrow", "items": [ ITEM... ] }
//   ITEM = { "type": "label" | "field" | "sum" | "count" | "average" | "line" | "box" | "page" | "title",
//            "at": [x, y, w, h], "text", "field", "format", "null", "scope": "group" | "report",
//            "align": "left" | "center" | "right", "font": {...} or "bold"/"italic"/"size"/"family",
//            "width" (line width), "wrap" }
// or a column report (see TabularSpec):
//   { "name", "caption", "page", "font", "rowHeight", "pageFooter": "Pag. %p / %P",
//     "columns": [ { "heading", "field", "width", "format", "total", "align" } ],
//     "count": { "label", "format" } }
// All measures are millimetres, font sizes points. Unknown keys are refused, so a typing
// slip in a layout shows at once instead of as a silently missing column.

namespace report {

namespace {
const QString kSource = QStringLiteral("Report");

[[noreturn]] void fail(const QString& what)
{
    throw AppError(AppError::kInvalidCall, kSource, QStringLiteral("Layout del report non valido: ") + what);
}

void checkKeys(const QJsonObject& o, std::initializer_list<const char*> allowed, const QString& where)
{
    QSet<QString> ok;
    for (const char* k : allowed) ok.insert(QString::fromLatin1(k));
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!ok.contains(it.key())) fail(QStringLiteral("chiave sconosciuta \"%1\" in %2").arg(it.key(), where));
}

double number(const QJsonValue& v, const QString& what)
{
    if (!v.isDouble()) fail(QStringLiteral("%1 deve essere un numero").arg(what));
    return v.toDouble();
}

QString text(const QJsonValue& v, const QString& what)
{
    if (!v.isString()) fail(QStringLiteral("%1 deve essere un testo").arg(what));
    return v.toString();
}

bool flag(const QJsonValue& v, const QString& what)
{
    if (!v.isBool()) fail(QStringLiteral("%1 deve essere true o false").arg(what));
    return v.toBool();
}

QList<double> numbers(const QJsonValue& v, int count, const QString& what)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != count) fail(QStringLiteral("%1 deve avere %2 numeri").arg(what).arg(count));
    QList<double> out;
    for (const auto& x : a) out.append(number(x, what));
    return out;
}

Qt::Alignment alignment(const QJsonValue& v, const QString& what)
{
    const QString s = text(v, what);
    if (s == QStringLiteral("left")) return Qt::AlignLeft;
    if (s == QStringLiteral("center")) return Qt::AlignHCenter;
    if (s == QStringLiteral("right")) return Qt::AlignRight;
    fail(QStringLiteral("%1: allineamento \"%2\" sconosciuto").arg(what, s));
}

FontSpec parseFont(const QJsonObject& o, FontSpec f, const QString& where)
{
    checkKeys(o, {"family", "size", "bold", "italic"}, where);
    if (o.contains(QStringLiteral("family"))) f.family = text(o[QStringLiteral("family")], where);
    if (o.contains(QStringLiteral("size"))) f.pointSize = number(o[QStringLiteral("size")], where);
    if (o.contains(QStringLiteral("bold"))) f.bold = flag(o[QStringLiteral("bold")], where);
    if (o.contains(QStringLiteral("italic"))) f.italic = flag(o[QStringLiteral("italic")], where);
    return f;
}

FieldFormat format(const QJsonObject& o, const QString& where)
{
    FieldFormat f;
    if (o.contains(QStringLiteral("format"))) f = FieldFormat::parse(text(o[QStringLiteral("format")], where));
    if (o.contains(QStringLiteral("null"))) f.nullText = text(o[QStringLiteral("null")], where);
    return f;
}

PageSetup parsePage(const QJsonValue& v)
{
    PageSetup p;
    if (v.isUndefined()) return p;
    const QJsonObject o = v.toObject();
    checkKeys(o, {"size", "orientation", "margins"}, QStringLiteral("page"));
    const QJsonValue size = o[QStringLiteral("size")];
    if (size.isArray()) {
        const auto wh = numbers(size, 2, QStringLiteral("page.size"));
        p.size = QPageSize::Custom;
        p.customSizeMm = QSizeF(wh[0], wh[1]);
    } else if (!size.isUndefined()) {
        static const QList<QPair<QString, QPageSize::PageSizeId>> names
            = {{QStringLiteral("A3"), QPageSize::A3},
               {QStringLiteral("A4"), QPageSize::A4},
               {QStringLiteral("A5"), QPageSize::A5},
               {QStringLiteral("Letter"), QPageSize::Letter},
               {QStringLiteral("Legal"), QPageSize::Legal}};
        const QString s = text(size, QStringLiteral("page.size"));
        auto it = std::find_if(names.begin(), names.end(), [&](const auto& n) { return n.first == s; });
        if (it == names.end()) fail(QStringLiteral("formato di pagina \"%1\" sconosciuto").arg(s));
        p.size = it->second;
    }
    if (o.contains(QStringLiteral("orientation"))) {
        const QString s = text(o[QStringLiteral("orientation")], QStringLiteral("page.orientation"));
        if (s == QStringLiteral("portrait"))
            p.orientation = QPageLayout::Portrait;
        else if (s == QStringLiteral("landscape"))
            p.orientation = QPageLayout::Landscape;
        else
            fail(QStringLiteral("orientamento \"%1\" sconosciuto").arg(s));
    }
    if (o.contains(QStringLiteral("margins"))) {
        const auto m = numbers(o[QStringLiteral("margins")], 4, QStringLiteral("page.margins"));
        p.marginsMm = QMarginsF(m[0], m[1], m[2], m[3]);
    }
    return p;
}

ReportItem item(const QJsonObject& o, const QString& where)
{
    checkKeys(o,
              {"type", "at", "text", "field", "format", "null", "scope", "align", "font", "bold", "italic", "size",
               "family", "width", "wrap"},
              where);
    const QString type = text(o[QStringLiteral("type")], where + QStringLiteral(".type"));
    const auto at = numbers(o[QStringLiteral("at")], 4, where + QStringLiteral(".at"));
    const QRectF r(at[0], at[1], at[2], at[3]);
    const QString field = o[QStringLiteral("field")].toString();
    ReportItem it;
    if (type == QStringLiteral("label"))
        it = ReportItem::label(o[QStringLiteral("text")].toString(), r);
    else if (type == QStringLiteral("field"))
        it = ReportItem::fieldItem(field, r);
    else if (type == QStringLiteral("sum"))
        it = ReportItem::sum(field, r);
    else if (type == QStringLiteral("count"))
        it = ReportItem::count(field, r);
    else if (type == QStringLiteral("average"))
        it = ReportItem::average(field, r);
    else if (type == QStringLiteral("line"))
        it = ReportItem::line(r);
    else if (type == QStringLiteral("box"))
        it = ReportItem::box(r);
    else if (type == QStringLiteral("page"))
        it = ReportItem::pageNumber(r);
    else if (type == QStringLiteral("title"))
        it = ReportItem::title(r);
    else
        fail(QStringLiteral("%1: tipo \"%2\" sconosciuto").arg(where, type));
    if ((it.kind == ItemKind::Field || type == QStringLiteral("sum") || type == QStringLiteral("average"))
        && field.isEmpty())
        fail(QStringLiteral("%1: manca \"field\"").arg(where));
    if ((it.kind == ItemKind::PageNumber || it.kind == ItemKind::Title) && o.contains(QStringLiteral("text")))
        it.text = text(o[QStringLiteral("text")], where + QStringLiteral(".text"));
    it.format = format(o, where);
    if (o.contains(QStringLiteral("scope"))) {
        const QString s = text(o[QStringLiteral("scope")], where + QStringLiteral(".scope"));
        if (s == QStringLiteral("group"))
            it.scope = AggregateScope::Group;
        else if (s == QStringLiteral("report"))
            it.scope = AggregateScope::Report;
        else
            fail(QStringLiteral("%1: ambito \"%2\" sconosciuto").arg(where, s));
    }
    if (o.contains(QStringLiteral("align"))) it.alignment = alignment(o[QStringLiteral("align")], where);
    if (o.contains(QStringLiteral("font")))
        it.font = parseFont(o[QStringLiteral("font")].toObject(), it.font, where + QStringLiteral(".font"));
    QJsonObject shortFont;
    for (const char* k : {"bold", "italic", "size", "family"})
        if (o.contains(QString::fromLatin1(k))) shortFont.insert(QString::fromLatin1(k), o[QString::fromLatin1(k)]);
    it.font = parseFont(shortFont, it.font, where);
    if (o.contains(QStringLiteral("width")))
        it.lineWidth = number(o[QStringLiteral("width")], where + QStringLiteral(".width"));
    if (o.contains(QStringLiteral("wrap")))
        it.wordWrap = flag(o[QStringLiteral("wrap")], where + QStringLiteral(".wrap"));
    return it;
}

ReportBand band(const QJsonValue& v, const QString& where)
{
    ReportBand b;
    if (v.isUndefined()) return b;
    if (!v.isObject()) fail(QStringLiteral("%1 deve essere un oggetto").arg(where));
    const QJsonObject o = v.toObject();
    checkKeys(o, {"height", "items", "newPageBefore", "newPageAfter", "canGrow"}, where);
    b.height = number(o[QStringLiteral("height")], where + QStringLiteral(".height"));
    if (o.contains(QStringLiteral("newPageBefore"))) b.newPageBefore = flag(o[QStringLiteral("newPageBefore")], where);
    if (o.contains(QStringLiteral("newPageAfter"))) b.newPageAfter = flag(o[QStringLiteral("newPageAfter")], where);
    if (o.contains(QStringLiteral("canGrow"))) b.canGrow = flag(o[QStringLiteral("canGrow")], where);
    const QJsonArray items = o[QStringLiteral("items")].toArray();
    for (int i = 0; i < items.size(); ++i)
        b.items.append(item(items[i].toObject(), QStringLiteral("%1.items[%2]").arg(where).arg(i)));
    return b;
}

ReportLayout tabularFromJson(const QJsonObject& o)
{
    checkKeys(o, {"name", "caption", "page", "font", "rowHeight", "pageFooter", "columns", "count"},
              QStringLiteral("report a colonne"));
    TabularSpec tabular;
    tabular.name = o[QStringLiteral("name")].toString();
    tabular.caption = o[QStringLiteral("caption")].toString();
    tabular.page = parsePage(o[QStringLiteral("page")]);
    if (o.contains(QStringLiteral("font")))
        tabular.font = parseFont(o[QStringLiteral("font")].toObject(), tabular.font, QStringLiteral("font"));
    if (o.contains(QStringLiteral("rowHeight")))
        tabular.rowHeightMm = number(o[QStringLiteral("rowHeight")], QStringLiteral("rowHeight"));
    if (o.contains(QStringLiteral("pageFooter")))
        tabular.pageFooterPattern = text(o[QStringLiteral("pageFooter")], QStringLiteral("pageFooter"));
    const QJsonArray cols = o[QStringLiteral("columns")].toArray();
    for (int i = 0; i < cols.size(); ++i) {
        const QString where = QStringLiteral("columns[%1]").arg(i);
        const QJsonObject c = cols[i].toObject();
        checkKeys(c, {"heading", "field", "width", "format", "null", "total", "align"}, where);
        TabularColumn col;
        col.heading = c[QStringLiteral("heading")].toString();
        col.field = text(c[QStringLiteral("field")], where + QStringLiteral(".field"));
        if (c.contains(QStringLiteral("width")))
            col.widthMm = number(c[QStringLiteral("width")], where + QStringLiteral(".width"));
        col.format = format(c, where);
        if (c.contains(QStringLiteral("total")))
            col.total = flag(c[QStringLiteral("total")], where + QStringLiteral(".total"));
        if (c.contains(QStringLiteral("align"))) col.alignment = alignment(c[QStringLiteral("align")], where);
        tabular.columns.append(col);
    }
    if (o.contains(QStringLiteral("count"))) {
        const QJsonObject c = o[QStringLiteral("count")].toObject();
        checkKeys(c, {"label", "format"}, QStringLiteral("count"));
        tabular.countLabel = text(c[QStringLiteral("label")], QStringLiteral("count.label"));
        if (c.contains(QStringLiteral("format")))
            tabular.countFormat = FieldFormat::parse(text(c[QStringLiteral("format")], QStringLiteral("count.format")));
    }
    return buildTabularLayout(tabular);
}
}   // namespace

ReportItem ReportItem::label(const QString& text, const QRectF& rect)
{
    ReportItem i;
    i.kind = ItemKind::Label;
    i.text = text;
    i.rect = rect;
    return i;
}

ReportItem ReportItem::fieldItem(const QString& field, const QRectF& rect, const FieldFormat& format)
{
    ReportItem i;
    i.kind = ItemKind::Field;
    i.field = field;
    i.rect = rect;
    i.format = format;
    return i;
}

static ReportItem function(Aggregate a, const QString& field, const QRectF& rect, const FieldFormat& format)
{
    ReportItem i;
    i.kind = ItemKind::Function;
    i.aggregate = a;
    i.field = field;
    i.rect = rect;
    i.format = format;
    return i;
}

ReportItem ReportItem::sum(const QString& f, const QRectF& r, const FieldFormat& fmt)
{
    return function(Aggregate::Sum, f, r, fmt);
}
ReportItem ReportItem::count(const QString& f, const QRectF& r, const FieldFormat& fmt)
{
    return function(Aggregate::Count, f, r, fmt);
}
ReportItem ReportItem::average(const QString& f, const QRectF& r, const FieldFormat& fmt)
{
    return function(Aggregate::Average, f, r, fmt);
}

ReportItem ReportItem::line(const QRectF& rect, double widthMm)
{
    ReportItem i;
    i.kind = ItemKind::Line;
    i.rect = rect;
    i.lineWidth = widthMm;
    return i;
}

ReportItem ReportItem::box(const QRectF& rect, double widthMm)
{
    ReportItem i = line(rect, widthMm);
    i.kind = ItemKind::Box;
    return i;
}

ReportItem ReportItem::pageNumber(const QRectF& rect, const QString& pattern)
{
    ReportItem i;
    i.kind = ItemKind::PageNumber;
    i.rect = rect;
    i.text = pattern;
    return i;
}

ReportItem ReportItem::title(const QRectF& rect, const QString& pattern)
{
    ReportItem i = pageNumber(rect, pattern);
    i.kind = ItemKind::Title;
    return i;
}

QPageSize PageSetup::pageSize() const
{
    if (size == QPageSize::Custom) return QPageSize(customSizeMm, QPageSize::Millimeter);
    return QPageSize(size);
}

QSizeF PageSetup::sizeMm() const
{
    const QSizeF s = pageSize().size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? s.transposed() : s;
}

QPageLayout PageSetup::pageLayout() const
{
    return QPageLayout(pageSize(), orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QStringList ReportLayout::fieldsUsed() const
{
    QStringList out;
    auto addBand = [&](const ReportBand& b) {
        for (const auto& i : b.items)
            if ((i.kind == ItemKind::Field || i.kind == ItemKind::Function) && !i.field.isEmpty()
                && !out.contains(i.field, Qt::CaseInsensitive))
                out.append(i.field);
    };
    for (const auto& g : groups)
        if (!out.contains(g.field, Qt::CaseInsensitive)) out.append(g.field);
    for (const ReportBand* b : {&reportHeader, &pageHeader, &detail, &pageFooter, &reportFooter}) addBand(*b);
    for (const auto& g : groups) {
        addBand(g.header);
        addBand(g.footer);
    }
    return out;
}

ReportLayout ReportLayout::fromJson(const QByteArray& json)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (doc.isNull()) fail(err.errorString() + QStringLiteral(" (posizione %1)").arg(err.offset));
    if (!doc.isObject()) fail(QStringLiteral("il testo deve essere un oggetto"));
    const QJsonObject o = doc.object();
    if (o.contains(QStringLiteral("columns"))) return tabularFromJson(o);
    checkKeys(o,
              {"name", "caption", "page", "font", "reportHeader", "pageHeader", "groups", "detail", "pageFooter",
               "reportFooter"},
              QStringLiteral("report"));
    ReportLayout l;
    l.name = o[QStringLiteral("name")].toString();
    l.caption = o[QStringLiteral("caption")].toString();
    l.page = parsePage(o[QStringLiteral("page")]);
    if (o.contains(QStringLiteral("font")))
        l.font = parseFont(o[QStringLiteral("font")].toObject(), l.font, QStringLiteral("font"));
    l.reportHeader = band(o[QStringLiteral("reportHeader")], QStringLiteral("reportHeader"));
    l.pageHeader = band(o[QStringLiteral("pageHeader")], QStringLiteral("pageHeader"));
    l.detail = band(o[QStringLiteral("detail")], QStringLiteral("detail"));
    l.pageFooter = band(o[QStringLiteral("pageFooter")], QStringLiteral("pageFooter"));
    l.reportFooter = band(o[QStringLiteral("reportFooter")], QStringLiteral("reportFooter"));
    const QJsonArray groups = o[QStringLiteral("groups")].toArray();
    for (int i = 0; i < groups.size(); ++i) {
        const QString where = QStringLiteral("groups[%1]").arg(i);
        const QJsonObject g = groups[i].toObject();
        checkKeys(g, {"field", "header", "footer", "repeatHeader"}, where);
        ReportGroup group;
        group.field = text(g[QStringLiteral("field")], where + QStringLiteral(".field"));
        group.header = band(g[QStringLiteral("header")], where + QStringLiteral(".header"));
        group.footer = band(g[QStringLiteral("footer")], where + QStringLiteral(".footer"));
        if (g.contains(QStringLiteral("repeatHeader")))
            group.repeatHeader = flag(g[QStringLiteral("repeatHeader")], where);
        l.groups.append(group);
    }
    return l;
}

ReportLayout buildTabularLayout(const TabularSpec& tabular)
{
    constexpr double kPad = 1.0;   // blank on each side of a cell
    const double width = tabular.page.printableWidth();
    const double row = tabular.rowHeightMm;

    // Column positions: fixed widths first, the rest shared equally.
    double fixed = 0;
    int flexible = 0;
    for (const auto& c : tabular.columns) {
        if (c.widthMm > 0)
            fixed += c.widthMm;
        else
            ++flexible;
    }
    const double share = flexible ? std::max(10.0, (width - fixed) / flexible) : 0;
    QList<double> xs, ws;
    double x = 0;
    for (const auto& c : tabular.columns) {
        const double w = c.widthMm > 0 ? c.widthMm : share;
        xs.append(x);
        ws.append(w);
        x += w;
    }
    auto cell = [&](int i, double y) { return QRectF(xs[i] + kPad, y, ws[i] - 2 * kPad, row); };
    auto align = [&](const TabularColumn& c) {
        if (c.alignment) return *c.alignment;
        return c.format.kind == FieldFormat::Kind::Number ? Qt::Alignment(Qt::AlignRight)
                                                          : Qt::Alignment(Qt::AlignLeft);
    };

    ReportLayout l;
    l.name = tabular.name;
    l.caption = tabular.caption;
    l.page = tabular.page;
    l.font = tabular.font;

    const double titleSize = (tabular.font.pointSize > 0 ? tabular.font.pointSize : 9) + 4;
    const double titleHeight = 8;
    l.pageHeader.height = titleHeight + row + 2;
    l.pageHeader.add(ReportItem::title(QRectF(0, 0, width, titleHeight)).bold().sized(titleSize));
    for (int i = 0; i < tabular.columns.size(); ++i)
        l.pageHeader.add(ReportItem::label(tabular.columns[i].heading, cell(i, titleHeight))
                             .bold()
                             .aligned(align(tabular.columns[i])));
    l.pageHeader.add(ReportItem::line(QRectF(0, titleHeight + row + 0.5, width, 0), 0.3));

    l.detail.height = row;
    for (int i = 0; i < tabular.columns.size(); ++i)
        l.detail.add(ReportItem::fieldItem(tabular.columns[i].field, cell(i, 0), tabular.columns[i].format)
                         .aligned(align(tabular.columns[i])));

    l.pageFooter.height = row + 3;
    l.pageFooter.add(ReportItem::line(QRectF(0, 1, width, 0), 0.2));
    l.pageFooter.add(ReportItem::pageNumber(QRectF(0, 2, width, row), tabular.pageFooterPattern).right());

    double y = 1.5;
    l.reportFooter.add(ReportItem::line(QRectF(0, 0.5, width, 0), 0.3));
    bool anyTotal = false;
    for (int i = 0; i < tabular.columns.size(); ++i) {
        if (!tabular.columns[i].total) continue;
        anyTotal = true;
        l.reportFooter.add(ReportItem::sum(tabular.columns[i].field, cell(i, y), tabular.columns[i].format)
                               .over(AggregateScope::Report)
                               .bold()
                               .aligned(align(tabular.columns[i])));
    }
    if (anyTotal) y += row;
    if (!tabular.countLabel.isEmpty()) {
        const double labelWidth = std::min(90.0, width * 0.6);
        l.reportFooter.add(ReportItem::label(tabular.countLabel, QRectF(0, y, labelWidth, row)).bold().right());
        l.reportFooter.add(ReportItem::count(QString(), QRectF(labelWidth + 2, y, 30, row), tabular.countFormat)
                               .over(AggregateScope::Report)
                               .bold());
        y += row;
    }
    l.reportFooter.height = y + 1;
    return l;
}

}   // namespace report
