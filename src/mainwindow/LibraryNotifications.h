#pragma once
// What the main window makes of the database library's notifications: status texts, plain
// messages and OK/Cancel questions, all under the program's title.
#include <QString>

namespace LibraryNotifications {

// The status text of an event: the library's text of the event code, then " <detail>..."
// when there is a detail. An unknown code gives the detail part alone (or nothing).
QString EventText(int action, const QString& detail);

// A plain OK box with the message.
void InternalMessage(const QString& message);

// An OK/Cancel box: the exclamation icon for type 3 (a warning), the question icon
// otherwise, Cancel as the default button when `cancel` comes in true. Returns the new
// `cancel`: true unless the answer was OK.
bool QueryMessage(int messageType, const QString& message, bool cancel);

}   // namespace LibraryNotifications
