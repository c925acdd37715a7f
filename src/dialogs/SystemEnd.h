#pragma once
// The system ending the program: a shop PC that shuts down sends SIGTERM, a closed terminal
// or session SIGHUP. Either is the main window's close for a system shutdown: nothing is
// asked, an open document is given up as its window's unload gives it up, the placement and
// settings are stored, the database is closed, the program ends with status 0.
#include <QObject>
#include <functional>

// Turns SIGTERM and SIGHUP into a Qt signal. The handlers only write the signal's number
// into a pipe; the event loop reads it, so no Qt call is ever made inside a handler.
class SystemEndSignals final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers (once per process) and gives the object that tells of them.
    static SystemEndSignals& Install();

signals:
    void endRequested(int signalNumber);

private:
    SystemEndSignals();
    void readPipe();
};

// Ends the program as the system does. From now on nothing is asked (setSystemEnding). The
// modal windows open close as Esc closes them, the innermost first and each only once the
// one inside it has returned: no window's code is left running on a document that is gone.
// Then, from the program's own event loop, with no handler under way (a receipt being sent
// finishes first), `finish` runs (the main window's unload).
void EndProgramForSystem(std::function<void()> finish);
