#pragma once
// The program's fixed report layouts: articles, supplies, sales, articles sold, stock
// inventory, taxable sales, taxable stock and customers. The report display prints,
// previews and exports the rows of the main window's report views through them; each reads
// the columns its view delivers, by name.
#include "report/ReportLayout.h"
#include <QString>
#include <QStringList>
#include <optional>

// "drArticoli", "drForniture", "drVendite", "drArticoliVenduti", "drInventarioMagazzino",
// "drImponibileVendite", "drImponibileMagazzino", "drClienti".
QStringList FixedReportLayoutNames();

// The layout of that name (exact comparison); none for any other name.
std::optional<report::ReportLayout> FixedReportLayout(const QString& name);

// Makes the layouts the report display's: from then on the rows of a table and section that
// have a layout print through it. Called once at start.
void InstallReportLayouts();
