#pragma once
// The field menus of a shown view: the columns a user may search, filter, sort and total,
// and the Find button's list with its default column. They are rebuilt from the view's
// fields every time a view opens, so they never name a column of the view before.
#include "objdb/TableData.h"
#include <QString>
#include <optional>
#include <vector>

class DetailView;

// One run-time element of a menu: what the user reads and the value it carries.
struct MenuEntry {
    QString caption;
    QString tag;   // the field name; empty when the element carries none
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

struct FieldMenus {
    // Element i of each menu is entry i-1 here (element 0 is the menu's fixed heading).
    std::vector<MenuEntry> search;   // text fields: caption, field name
    std::vector<MenuEntry> filter;   // the same fields
    std::vector<MenuEntry> order;   // shown fields
    std::vector<MenuEntry> totals;   // shown integer, number and currency fields: the field name as caption
    std::vector<MenuEntry> findList;   // the Find button's drop-down: text = caption, key = field name
    // The Find button's column: 1-based in findList; none when the view has no text field.
    std::optional<int> findColumn;
};

// Type codes searched as text, and those a column total adds up.
bool IsSearchableType(int typeCode);
bool IsTotalledType(int typeCode);

FieldMenus BuildFieldMenus(const std::vector<FieldInfo>& fields);

// The fields of the data set a DetailView shows; empty when nothing is shown.
std::vector<FieldInfo> ShownFields(const DetailView& view);

// A field as a Jet condition names it: bracketed, so a name that is a reserved word or holds
// a blank still reads as one column ("Table.Field" stays two parts).
QString JetFieldTerm(const QString& field);
