// Every test program that links this runs the core's rules with the program's own shared
// windows, as the program does (a test that wants none sets its own DialogServices).
#include "dialogs/ProgramDialogs.h"

namespace {
const bool g_installed = (InstallDialogServices(), true);
}
