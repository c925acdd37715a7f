#include "LibraryNotifications.h"
#include "objdb/Database.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

namespace {
constexpr int kWarning = 3;
}

QString LibraryNotifications::EventText(int action, const QString& detail)
{
    QString text = LibraryGlobal::GetEventText(action);
    if (!detail.isEmpty()) text += QStringLiteral(" <") + detail + QStringLiteral(">...");
    return text;
}

void LibraryNotifications::InternalMessage(const QString& message) { ui().msgBox(message, Msg::OKOnly, AppTitle()); }

bool LibraryNotifications::QueryMessage(int messageType, const QString& message, bool cancel)
{
    const int flags = int(Msg::OKCancel) + int(messageType == kWarning ? Msg::Exclamation : Msg::Question)
        + int(cancel ? Msg::DefaultButton2 : Msg::DefaultButton1);
    return ui().msgBox(message, flags, AppTitle()) != Msg::OK;
}
