#include "ReportEngine.h"
#include "base/AppError.h"
#include "base/Clock.h"
#include "base/Currency.h"
#include "ReportMeasure.h"
#include <QHash>
#include <algorithm>
#include <optional>
#include <vector>

namespace report {

namespace {
constexpr double kEps = 1e-6;
const QString kSource = QStringLiteral("Report");

struct Range {
    int begin = 0;
    int end = 0;
};

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }
bool isCurrency(const QVariant& v) { return v.metaType() == QMetaType::fromType<Currency>(); }

// Group keys compare as the database orders them: texts without case, numbers by value.
bool sameKey(const QVariant& a, const QVariant& b)
{
    if (isNull(a) || isNull(b)) return isNull(a) && isNull(b);
    if (isCurrency(a) && isCurrency(b)) return a.value<Currency>() == b.value<Currency>();
    if (a.metaType().id() == QMetaType::QString && b.metaType().id() == QMetaType::QString)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) == 0;
    if (isNumericValue(a) && isNumericValue(b)) {
        const double x = isCurrency(a) ? a.value<Currency>().toDouble() : a.toDouble();
        const double y = isCurrency(b) ? b.value<Currency>().toDouble() : b.toDouble();
        return x == y;
    }
    return a == b;
}

FontSpec resolveFont(const FontSpec& item, const FontSpec& base)
{
    FontSpec f = item;
    if (f.family.isEmpty()) f.family = base.family.isEmpty() ? QStringLiteral("DejaVu Sans") : base.family;
    if (f.pointSize <= 0) f.pointSize = base.pointSize > 0 ? base.pointSize : 9;
    return f;
}

class Paginator {
public:
    Paginator(const ReportLayout& layout, const ReportDataSource& data, const RenderOptions& options)
        : m_layout(layout), m_data(data), m_options(options), m_rows(data.rowCount())
    { }

    ReportDocument run();

private:
    struct Deferred {
        int page, band, item;
        QString pattern;
    };
    // A band as tall as its texts need: the band's height and each item's.
    struct Sized {
        double height = 0;
        QList<double> itemHeights;
    };

    int column(const QString& field) const;
    void findBreaks();
    int groupEnd(int level, int start) const;
    QVariant aggregate(const ReportItem& item, Range range) const;

    void startPage();
    void finishPage();
    void newPage()
    {
        finishPage();
        startPage();
    }
    bool atBodyTop() const { return m_y <= m_bodyStart + kEps; }
    void ensureRoom(double height);
    QString itemText(const ReportItem& item, int row, Range range) const;
    Sized sized(const ReportBand& band, int row, Range range);
    void place(const ReportBand& band, BandKind kind, int level, int row, Range range);
    void put(const ReportBand& band, BandKind kind, int level, int row, Range range, double y,
             const Sized* size = nullptr);
    Range groupRange(int level) const { return {m_openStart[level], groupEnd(level, m_openStart[level])}; }
    Range innermostRange() const { return m_openLevels ? groupRange(m_openLevels - 1) : Range {0, m_rows}; }

    const ReportLayout& m_layout;
    const ReportDataSource& m_data;
    RenderOptions m_options;
    const int m_rows;
    ReportDocument m_doc;
    std::vector<int> m_groupColumns;
    std::vector<int> m_breakLevel;   // per row (and one past the end): outermost group that changes there
    std::vector<int> m_openStart;   // per group level: first row of the open group
    int m_openLevels = 0;
    int m_currentRow = -1;
    double m_y = 0;
    double m_bodyStart = 0;
    double m_bodyBottom = 0;
    bool m_pendingBreak = false;
    bool m_firstPage = true;
    QList<Deferred> m_deferred;
    mutable QHash<QString, int> m_columns;   // field name as the layout writes it -> column
    std::optional<TextMeasure> m_measure;   // made when a band first grows
};

int Paginator::column(const QString& field) const
{
    if (field.isEmpty()) return -1;
    if (auto it = m_columns.constFind(field); it != m_columns.cend()) return *it;
    const int c = m_data.columnIndex(field);
    if (c < 0)
        throw AppError::object(1, kSource, QStringLiteral("Il campo \"%1\" non è tra i dati del report.").arg(field));
    m_columns.insert(field, c);
    return c;
}

void Paginator::findBreaks()
{
    const int levels = static_cast<int>(m_layout.groups.size());
    for (const auto& g : m_layout.groups) m_groupColumns.push_back(column(g.field));
    m_breakLevel.assign(m_rows + 1, 0);
    for (int r = 1; r < m_rows; ++r) {
        int level = levels;
        for (int g = 0; g < levels; ++g)
            if (!sameKey(m_data.value(r, m_groupColumns[g]), m_data.value(r - 1, m_groupColumns[g]))) {
                level = g;
                break;
            }
        m_breakLevel[r] = level;
    }
    m_openStart.assign(levels, 0);
}

int Paginator::groupEnd(int level, int start) const
{
    int r = start + 1;
    while (r < m_rows && m_breakLevel[r] > level) ++r;
    return std::min(r, m_rows);
}

QVariant Paginator::aggregate(const ReportItem& item, Range range) const
{
    const int col = column(item.field);
    if (item.aggregate == Aggregate::Count && col < 0) return qlonglong(range.end - range.begin);
    Currency money;
    double real = 0;
    qlonglong whole = 0;
    bool anyMoney = false, anyReal = false;
    qlonglong count = 0;
    for (int r = range.begin; r < range.end; ++r) {
        const QVariant v = m_data.value(r, col);
        if (isNull(v)) continue;
        ++count;
        if (item.aggregate == Aggregate::Count) continue;
        if (isCurrency(v)) {
            money += v.value<Currency>();
            anyMoney = true;
        } else if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float) {
            real += v.toDouble();
            anyReal = true;
        } else if (isNumericValue(v))
            whole += v.toLongLong();
        else if (v.metaType().id() == QMetaType::QString) {
            bool ok = false;
            const double d = v.toString().toDouble(&ok);
            if (ok) {
                real += d;
                anyReal = true;
            }
        }
    }
    switch (item.aggregate) {
    case Aggregate::Count: return count;
    case Aggregate::Sum:
        if (anyReal) return real + money.toDouble() + static_cast<double>(whole);
        if (anyMoney) return QVariant::fromValue(money + Currency::fromInt(whole));
        return whole;
    case Aggregate::Average:
        if (count == 0) return {};
        if (anyReal) return (real + money.toDouble() + static_cast<double>(whole)) / static_cast<double>(count);
        if (anyMoney)
            return QVariant::fromValue((money + Currency::fromInt(whole)).dividedBy(static_cast<double>(count)));
        return static_cast<double>(whole) / static_cast<double>(count);
    }
    return {};
}

QString Paginator::itemText(const ReportItem& it, int row, Range range) const
{
    switch (it.kind) {
    case ItemKind::Label: return it.text;
    case ItemKind::Field:
        return row >= 0 ? formatValue(m_data.value(row, column(it.field)), it.format, m_options.locale)
                        : it.format.nullText;
    case ItemKind::Function:
        return formatValue(aggregate(it, it.scope == AggregateScope::Report ? Range {0, m_rows} : range), it.format,
                           m_options.locale);
    default: return QString();
    }
}

Paginator::Sized Paginator::sized(const ReportBand& band, int row, Range range)
{
    Sized s;
    s.height = band.height;
    for (const ReportItem& it : band.items) s.itemHeights.append(it.rect.height());
    if (!band.canGrow) return s;
    if (!m_measure) m_measure.emplace();
    // Never taller than the room under the page header: a band never splits.
    const double room = m_bodyBottom - m_layout.page.marginsMm.top() - m_layout.pageHeader.height;
    for (int i = 0; i < band.items.size(); ++i) {
        const ReportItem& it = band.items[i];
        if (!it.wordWrap) continue;
        const QString text = itemText(it, row, range);
        if (text.isEmpty()) continue;
        const double need = m_measure->wrappedHeightMm(resolveFont(it.font, m_layout.font), it.rect.width(), text);
        if (need <= it.rect.height()) continue;
        const double height = std::min(band.height + need - it.rect.height(), std::max(band.height, room));
        s.itemHeights[i] = it.rect.height() + height - band.height;
        s.height = std::max(s.height, height);
    }
    return s;
}

void Paginator::put(const ReportBand& band, BandKind kind, int level, int row, Range range, double y, const Sized* size)
{
    const QMarginsF& m = m_layout.page.marginsMm;
    PlacedBand pb;
    pb.kind = kind;
    pb.groupLevel = level;
    pb.row = (kind == BandKind::Detail || kind == BandKind::GroupHeader || kind == BandKind::GroupFooter) ? row : -1;
    pb.rect = QRectF(m.left(), y, m_layout.page.printableWidth(), size ? size->height : band.height);
    const int bandIndex = static_cast<int>(m_doc.pages.last().bands.size());
    for (int i = 0; i < band.items.size(); ++i) {
        const ReportItem& it = band.items[i];
        PlacedItem pi;
        pi.kind = it.kind;
        pi.rect = it.rect.translated(m.left(), y);
        if (size) pi.rect.setHeight(size->itemHeights[i]);
        pi.alignment = it.alignment;
        pi.font = resolveFont(it.font, m_layout.font);
        pi.lineWidth = it.lineWidth;
        pi.wordWrap = it.wordWrap;
        switch (it.kind) {
        case ItemKind::Label:
        case ItemKind::Field:
        case ItemKind::Function: pi.text = itemText(it, row, range); break;
        case ItemKind::PageNumber:
        case ItemKind::Title:
            m_deferred.append({static_cast<int>(m_doc.pages.size()) - 1, bandIndex, static_cast<int>(pb.items.size()),
                               it.text.isEmpty() && it.kind == ItemKind::Title ? QStringLiteral("%i") : it.text});
            break;
        case ItemKind::Line:
        case ItemKind::Box: break;
        }
        pb.items.append(pi);
    }
    m_doc.pages.last().bands.append(pb);
}

void Paginator::startPage()
{
    m_doc.pages.append(ReportPage {});
    m_y = m_layout.page.marginsMm.top();
    const int headRow = m_currentRow >= 0 ? m_currentRow : (m_rows ? 0 : -1);
    if (m_firstPage && m_layout.reportHeader.isPrinted()) {
        put(m_layout.reportHeader, BandKind::ReportHeader, -1, headRow, {0, m_rows}, m_y);
        m_y += m_layout.reportHeader.height;
        if (m_layout.reportHeader.newPageAfter) {   // a cover page: the report header alone
            m_firstPage = false;
            newPage();
            return;
        }
    }
    m_firstPage = false;
    if (m_layout.pageHeader.isPrinted()) {
        put(m_layout.pageHeader, BandKind::PageHeader, -1, headRow, {0, m_rows}, m_y);
        m_y += m_layout.pageHeader.height;
    }
    for (int g = 0; g < m_openLevels; ++g) {
        const ReportBand& h = m_layout.groups[g].header;
        if (!m_layout.groups[g].repeatHeader || !h.isPrinted()) continue;
        put(h, BandKind::GroupHeader, g, m_openStart[g], groupRange(g), m_y);
        m_doc.pages.last().bands.last().repeated = true;
        m_y += h.height;
    }
    m_bodyStart = m_y;
}

void Paginator::finishPage()
{
    if (!m_layout.pageFooter.isPrinted()) return;
    const int row = m_currentRow >= 0 ? m_currentRow : (m_rows ? 0 : -1);
    put(m_layout.pageFooter, BandKind::PageFooter, -1, row, {0, m_rows}, m_bodyBottom);
}

void Paginator::ensureRoom(double height)
{
    if (m_pendingBreak) {
        m_pendingBreak = false;
        if (!atBodyTop()) newPage();
    }
    if (m_y + height > m_bodyBottom + kEps && !atBodyTop()) newPage();
}

void Paginator::place(const ReportBand& band, BandKind kind, int level, int row, Range range)
{
    if (!band.isPrinted()) return;
    if (band.newPageBefore && !atBodyTop()) newPage();
    const Sized size = sized(band, row, range);
    ensureRoom(size.height);
    put(band, kind, level, row, range, m_y, &size);
    m_y += size.height;
    if (band.newPageAfter) m_pendingBreak = true;
}

ReportDocument Paginator::run()
{
    const PageSetup& page = m_layout.page;
    m_doc.name = m_layout.name;
    m_doc.caption = m_layout.caption;
    m_doc.title = m_options.title.isEmpty() ? m_layout.caption : m_options.title;
    m_doc.page = page;
    if (page.printableWidth() <= 0 || page.printableHeight() <= 0
        || m_layout.pageHeader.height + m_layout.pageFooter.height >= page.printableHeight())
        throw AppError::object(2, kSource, QStringLiteral("La pagina non ha spazio per le righe del report."));
    for (const QString& f : m_layout.fieldsUsed()) column(f);   // a missing column fails before anything is laid out
    findBreaks();
    m_bodyBottom = page.sizeMm().height() - page.marginsMm.bottom() - m_layout.pageFooter.height;

    const int levels = static_cast<int>(m_layout.groups.size());
    const QDate date = m_options.printDate.isValid() ? m_options.printDate : appClock().today();
    startPage();
    for (int r = 0; r < m_rows; ++r) {
        const int level = r == 0 ? 0 : m_breakLevel[r];
        // Close the groups that end here, innermost first.
        for (int g = m_openLevels - 1; g >= level; --g) {
            const Range range = groupRange(g);
            m_currentRow = range.end - 1;
            place(m_layout.groups[g].footer, BandKind::GroupFooter, g, range.end - 1, range);
            m_openLevels = g;
        }
        // A group header never stays alone at the bottom of a page: it goes with its first row.
        if (level < levels) {
            double chunk = m_layout.detail.isPrinted() ? sized(m_layout.detail, r, innermostRange()).height : 0;
            for (int g = level; g < levels; ++g)
                if (m_layout.groups[g].header.isPrinted()) chunk += m_layout.groups[g].header.height;
            ensureRoom(chunk);
        }
        m_currentRow = r;
        for (int g = level; g < levels; ++g) {
            m_openStart[g] = r;
            place(m_layout.groups[g].header, BandKind::GroupHeader, g, r, {r, groupEnd(g, r)});
            m_openLevels = g + 1;
        }
        place(m_layout.detail, BandKind::Detail, levels ? levels - 1 : -1, r, innermostRange());
    }
    for (int g = m_openLevels - 1; g >= 0; --g) {
        const Range range = groupRange(g);
        place(m_layout.groups[g].footer, BandKind::GroupFooter, g, range.end - 1, range);
        m_openLevels = g;
    }
    place(m_layout.reportFooter, BandKind::ReportFooter, -1, m_rows - 1, {0, m_rows});
    finishPage();

    const int pages = m_doc.pageCount();
    for (const Deferred& d : m_deferred)
        m_doc.pages[d.page].bands[d.band].items[d.item].text
            = expandPattern(d.pattern, d.page + 1, pages, m_doc.title, date);
    return m_doc;
}
}   // namespace

QString ReportPage::text() const
{
    QStringList lines;
    for (const PlacedBand& b : bands) {
        QList<const PlacedItem*> items;
        for (const PlacedItem& i : b.items)
            if (!i.text.isEmpty()) items.append(&i);
        std::stable_sort(items.begin(), items.end(), [](const PlacedItem* a, const PlacedItem* b) {
            if (std::abs(a->rect.top() - b->rect.top()) > 0.5) return a->rect.top() < b->rect.top();
            return a->rect.left() < b->rect.left();
        });
        QStringList texts;
        for (const PlacedItem* i : items) texts.append(i->text);
        lines.append(texts.join(u'\t'));
    }
    return lines.join(u'\n');
}

QString expandPattern(const QString& pattern, int page, int pageCount, const QString& title, const QDate& date)
{
    QString out;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar n = pattern[++i];
        if (n == u'p')
            out += QString::number(page);
        else if (n == u'P')
            out += QString::number(pageCount);
        else if (n == u'i')
            out += title;
        else if (n == u'd')
            out += date.toString(QStringLiteral("dd/MM/yyyy"));
        else if (n == u'%')
            out += u'%';
        else {
            out += c;
            out += n;
        }
    }
    return out;
}

ReportDocument paginate(const ReportLayout& layout, const ReportDataSource& data, const RenderOptions& options)
{
    return Paginator(layout, data, options).run();
}

}   // namespace report
