#pragma once
// Which of the main window's commands a view change leaves enabled, visible or ticked. The
// window applies the list after every refresh, whatever its outcome: a failed refresh shows
// nothing, so the commands that act on the shown rows go off with the grid.
#include <QString>
#include <optional>
#include <vector>

class DetailView;

struct CommandSwitch {
    enum class Kind { Menu, ToolButton, Control };
    enum class Property { Enabled, Visible, Checked };
    QString target;   // the menu's name, the toolbar button's key, or the control's name
    Kind kind = Kind::Menu;
    Property property = Property::Enabled;
    bool value = false;
    friend bool operator==(const CommandSwitch&, const CommandSwitch&) = default;
};

struct EnablingInput {
    bool shown = false;   // a view is on show in the grid
    QString table;   // its table
    QString dateField;   // its date column; empty when it has none
    bool enableFiscalPrint = false;   // sales go to the register
    bool enablePrintLabel = false;   // articles and supplies print labels
    int accessLevel = 0;   // the logged-in operator's
    bool useRicevute = false;   // the configuration's receipts switch
    // The grid's saved field sequence; none when the grid keeps no layout.
    std::optional<QString> fieldSequence;
};

struct CommandEnabling {
    std::vector<CommandSwitch> switches;   // in the order the window applies them
    QString dateButtonTag;   // the date field the date button stands for ("" when hidden)

    static CommandEnabling Compute(const EnablingInput& in);
    // The input of the view a DetailView now shows, with the operator's level and the
    // configuration of the running program.
    static EnablingInput InputFrom(const DetailView& view, int accessLevel, std::optional<QString> fieldSequence);

    // The value given to a target's property; none when the list leaves it alone.
    std::optional<bool> valueOf(const QString& target, CommandSwitch::Property property) const;
};
