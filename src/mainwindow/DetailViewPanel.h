#pragma once
// The main window's detail area: the grid with the view of the selected tree node, rebuilt at
// every refresh, and the commands that change what it shows (the date selection, the
// currency, the predefined selections). A refresh builds and opens the view (DetailView),
// attaches the grid to it, makes the column and related-data menus anew (GridMenuCommands),
// shows the date controls and applies the commands' enabling (CommandEnabling) whatever the
// outcome: a view that cannot be shown leaves an empty grid and the row commands off.
//
// The view logic lives while a database is open: it is made for the database of the first
// refresh after an opening and dropped when the database is released.
#include "operations/DetailView.h"
#include "GridMenuCommands.h"
#include "ViewAdapters.h"
#include "ViewCommands.h"
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class DateSelection;
class ObjDataGrid;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
struct MainWindowMenus;

// Gives the grid a narrow column of row selectors on its left, blank like a record
// selector: the corner above it is where the grid's setting button stands.
void InstallRowSelectors(ObjDataGrid& grid, int width);

class DetailViewPanel : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget* window = nullptr;
        const MainWindowMenus* menus = nullptr;
        QToolBar* toolbar = nullptr;
        ObjDataGrid* grid = nullptr;
        QToolButton* gridSetting = nullptr;
        QPushButton* dateButton = nullptr;
        QLabel* sectionTitle = nullptr;   // the section's title ("lblTitle" 0)
        QLabel* viewTitle = nullptr;   // the view's title line ("lblTitle" 1); its standing text in "Tag"
    };
    struct Hooks {
        std::function<std::optional<ViewNode>()> selectedNode;
        std::function<void()> relayout;   // the window's Form_Resize
        std::function<void()> buildSectionButtons;
        std::function<void(QMenu*)> popup;
        std::function<void(const std::function<void()>&)> guard;   // the window's one catch
    };
    DetailViewPanel(Widgets widgets, DateSelection& dates, Hooks hooks);
    ~DetailViewPanel() override;

    // RefreshDetailView: the selected node shown with the caller's order and condition (both
    // empty for the node's own). Does nothing while the database is closed or a refresh runs;
    // waits while the view is held.
    void Refresh(const QString& order, const QString& where);
    // Held while a command works on the shown rows through dialogs and pending events (a
    // document window, the row editor, a print with its Stop button): a refresh asked for
    // meanwhile (by that window, a timer) waits until the last hold goes, so the rows never
    // go away under the command.
    using ViewHold = std::shared_ptr<void>;
    ViewHold HoldView();
    bool Refreshing() const { return m_view && m_view->Refreshing(); }
    // The database is about to be released: the grid lets go and the view logic goes.
    void Release();

    // The data set shown (m_objCurDataSource while a view is on show); null when none is.
    TableData* DataSet() const;
    DetailView* View() const { return m_view.get(); }
    ViewQuery Query() const;
    GridMenuCommands& Grid() { return *m_grid; }
    // The view commands; null while no database is open.
    ViewCommands* Commands() const { return m_commands.get(); }

    // --- the date and view commands, as the menus reach them ------------------------------------
    void SelectAll();
    void SelectDay();
    void SelectMonth();
    void SelectPeriod();
    void ToggleCurrencyConversion();
    void EditPredefinedSelections();
    void DeletePredefinedSelections();
    // The date button's and menu's texts and ticks from the date selection.
    void ShowDateCaptions();
    // The language of dates and amounts shown (by default DateSelection::DisplayLocale()).
    void SetLocale(const QLocale& locale);

private:
    bool ensureView();
    void resetMenus();
    void attachGrid();
    void noView();
    void applyEnabling();
    void showQueryTexts();
    QString dateFieldCaption() const;
    QString nodeText() const;

    Widgets m_w;
    DateSelection& m_dates;
    QLocale m_locale;
    Hooks m_hooks;
    WindowViewDialogs m_dialogs;
    std::unique_ptr<GridMenuCommands> m_grid;
    Database* m_db = nullptr;
    std::unique_ptr<DetailView> m_view;
    std::unique_ptr<ViewCommands> m_commands;
    bool m_hourglass = false;
    int m_holds = 0;
    std::optional<std::pair<QString, QString>> m_waitingRefresh;   // order, condition
};
