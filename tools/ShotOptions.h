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
}
