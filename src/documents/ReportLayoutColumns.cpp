#include "ReportLayoutColumns.h"
#include "base/Currency.h"
#include "report/ReportFormat.h"
#include "report/ReportMeasure.h"
#include <QDateTime>
#include <algorithm>
#include <numeric>

namespace layouts {

namespace {

using report::FontSpec;
using report::ReportItem;

constexpr double kPad = 1.0;   // blank on each side of a cell
constexpr double kRow = 5.0;   // one line of a row
constexpr double kTitle = 7.0;   // the title line of each page
constexpr double kTextMin = 32.0;   // the narrowest a text column gets before the page turns
constexpr double kSlack = 1.04;   // a printer may set a text a little wider than measured

FontSpec font(bool bold = false, double size = 8)
{
    return FontSpec {QStringLiteral("DejaVu Sans"), size, bold, false};
}

bool isNumber(ColumnKind kind) { return kind == ColumnKind::Amount || kind == ColumnKind::Quantity; }

Qt::Alignment alignmentOf(const Column& c) { return isNumber(c.kind) ? Qt::AlignRight : Qt::AlignLeft; }

// The widest text a column of fixed width must hold on one line.
QString widestValue(const Column& c)
{
    switch (c.kind) {
    case ColumnKind::Date:
        return report::formatValue(QDateTime(QDate(2088, 12, 28), QTime(23, 58, 58)), ColumnFormat(c));
    case ColumnKind::Amount:
        return report::formatValue(QVariant::fromValue(Currency::fromUnits(-9'999'999'999'900LL)), ColumnFormat(c));
    case ColumnKind::Quantity:
        // Totals of pieces sold or in stock pass a hundred thousand in a shop's year: a number
        // that had to wrap would break among its digits and read as another number.
        return report::formatValue(c.total ? -9'999'999.99 : -99'999.99, ColumnFormat(c));
    case ColumnKind::Code: return c.sample;
    case ColumnKind::Text: return QString();
    }
    return QString();
}

struct Measured {
    QList<double> natural;   // fixed columns: their room; text columns: the least they take
    double fixed = 0;   // the room of the fixed columns
    double textLeast = 0;   // the least of the text columns
    double weights = 0;
};

Measured measure(const ColumnListing& listing, report::TextMeasure& m)
{
    Measured r;
    for (const Column& c : listing.columns) {
        double need = m.widthMm(font(true), c.heading);
        if (c.kind != ColumnKind::Text) need = std::max(need, m.widthMm(font(c.total), widestValue(c)));
        need = need * kSlack + 2 * kPad;
        if (c.kind == ColumnKind::Text) {
            need = std::max(need, kTextMin);
            r.textLeast += need;
            r.weights += c.weight;
        } else {
            r.fixed += need;
        }
        r.natural.append(need);
    }
    return r;
}

// Fixed columns at their room, text columns sharing the rest; when even that does not fit,
// every column gives up the same part of its room and the longer values wrap.
QList<double> widths(const ColumnListing& listing, const Measured& m, double page)
{
    QList<double> out = m.natural;
    const double least = m.fixed + m.textLeast;
    if (least > page) {
        for (double& w : out) w *= page / least;
        return out;
    }
    const double spare = page - least;
    for (int i = 0; i < listing.columns.size(); ++i)
        if (listing.columns[i].kind == ColumnKind::Text) out[i] += spare * listing.columns[i].weight / m.weights;
    // With no text column the spare room goes to the last one, so the rule lines up.
    if (m.weights == 0 && !out.isEmpty()) out.last() += spare;
    return out;
}

// A cell of one line that may grow: its text starts where a single line would, so that the
// first lines of a grown row and of its neighbours stand on one line.
QRectF cell(double x, double width, double y, double lineHeight)
{
    const double inset = std::max(0.0, (kRow - lineHeight) / 2);
    return QRectF(x + kPad, y + inset, std::max(0.5, width - 2 * kPad), kRow - inset);
}

}   // namespace

report::FieldFormat ColumnFormat(const Column& c)
{
    switch (c.kind) {
    case ColumnKind::Date:
        return report::FieldFormat::parse(c.format.isEmpty() ? QStringLiteral("dd/MM/yyyy") : c.format);
    case ColumnKind::Amount:
        return report::FieldFormat::parse(c.format.isEmpty() ? QStringLiteral("#,#0.00") : c.format);
    case ColumnKind::Quantity:
        return report::FieldFormat::parse(c.format.isEmpty() ? QStringLiteral("#,##0.00") : c.format);
    case ColumnKind::Code:
    case ColumnKind::Text: return report::FieldFormat::automatic();
    }
    return report::FieldFormat::automatic();
}

report::ReportLayout BuildColumnsLayout(const ColumnListing& listing)
{
    report::TextMeasure m;
    const Measured measured = measure(listing, m);

    report::ReportLayout l;
    l.name = listing.name;
    l.caption = listing.caption;
    l.font = font();
    if (listing.orientation) {
        l.page.orientation = *listing.orientation;
    } else {
        l.page.orientation = QPageLayout::Portrait;
        if (measured.fixed + measured.textLeast > l.page.printableWidth()) l.page.orientation = QPageLayout::Landscape;
    }
    const double page = l.page.printableWidth();
    const QList<double> w = widths(listing, measured, page);
    QList<double> x;
    double at = 0;
    for (double width : w) {
        x.append(at);
        at += width;
    }
    const double line = m.lineHeightMm(font());
    const double boldLine = m.lineHeightMm(font(true));

    // Page header: the title, then the headings, as tall as the tallest heading.
    double headings = kRow;
    for (int i = 0; i < listing.columns.size(); ++i)
        headings = std::max(headings, m.wrappedHeightMm(font(true), w[i] - 2 * kPad, listing.columns[i].heading) + 1);
    l.pageHeader.add(
        ReportItem::title(QRectF(0, 0, page, kTitle)).bold().sized(12).aligned(Qt::AlignLeft | Qt::AlignVCenter));
    for (int i = 0; i < listing.columns.size(); ++i) {
        const Column& c = listing.columns[i];
        l.pageHeader.add(
            ReportItem::label(c.heading, QRectF(x[i] + kPad, kTitle + 1, std::max(0.5, w[i] - 2 * kPad), headings))
                .bold()
                .wrapped()
                .aligned(alignmentOf(c) | Qt::AlignBottom));
    }
    const double rule = kTitle + 1 + headings + 0.5;
    l.pageHeader.add(ReportItem::line(QRectF(0, rule, page, 0), 0.3));
    l.pageHeader.height = rule + 1;

    // One line a row, taller when a value needs more.
    l.detail.height = kRow;
    l.detail.canGrow = true;
    for (int i = 0; i < listing.columns.size(); ++i) {
        const Column& c = listing.columns[i];
        l.detail.add(ReportItem::fieldItem(c.field, cell(x[i], w[i], 0, line), ColumnFormat(c))
                         .wrapped()
                         .aligned(alignmentOf(c) | Qt::AlignTop));
    }

    l.pageFooter.height = 8;
    l.pageFooter.add(ReportItem::line(QRectF(0, 1, page, 0), 0.2));
    l.pageFooter.add(ReportItem::pageNumber(QRectF(0, 2, page, kRow), QStringLiteral("Pag. %p / %P")).right());

    // Report footer: the totals under their columns, then the count of the rows.
    l.reportFooter.canGrow = true;
    l.reportFooter.add(ReportItem::line(QRectF(0, 0.5, page, 0), 0.3));
    double y = 1.5;
    bool anyTotal = false;
    for (int i = 0; i < listing.columns.size(); ++i) {
        const Column& c = listing.columns[i];
        if (!c.total) continue;
        anyTotal = true;
        l.reportFooter.add(ReportItem::sum(c.field, cell(x[i], w[i], y, boldLine), ColumnFormat(c))
                               .over(report::AggregateScope::Report)
                               .bold()
                               .wrapped()
                               .aligned(alignmentOf(c) | Qt::AlignTop));
    }
    if (anyTotal) y += kRow;
    if (!listing.countLabel.isEmpty()) {
        const double label = std::min(m.widthMm(font(true), listing.countLabel) * kSlack + 2 * kPad, page / 2);
        l.reportFooter.add(ReportItem::label(listing.countLabel, cell(0, label, y, boldLine))
                               .bold()
                               .wrapped()
                               .aligned(Qt::AlignLeft | Qt::AlignTop));
        l.reportFooter.add(
            ReportItem::count(QString(), cell(label, 30, y, boldLine), report::FieldFormat::parse(listing.countFormat))
                .over(report::AggregateScope::Report)
                .bold()
                .wrapped()
                .aligned(Qt::AlignLeft | Qt::AlignTop));
        y += kRow;
    }
    l.reportFooter.height = y + 1;
    return l;
}

}   // namespace layouts
