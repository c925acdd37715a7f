#pragma once
#include "ReportFormat.h"
#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

// A band report described in millimetres: page setup, bands from report header to report
// footer, and the items each band draws. Bands never split across pages; they grow only
// when they are made to (canGrow).
namespace report {

enum class BandKind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, PageFooter, ReportFooter };

enum class ItemKind {
    Label,   // fixed text
    Field,   // a data column of the band's row, formatted
    Function,   // an aggregate of a column over the band's group or the whole report
    Line,   // from the rect's top-left to its bottom-right corner (a zero height is horizontal)
    Box,   // the rect's outline
    PageNumber,   // a pattern: %p page, %P page count, %i title, %d print date, %% a percent sign
    Title,   // the report title; same pattern as PageNumber, "%i" when empty
};

enum class Aggregate { Sum, Count, Average };

enum class AggregateScope {
    Group,   // the group whose header/footer holds the item (the innermost one around a detail);
    // outside any group, the whole report
    Report,   // every row
};

// Family empty or size 0 take the layout's font.
struct FontSpec {
    QString family;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
};

struct ReportItem {
    ItemKind kind = ItemKind::Label;
    QRectF rect;   // mm; x from the left margin, y from the band's top
    QString text;   // Label text, PageNumber/Title pattern
    QString field;   // Field and Function column (Count with no field counts rows)
    FieldFormat format;
    Aggregate aggregate = Aggregate::Sum;
    AggregateScope scope = AggregateScope::Group;
    Qt::Alignment alignment = Qt::AlignLeft;
    FontSpec font;
    double lineWidth = 0.2;   // mm, for Line and Box
    bool wordWrap = false;   // text wraps inside the rect (it never grows the band)

    static ReportItem label(const QString& text, const QRectF& rect);
    static ReportItem fieldItem(const QString& field, const QRectF& rect, const FieldFormat& format = {});
    static ReportItem sum(const QString& field, const QRectF& rect, const FieldFormat& format = {});
    static ReportItem count(const QString& field, const QRectF& rect, const FieldFormat& format = {});
    static ReportItem average(const QString& field, const QRectF& rect, const FieldFormat& format = {});
    static ReportItem line(const QRectF& rect, double widthMm = 0.2);
    static ReportItem box(const QRectF& rect, double widthMm = 0.2);
    static ReportItem pageNumber(const QRectF& rect, const QString& pattern = QStringLiteral("Pag. %p / %P"));
    static ReportItem title(const QRectF& rect, const QString& pattern = QStringLiteral("%i"));

    // Chainable adjustments: ReportItem::label("Totale", r).bold().right()
    ReportItem& aligned(Qt::Alignment a)
    {
        alignment = a;
        return *this;
    }
    ReportItem& right() { return aligned(Qt::AlignRight); }
    ReportItem& center() { return aligned(Qt::AlignHCenter); }
    ReportItem& bold(bool on = true)
    {
        font.bold = on;
        return *this;
    }
    ReportItem& italic(bool on = true)
    {
        font.italic = on;
        return *this;
    }
    ReportItem& sized(double pointSize)
    {
        font.pointSize = pointSize;
        return *this;
    }
    ReportItem& family(const QString& f)
    {
        font.family = f;
        return *this;
    }
    ReportItem& formatted(const FieldFormat& f)
    {
        format = f;
        return *this;
    }
    ReportItem& formatted(const QString& pattern)
    {
        format = FieldFormat::parse(pattern);
        return *this;
    }
    ReportItem& over(AggregateScope s)
    {
        scope = s;
        return *this;
    }
    ReportItem& wrapped(bool on = true)
    {
        wordWrap = on;
        return *this;
    }
};

struct ReportBand {
    double height = 0;   // mm; a band of height 0 is not printed
    QList<ReportItem> items;
    bool newPageBefore = false;   // starts on a fresh page (nothing happens at the top of a page)
    bool newPageAfter = false;   // what follows starts on a fresh page
    // The band grows (never past one page) so that each of its wrapped items shows every
    // line of its text; its other items keep their place.
    bool canGrow = false;

    ReportBand() = default;
    explicit ReportBand(double h, QList<ReportItem> it = {}) : height(h), items(std::move(it)) { }
    ReportBand& add(const ReportItem& item)
    {
        items.append(item);
        return *this;
    }
    bool isPrinted() const { return height > 0; }
};

// A group breaks when the value of `field` changes from one row to the next (rows must
// come sorted by it); an outer group's break also closes and reopens every inner group.
struct ReportGroup {
    QString field;
    ReportBand header;
    ReportBand footer;
    bool repeatHeader = false;   // the header is printed again at the top of each new page
};

struct PageSetup {
    QPageSize::PageSizeId size = QPageSize::A4;
    QSizeF customSizeMm;   // used when size is QPageSize::Custom (portrait width x height)
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm {12, 10, 12, 10};

    QPageSize pageSize() const;
    QSizeF sizeMm() const;   // oriented
    double printableWidth() const { return sizeMm().width() - marginsMm.left() - marginsMm.right(); }
    double printableHeight() const { return sizeMm().height() - marginsMm.top() - marginsMm.bottom(); }
    QPageLayout pageLayout() const;   // zero device margins: the report keeps its own
};

struct ReportLayout {
    QString name;   // "drArticoli"
    QString caption;   // document title; also the report title when the caller sets none
    PageSetup page;
    FontSpec font {QStringLiteral("DejaVu Sans"), 9, false, false};
    ReportBand reportHeader;
    ReportBand pageHeader;
    QList<ReportGroup> groups;   // outermost first
    ReportBand detail;
    ReportBand pageFooter;
    ReportBand reportFooter;

    // Every column that fields, functions and groups read.
    QStringList fieldsUsed() const;

    // The text form (JSON), see ReportLayout.cpp for the keys. Raises AppError on a
    // malformed text, naming what is wrong.
    static ReportLayout fromJson(const QByteArray& json);
};

// A plain column report: title and column headings on every page, one detail line per
// row, page number in the page footer, and at the end the totals under their columns and
// a count line. The program's fixed lists are all of this shape.
struct TabularColumn {
    QString heading;   // may be empty (a column sharing its neighbour's heading)
    QString field;
    double widthMm = 0;   // 0: an equal share of the width the other columns leave
    FieldFormat format;
    bool total = false;   // its sum stands under the column in the report footer
    std::optional<Qt::Alignment> alignment;   // default: right for number formats, else left
};

struct TabularSpec {
    QString name;
    QString caption;
    PageSetup page;
    FontSpec font {QStringLiteral("DejaVu Sans"), 9, false, false};
    QList<TabularColumn> columns;
    QString countLabel;   // "Numero degli articoli:"; empty: no count line
    FieldFormat countFormat = FieldFormat::number(0, true);
    QString pageFooterPattern = QStringLiteral("Pag. %p / %P");
    double rowHeightMm = 5;
};

ReportLayout buildTabularLayout(const TabularSpec& tabular);

}   // namespace report
