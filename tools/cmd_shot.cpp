#include "MvTool.h"
#include "WindowRegistry.h"
#include <QWidget>

namespace {
int shot(const QStringList& args) {
    if (args.size() == 1 && args.first() == QStringLiteral("--list")) {
        for (const QString& name : windows::names()) mvtool::out(name);
        return 0;
    }
    if (args.size() != 2) return 2;
    std::unique_ptr<QWidget> window = windows::create(args.at(0));
    if (!window) {
        mvtool::err(QStringLiteral("no window named %1; known windows: %2")
                        .arg(args.at(0), windows::names().join(QStringLiteral(", "))));
        return 1;
    }
    QString error;
    if (!windows::renderToFile(*window, args.at(1), &error)) {
        mvtool::err(error);
        return 1;
    }
    mvtool::out(args.at(1));
    return 0;
}
}

MV_COMMAND("shot", "shot WINDOW FILE.png | shot --list   render a window offscreen to a PNG", shot);
