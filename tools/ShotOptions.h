#pragma once
// What `mvtool shot` was told beyond the window's name, for windows that show rows: the
// table, the operator's access level, the database file (none: a small sample shop made for
// the picture), whether a new row is pictured, and whether a console's exchange log is
// filled with sample lines.
#include <QString>

namespace mvtool {
struct ShotOptions {
    QString table;
    int level = 1;
    QString database;
    bool newRow = false;
    bool sampleLog = false;
};
ShotOptions& shotOptions();

// With --db: the shop file opened as the program's database (g_objDatabase), for the
// windows that work on it (the main window, the deposit dialog); a missing file raises
// AppError. Without --db nothing is opened here. Released with the database objects.
void OpenShotDatabase();
// The small sample shop made for the picture in a temporary folder, opened as the program's
// database; nothing when one is open already.
void OpenSampleShop();
// Without --db, the windows that work on the shop's rows (the deposit dialog) stand on the
// working database, found as the program finds it (the settings' data folder); with none
// there, on the sample shop. Never on no database at all.
void OpenWorkingShop();
}
