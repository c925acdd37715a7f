#pragma once
// The pseudo-terminal a device test plays its device on, its link under this test run's
// private folder, which the test support clears.
#include "devices/simulators/PseudoTerminal.h"
#include "TestEnvironment.h"

class PtyPair : public PseudoTerminal {
public:
    PtyPair() : PseudoTerminal(testenv::root()) { }
};
