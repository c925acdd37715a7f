#pragma once
// Ending the program at once, from inside a dialog (a refused start, a failed password
// change). Tests replace the handler to observe the end instead of leaving the process.
#include <functional>

// Runs the handler: by default the process exits with `exitCode`. Returns only when a test
// installed a handler that returns.
void EndProgramNow(int exitCode);
using ProgramEndHandler = std::function<void(int exitCode)>;
void setProgramEndHandler(ProgramEndHandler handler);   // null restores the default
