#pragma once
// The hidden batch of the main window (Ctrl+Shift+Alt+M) that gives articles their supplier
// from marker characters written at the end of their descriptions: the operator pairs each
// marker with a supplier, then every article whose description ends with markers gets the
// supplier of the marker nearest the start of that trailing run, and loses the markers.
#include <QString>
#include <functional>

class Database;
class TableData;

namespace SupplierAssignment {

inline constexpr int kMaxSymbols = 20;
inline constexpr const char* kTitle = "Assegnazione fornitori";

// One description worked: its trailing run of characters (from the end back to the first
// blank) walked from the last one; each marker found is blanked out, and the one met last
// wins. `position` is that marker's place in `symbols` (from 1), 0 when none was found. The
// text keeps the blanks; the caller stores it without the trailing ones.
struct Worked {
    QString text;
    int position = 0;
};
Worked WorkDescription(const QString& description, const QString& symbols);

// The row chooser over the suppliers (showing "Descrizione"): true with the chosen row
// current, false when none was chosen.
using ChooseSupplier = std::function<bool(TableData& suppliers)>;
// "rows done/row count" while the articles are worked.
using ShowProgress = std::function<void(const QString& text)>;

// Asks first, then the markers one at a time (an empty answer ends the list; at most 20, one
// character each, none twice), then the summary; and works every article. Returns the
// number of articles changed.
int Run(Database& db, const ChooseSupplier& choose, const ShowProgress& progress = {});

}   // namespace SupplierAssignment
