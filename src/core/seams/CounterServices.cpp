#include "CounterServices.h"

namespace {
CounterServices* g_services = nullptr;
}

CounterServices* counterServices() { return g_services; }
void setCounterServices(CounterServices* services) { g_services = services; }
