#pragma once
// The program's application object: an error that escapes an event handler is reported
// through ShowErrorDetails instead of ending the program.
#include <QApplication>
#include <QLocale>
#include <functional>

class MirtavoliaApplication final : public QApplication {
public:
    MirtavoliaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The locale the program speaks: the system's, but Italian when the system names no language
// (C or POSIX), so that calendars and numbers match the Italian captions around them.
QLocale ProgramLocale(const QLocale& system);

// Drops the warnings a windowing platform gives for what it cannot do ("This plugin does
// not support raise()", "... propagateSizeHints()"): a headless run on the offscreen
// platform shows and raises windows as any run does, and those lines say nothing about the
// program. Every other message goes where it went before. Installed by the application
// object; the developer's tool installs it too.
void InstallPlatformMessageFilter();

// Runs one delivery of an event; an exception it throws is reported and the event counts as
// not handled.
bool DeliverReportingErrors(const std::function<bool()>& deliver);

// How many deliveries are under way, one inside the other: 1 for a handler the event loop
// called, more for one reached through a wait that serves events (processEvents) inside
// another handler. 0 where the application object is not the program's.
int EventDeliveryDepth();
