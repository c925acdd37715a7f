#include "MirtavoliaApplication.h"
#include "Configuration.h"
#include "ErrorReporting.h"

MirtavoliaApplication::MirtavoliaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(kAppTitle));
    setOrganizationName(QString::fromLatin1(kAppTitle));
    QLocale::setDefault(ProgramLocale(QLocale::system()));
}

QLocale ProgramLocale(const QLocale& system) {
    return system.language() == QLocale::C ? QLocale(QLocale::Italian, QLocale::Italy) : system;
}

bool MirtavoliaApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverReportingErrors([&] { return QApplication::notify(receiver, event); });
}

bool DeliverReportingErrors(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (...) {
        // Reporting must not throw out of the event loop either.
        try {
            ShowErrorDetails();
        } catch (...) {
        }
        return false;
    }
}
