#pragma once
// The program's start and the opening of the working database.
#include <functional>

class QWidget;

// Loads (creates, does not show) the main window.
using MainWindowLoader = std::function<QWidget*()>;

// The program's entry once the application object exists: refuses a second running copy,
// shows the splash, loads the configuration, asks for the access password, loads the main
// window, drops the splash and the password window, shows the main window and runs the
// event loop (whose first activation of the main window opens the database). Returns the
// process exit code.
int Main(const MainWindowLoader& loadMainWindow);

// Opens (or, when the user agrees, creates) the working database into g_objDBEngine and
// g_objDatabase, and gives up what a program that died left open in it (OpeningNotice). bOpenedBefore: the main window's flag of an earlier successful opening
// (made false when the maintenance file is found missing). False when the database is not
// open: the user left the options dialog without OK, or an error was reported; the
// database objects are then released, so the next call starts again.
bool InitDatabase(bool& bOpenedBefore);

// What the last opening did of its own accord, for the status bar: a log of another file set
// aside, the documents a program that died had left open, given up (empty when none).
QString OpeningNotice();

// The software-update check made before the opening (outside the backup archive, with a
// working folder set): a package in the working folder's local "Updates" folder. Errors it
// raises are ignored. Tests replace it; null restores it.
using StartupUpdateCheck = std::function<void()>;
void SetStartupUpdateCheck(StartupUpdateCheck check);
