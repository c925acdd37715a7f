#pragma once
// The two interfaces the program serves to the library: notifications (status texts,
// messages, questions, report requests) and progress of long operations.
#include <QString>
#include <cstdint>

class itfNotifyEvent {
public:
    virtual ~itfNotifyEvent() = default;
    // A status event: action is one of the NotifyAction codes; LibraryGlobal::GetEventText names it.
    virtual void OnEvent(int action, const QString& source, const QString& detail) { }
    virtual void OnInternalMessage(const QString& source, const QString& detail) { }
    // type 3: a warning; cancel comes in as the suggested answer and goes out True unless OK.
    virtual void OnQueryMessage(const QString& source, int messageType, const QString& message, bool& cancel) { }
    virtual void OnReportRequest(const QString& func, const QString& title, const QString& details) { }
    // A rule refused a change (CancelWithMessage) / let it go on with a warning
    // (WarnWithMessage). Both show the message as an internal message unless overridden.
    virtual void OnRefusal(const QString& source, const QString& message) { OnInternalMessage(source, message); }
    virtual void OnWarning(const QString& source, const QString& message) { OnInternalMessage(source, message); }
};

// Codes of OnEvent.
namespace NotifyAction {
enum : int {
    DatabaseOpened = 1,
    TableCreated = 2,
    TableUpgraded = 3,
    IndexNotUnique = 4,
    CopyStarted = 5,
    CopyEnded = 6
};
}

// Progress of a long library operation. OnProgress returning false (or OnStopped returning
// true) stops the operation, which then reports failure.
class itfProgress {
public:
    virtual ~itfProgress() = default;
    // a2: the total (0 when unknown), a3: the position; a1, a4, a5 are passed as 0.
    virtual bool OnProgress(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) { return true; }
    virtual bool OnStopped() { return false; }
    virtual void OnStart(int32_t a1, int32_t maximum) { }
    virtual void OnEnd(int32_t a1, int32_t a2) { }
};
