#include "OperationWindows.h"

namespace {
OperationWindows* g_windows = nullptr;
}

OperationWindows* operationWindows() { return g_windows; }
void setOperationWindows(OperationWindows* windows) { g_windows = windows; }
