#pragma once
// Where the main window opens: its placement and the splitter's position, kept in the
// section "Settings" of the settings store under keys of their own ("MainLeft", "MainTop",
// "MainWidth", "MainHeight", "MainState", "MainSplit"), in twips. The arithmetic is the one
// every window's placement follows: a maximised or minimised window stores only its state,
// so its normal placement stays stored underneath, and a minimised state opens normal.
#include "dialogs/FormUtilities.h"
#include <QRect>

class QWidget;

struct MainPlacement {
    placement::Values window;   // twips
    double split = 0;   // the splitter's left edge
};

namespace MainWindowPlacement {
inline constexpr double kDefaultLeft = 1000;
inline constexpr double kDefaultTop = 1000;
inline constexpr double kDefaultWidth = 6500;
inline constexpr double kDefaultHeight = 6500;
inline constexpr double kDefaultSplit = 3500;

// The stored placement, with the defaults above for what is missing. A stored value that is
// not a number raises AppError.
MainPlacement Load();
// Writes the state and, for a normal window, its bounds; the splitter when it stands above 0.
void Save(const MainPlacement& placement);

// The same on a window: the placement applied (kept on a screen), and read back.
// Load reports an unreadable store ("Posizioni finestra non ripristinate...") and returns the
// defaults.
MainPlacement Restore(QWidget& window);
MainPlacement Current(const QWidget& window, double split);
}   // namespace MainWindowPlacement
