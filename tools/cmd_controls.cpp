#include "dialogs/AnswerControls.h"
#include "core/configuration/Configuration.h"
#include "MvTool.h"
#include "dialogs/WindowRegistry.h"
#include <QWidget>

namespace {
// What the name=value pairs of a headless run's answer line can set in a window.
int controls(const QStringList& args)
{
    if (args.size() != 1) {
        mvtool::err(QStringLiteral("usage: mvtool controls WINDOW"));
        return 2;
    }
    // With the stored settings, as the program opens the window.
    LoadConfiguration();
    std::unique_ptr<QWidget> window = windows::create(args.at(0));
    if (!window) {
        mvtool::err(QStringLiteral("no window named %1; known windows: %2")
                        .arg(args.at(0), windows::names().join(QStringLiteral(", "))));
        return 1;
    }
    for (const QString& line : answers::Controls(*window)) mvtool::out(line);
    return 0;
}
}

MV_COMMAND("controls", "controls WINDOW   the controls an answer line sets (name=value, kind, choices)", controls);
