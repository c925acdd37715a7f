#pragma once
#include "ReportData.h"
#include "ReportLayout.h"
#include <QDate>
#include <QList>

// Pagination: a layout over a data source becomes a ReportDocument, pages of placed bands
// whose items carry their final text. Page numbers and the page count are filled in after
// every page is known, so "%P" is right on the first page too. Painting (ReportPainter.h)
// and HTML export (ReportHtml.h) read the document; neither needs the data again.
namespace report {

struct PlacedItem {
    ItemKind kind = ItemKind::Label;
    QRectF rect;   // mm from the page's top-left corner
    QString text;   // final text (empty for lines and boxes)
    Qt::Alignment alignment = Qt::AlignLeft;
    FontSpec font;   // resolved: family and size always set
    double lineWidth = 0.2;
    bool wordWrap = false;
};

struct PlacedBand {
    BandKind kind = BandKind::Detail;
    int groupLevel = -1;   // group bands: 0 = outermost
    int row = -1;   // the data row the band shows (detail, group bands), else -1
    QRectF rect;   // mm from the page's top-left corner
    bool repeated = false;   // a group header printed again at the top of a new page
    QList<PlacedItem> items;
};

struct ReportPage {
    QList<PlacedBand> bands;
    QString text() const;   // every item's text, band by band, one line per band (for checks)
};

struct ReportDocument {
    QString name;
    QString caption;
    QString title;
    PageSetup page;
    QList<ReportPage> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
};

struct RenderOptions {
    QString title;   // "%i" and Title items; empty: the layout's caption
    QDate printDate;   // "%d"; invalid: today by the program's clock
    QLocale locale = reportLocale();
};

// Raises AppError when the layout names a column the data source lacks, or when the
// page has no room for the page header and footer.
ReportDocument paginate(const ReportLayout& layout, const ReportDataSource& data, const RenderOptions& options = {});

// The text of a PageNumber/Title pattern.
QString expandPattern(const QString& pattern, int page, int pageCount, const QString& title, const QDate& date);

}   // namespace report
