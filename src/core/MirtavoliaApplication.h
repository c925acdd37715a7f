#pragma once
// The program's application object: an error that escapes an event handler is reported
// through ShowErrorDetails instead of ending the program.
#include <QApplication>
#include <functional>

class MirtavoliaApplication final : public QApplication {
public:
    MirtavoliaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs one delivery of an event; an exception it throws is reported and the event counts as
// not handled.
bool DeliverReportingErrors(const std::function<bool()>& deliver);
