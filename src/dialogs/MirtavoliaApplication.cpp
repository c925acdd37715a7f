#include "MirtavoliaApplication.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/ErrorReporting.h"

namespace {
QtMessageHandler g_nextHandler = nullptr;

// The platform's notices on what it cannot do, and the one on a session without a runtime
// folder (a shell or a service starts the program so; the platform takes one in /tmp), say
// nothing the user can act on.
bool isPlatformLimitWarning(QtMsgType type, const QString& message)
{
    return type == QtWarningMsg
        && (message.startsWith(QLatin1String("This plugin does not support "))
            || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")));
}

void filterPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (isPlatformLimitWarning(type, message)) return;
    if (g_nextHandler) g_nextHandler(type, context, message);
}
}

void InstallPlatformMessageFilter()
{
    static const bool installed = [] {
        g_nextHandler = qInstallMessageHandler(filterPlatformMessages);
        return true;
    }();
    (void)installed;
}

MirtavoliaApplication::MirtavoliaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallPlatformMessageFilter();
    setApplicationName(QString::fromLatin1(kAppTitle));
    setOrganizationName(QString::fromLatin1(kAppTitle));
    QLocale::setDefault(ProgramLocale(QLocale::system()));
}

QLocale ProgramLocale(const QLocale& system)
{
    return system.language() == QLocale::C ? QLocale(QLocale::Italian, QLocale::Italy) : system;
}

bool MirtavoliaApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverReportingErrors([&] { return QApplication::notify(receiver, event); });
}

namespace {
int g_deliveryDepth = 0;
}

int EventDeliveryDepth() { return g_deliveryDepth; }

bool DeliverReportingErrors(const std::function<bool()>& deliver)
{
    ++g_deliveryDepth;
    const struct Leave {
        ~Leave() { --g_deliveryDepth; }
    } leave;
    try {
        return deliver();
    } catch (...) {
        // Reporting must not throw out of the event loop either.
        try {
            ShowErrorDetails();
        } catch (...) { }
        return false;
    }
}
