#include "MvTool.h"
#include "WindowRegistry.h"
#include <QSize>
#include <QWidget>

namespace {
// "--size WxH" taken out of the arguments; an empty size when not given, nullopt when malformed.
std::optional<QSize> takeSize(QStringList& args) {
    const qsizetype at = args.indexOf(QStringLiteral("--size"));
    if (at < 0) return QSize();
    if (at + 1 >= args.size()) return std::nullopt;
    const QStringList wh = args.at(at + 1).split(u'x');
    bool okWidth = false, okHeight = false;
    const QSize size = wh.size() == 2 ? QSize(wh.at(0).toInt(&okWidth), wh.at(1).toInt(&okHeight)) : QSize();
    if (!okWidth || !okHeight || size.isEmpty()) return std::nullopt;
    args.remove(at, 2);
    return size;
}

int shot(const QStringList& given) {
    if (given.size() == 1 && given.first() == QStringLiteral("--list")) {
        for (const QString& name : windows::names()) mvtool::out(name);
        return 0;
    }
    QStringList args = given;
    const std::optional<QSize> size = takeSize(args);
    if (!size || args.size() != 2) return 2;
    std::unique_ptr<QWidget> window = windows::create(args.at(0));
    if (!window) {
        mvtool::err(QStringLiteral("no window named %1; known windows: %2")
                        .arg(args.at(0), windows::names().join(QStringLiteral(", "))));
        return 1;
    }
    if (!size->isEmpty()) window->resize(*size);
    QString error;
    if (!windows::renderToFile(*window, args.at(1), &error)) {
        mvtool::err(error);
        return 1;
    }
    mvtool::out(args.at(1));
    return 0;
}
}

MV_COMMAND("shot", "shot WINDOW FILE.png [--size WxH] | shot --list   render a window offscreen to a PNG", shot);
