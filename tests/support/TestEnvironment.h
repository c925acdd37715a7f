#pragma once
#include <QString>

// Every test executable runs with XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR pointed at a
// fresh temporary folder, so no test reads or writes the user's own settings or data.
namespace testenv {
QString root();            // the temporary folder of this run
QString newDir(const QString& name);   // a fresh sub-folder of it
}
