#pragma once
// The small commands that change what the main window shows and show it again: the date
// selection (all dates, a day, a month, a period), the currency conversion, a tree node,
// the refresh, the section buttons and the predefined selections of a node.
#include "operations/DateSelection.h"
#include "operations/SectionTree.h"
#include <QLocale>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class Database;
class DataSelection;
class DetailView;
class ViewDialogs;

// What the commands ask of the window, in the order they ask it.
struct ViewCommandHooks {
    std::function<void()> showCaptions;   // the date button and menu texts from the state
    std::function<void()> saveConfiguration;   // the configuration written back
    std::function<void()> refresh;   // the view shown again with the node's own query
};

class ViewCommands {
public:
    ViewCommands(DetailView& view, Database& db, DateSelection& dates, ViewDialogs& dialogs, ViewCommandHooks hooks);

    // --- date selection; a cancelled dialog changes nothing and shows nothing again ------
    void SelectAll();   // nothing while all dates are already selected
    void SelectDay();
    void SelectMonth();   // the month of the day chosen
    void SelectPeriod();   // a period with one bound set counts
    // The texts and check marks of the date controls, for the caption of the view's date field.
    DateSelection::Captions Captions(const QString& fieldCaption,
                                     const QLocale& locale = DateSelection::DisplayLocale()) const;

    // The menu's tick goes the other way; the view is shown again first, and the new tick
    // (returned) is stored in the configuration.
    bool ToggleCurrencyConversion(bool menuChecked);

    void NodeClicked() { refresh(); }
    void RefreshClicked() { refresh(); }
    // A section button: the node its tag names (a number is the node's position, else its
    // key) is selected through `selectNode`, then the view is shown again; when no node
    // fits, the node selected stays and is shown again.
    void SectionButtonClicked(const QString& tag, const std::vector<SectionNode>& nodes,
                              const std::function<void(int index)>& selectNode);
    static std::optional<int> SectionButtonNode(const QString& tag, const std::vector<SectionNode>& nodes);

    // --- predefined selections of the node captioned nodeText -------------------------
    // The editor over the node's selections; confirmed, they are stored under the caption and
    // apply from the node's next view. The menu's new tick; none when nothing changed.
    std::optional<bool> EditPredefinedSelections(const QString& nodeText);
    // The node's stored selections removed; the menu's tick goes (false). None when no view
    // is shown.
    std::optional<bool> DeletePredefinedSelections(const QString& nodeText);

private:
    void showCaptions();
    void saveConfiguration();
    void refresh();
    DataSelection* selectionFor(const QString& nodeText, bool name);

    DetailView& m_view;
    Database& m_db;
    DateSelection& m_dates;
    ViewDialogs& m_dialogs;
    ViewCommandHooks m_hooks;
};
