#include "MirtavoliaApplication.h"
#include "core/Configuration.h"
#include "core/ErrorReporting.h"

namespace {
QtMessageHandler g_nextHandler = nullptr;

bool isPlatformLimitWarning(QtMsgType type, const QString& message) {
    return type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support "));
}

void filterPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (isPlatformLimitWarning(type, message)) return;
    if (g_nextHandler) g_nextHandler(type, context, message);
}
}

void InstallPlatformMessageFilter() {
    static const bool installed = [] {
        g_nextHandler = qInstallMessageHandler(filterPlatformMessages);
        return true;
    }();
    (void)installed;
}

MirtavoliaApplication::MirtavoliaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    InstallPlatformMessageFilter();
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
