#include "ProgramEnd.h"
#include <cstdlib>

namespace {
ProgramEndHandler& handler()
{
    static ProgramEndHandler h;
    return h;
}
}

void EndProgramNow(int exitCode)
{
    if (handler()) {
        handler()(exitCode);
        return;
    }
    std::exit(exitCode);
}

void setProgramEndHandler(ProgramEndHandler h) { handler() = std::move(h); }
