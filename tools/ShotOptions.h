#pragma once
// What `mvtool shot` was told beyond the window's name, for windows that show rows: the
// table, the operator's access level, the database file (none: a small sample shop made for
// the picture), and whether a new row is pictured.
#include <QString>

namespace mvtool {
struct ShotOptions {
    QString table;
    int level = 1;
    QString database;
    bool newRow = false;
};
ShotOptions& shotOptions();
}
