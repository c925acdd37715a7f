#include "MvTool.h"
#include "base/AppError.h"
#include "dialogs/MirtavoliaApplication.h"
#include "dialogs/ProgramDialogs.h"
#include <QApplication>
#include <QTextStream>
#include <cstdio>
#include <map>

namespace {
struct Command {
    QString usage;
    mvtool::Run run;
};
bool g_usageShown = false;   // the command printed a usage line of its own
std::map<QString, Command>& commands()
{
    static std::map<QString, Command> c;
    return c;
}
int usage()
{
    mvtool::err(QStringLiteral("usage: mvtool <command> [arguments]"));
    for (const auto& [name, c] : commands()) mvtool::err(QStringLiteral("  ") + c.usage);
    return 2;
}
}

bool mvtool::add(const char* name, const char* use, Run run)
{
    commands()[QString::fromUtf8(name)] = Command {QString::fromUtf8(use), std::move(run)};
    return true;
}

void mvtool::out(const QString& line)
{
    QByteArray b = line.toUtf8();
    b += '\n';
    fwrite(b.constData(), 1, b.size(), stdout);
}

QString mvtool::lines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

void mvtool::err(const QString& line)
{
    if (line.startsWith(QLatin1String("usage: mvtool "))) g_usageShown = true;
    QByteArray b = line.toUtf8();
    b += '\n';
    fwrite(b.constData(), 1, b.size(), stderr);
}

std::function<void(const QString&)> mvtool::saying(const QString& text)
{
    return [text](const QString&) { err(text); };
}

int main(int argc, char** argv)
{
    // Widgets are needed by the commands that render windows; offscreen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before the application: the platform speaks while it starts.
    InstallPlatformMessageFilter();
    QApplication app(argc, argv);
    InstallDialogServices();
    QApplication::setApplicationName(QStringLiteral("Mirtavolia"));
    QApplication::setOrganizationName(QStringLiteral("Mirtavolia"));
    // The windows it renders speak as the program does.
    QLocale::setDefault(ProgramLocale(QLocale::system()));
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();
    auto it = commands().find(args.first());
    if (it == commands().end()) return usage();
    try {
        const int status = it->second.run(args.mid(1));
        // Wrong arguments: the command's own usage line says what it takes.
        if (status == 2 && !g_usageShown) mvtool::err(QStringLiteral("usage: mvtool ") + it->second.usage);
        return status;
    } catch (const AppError& e) {
        mvtool::err(QStringLiteral("ERROR %1: %2").arg(e.number).arg(mvtool::lines(e.description)));
        return 1;
    } catch (const std::exception& e) {
        mvtool::err(QStringLiteral("ERROR: %1").arg(QString::fromUtf8(e.what())));
        return 1;
    }
}
