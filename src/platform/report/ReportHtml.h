#pragma once
#include "ReportEngine.h"
#include <QString>

// HTML export of a paginated report: plain tables, every text escaped, UTF-8. Items of
// all bands are set on one grid of columns (from their left edges), so a total stands in
// the column of the figures it adds up. Lines and boxes are not exported.
namespace report {

enum class HtmlMode {
    Continuous,   // one table: the first page header, then every band but page headers and footers
    PerPage,   // one table per page, every band, each page on its own printed sheet
};

QString toHtml(const ReportDocument& doc, HtmlMode mode = HtmlMode::Continuous);

// Replaces the file only when it was written whole; raises AppError when it cannot be.
void writeHtml(const ReportDocument& doc, const QString& path, HtmlMode mode = HtmlMode::Continuous);

}   // namespace report
