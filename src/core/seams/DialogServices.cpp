#include "DialogServices.h"

namespace {
// A function's static, so that a registration made while statics are set up finds it ready.
std::shared_ptr<DialogServices>& installedDialogs()
{
    static std::shared_ptr<DialogServices> services;
    return services;
}
}

DialogServices* dialogServices() { return installedDialogs().get(); }
void setDialogServices(std::shared_ptr<DialogServices> services) { installedDialogs() = std::move(services); }

void ShowProgressWindow(const QString& message, QWidget* owner, int32_t top, int32_t left)
{
    if (DialogServices* d = dialogServices()) d->ShowProgress(message, owner, top, left);
}

itfProgress* ProgressWindowTarget()
{
    DialogServices* d = dialogServices();
    return d ? d->ProgressTarget() : nullptr;
}

bool ProgressWindowLoaded()
{
    DialogServices* d = dialogServices();
    return d && d->ProgressLoaded();
}

void UnloadProgressWindow()
{
    if (DialogServices* d = dialogServices()) d->UnloadProgress();
}
