#include "MainWindowServices.h"

namespace {
MainWindowServices* g_services = nullptr;
}

MainWindowServices* mainWindowServices() { return g_services; }
void setMainWindowServices(MainWindowServices* services) { g_services = services; }

void ShowMainWindowStatus(const QString& text)
{
    if (g_services) g_services->SetStatusMsg(text);
}
