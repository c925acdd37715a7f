#pragma once
// The small shop the windows are pictured over when no database is named: articles with
// departments, units, prices and a supplier, a customer, a sale with its lines.
class Database;

namespace mvtool {
void FillSampleShop(Database& db);
}
