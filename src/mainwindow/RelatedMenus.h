#pragma once
// The data related to the row shown in the grid, offered in the grid's popup menu and
// opened in a view of its own: the lists the row holds and the rows of other tables that
// refer to it ("< Associati >"), the rows it refers to ("< Riferimenti >"), and the rows
// that contain it ("< Contenitori >").
//
// The menu walks up from the shown table through its parent tables (a sale line's article,
// say), so a row also reaches what its parent row is related to. Each entry carries a number
// counted across that walk: the entry's position among its kind in its own table plus the
// count of that kind in every table walked before. Opening repeats the walk on the rows
// themselves to turn the number back into an item.
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Database;
class TableData;
class TableObject;

enum class RelatedKind { Association, Reference, Container };

struct RelatedEntry {
    QString caption;
    int number = 0;
    friend bool operator==(const RelatedEntry&, const RelatedEntry&) = default;
};

struct RelatedMenuSet {
    std::vector<RelatedEntry> associations;   // under "< Associati >"
    std::vector<RelatedEntry> references;   // under "< Riferimenti >"
    std::vector<RelatedEntry> containers;   // under "< Contenitori >"
    // The headers: each shown when its group has entries; all three when none has any.
    bool associationsHeader = true;
    bool referencesHeader = true;
    bool containersHeader = true;
};

// What an entry opens: the rows to show in a view, under the entry's caption.
struct RelatedRows {
    std::unique_ptr<TableData> rows;
    QString title;
};

class RelatedMenus {
public:
    explicit RelatedMenus(Database& db);

    static QString HeaderCaption(RelatedKind kind);

    // The menus for the rows of `ds`; only the headers when ds is null (no view, or a view
    // that is no table's data set).
    RelatedMenuSet Build(const TableData* ds) const;

    // Entry `number` of `kind` for the current row of ds. Said to the user and none when it
    // cannot be opened (the row is no table's, or the library refuses).
    std::optional<RelatedRows> Open(TableData& ds, RelatedKind kind, int number) const;

private:
    struct Item {
        QString caption;
        QString table;   // association: the referring table (empty for a list); container: the holding table
        QString reference;   // the reference's name (associations and references)
        bool parent = false;   // container: the parent table of a child table
    };
    std::vector<Item> items(const TableObject& table, RelatedKind kind) const;
    std::unique_ptr<TableData> open(TableData& level, const Item& item, RelatedKind kind) const;

    Database& m_db;
};
