#pragma once
// The report display: the rows of the data set the main window shows, printed, previewed or
// exported through the fixed layout that belongs to their table and section, or, with no
// layout, offered to the browser. The layouts themselves are registered by the layer that
// owns them (setReportLayoutProvider); this file chooses, feeds and runs one.
#include "report/ReportData.h"
#include "report/ReportEngine.h"
#include "report/ReportLayout.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class TableData;

enum ReportMode : int16_t { ReportPrint = 0, ReportPreview = 1, ReportExport = 2 };

// The layout of a table and a section key (exact comparisons): "drInventarioMagazzino",
// "drImponibileMagazzino", "drArticoli", "drForniture", "drVendite", "drArticoliVenduti",
// "drImponibileVendite", "drClienti"; empty when the rows have none.
QString ReportLayoutName(const QString& tableName, const QString& sectionKey);

// Gives the layout of a name, or none. No provider: no layout exists.
using ReportLayoutProvider = std::function<std::optional<report::ReportLayout>(const QString& layoutName)>;
void setReportLayoutProvider(ReportLayoutProvider provider);

// A stable copy of the rows for a report: one row per row of the data set (read through a
// clone, so the caller's current row stays), the given columns, values as the data set
// holds them (Currency, QDateTime, qint64, bool, double, QString, Null); a single
// reference shows the referenced row's first display field, as the grid shows it.
report::MemoryDataSource ReportRowsOf(TableData& rows, const QStringList& columns);

// The paginated report of the rows through the layout, titled `title`; the data set's
// RecordSource.Suspended is True while its rows are read and put back afterwards.
report::ReportDocument BuildDataReport(TableData& rows, const report::ReportLayout& layout, const QString& title);

// A plain column report of the fields (empty: every shown field of the data set): their
// captions as headings, amounts totalled at the end, a count line and "Pag. %p / %P".
report::ReportLayout ColumnReportLayout(TableData& rows, const QStringList& fields, const QString& caption);

// Prints (mode 0, with the print dialog), previews (1) or exports (2) the rows through the
// layout of their table and section; any other mode runs nothing. With no layout, asks
// whether to see the rows in the browser. Errors are shown as "Operazione fallita..." and
// leave RecordSource.Suspended as it was.
void ShowDataReport(TableData& rows, int16_t& mode, QString& sectionKey);
// The same with a given layout.
void ShowDataReportWith(TableData& rows, const report::ReportLayout& layout, int mode, const QString& title);

// Runs a finished report in a mode: by default the print dialog, the preview window or the
// export file dialog (report/ReportOutput.h). With the program's questions coming from a
// script, print and preview only take the script's next line.
using ReportRunner = std::function<void(const report::ReportDocument& doc, int mode, QWidget* owner)>;
void setReportRunner(ReportRunner runner);   // null restores the default

// The browser view of rows that have no layout: by default the rows are written as an HTML
// table to "TableData.htm" in the data folder and opened. The main window registers its own
// export (with the choice of the fields' order).
using ReportBrowserExport = std::function<void(TableData& rows, QWidget* owner)>;
void setReportBrowserExport(ReportBrowserExport exporter);   // null restores the default
