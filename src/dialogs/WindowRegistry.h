#pragma once
// Every window of the program can be built by its class name, so that the developer's tool
// can render any of them offscreen without the code that normally opens it. A window file
// registers its class once with MV_REGISTER_WINDOW; the factory returns the window as it
// stands after loading, filled with its default contents.
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace windows {
using Factory = std::function<std::unique_ptr<QWidget>()>;

// A later registration of the same name replaces the earlier one.
bool registerWindow(const QString& className, Factory factory);
// Null when no window of that name is registered (names compare exactly).
std::unique_ptr<QWidget> create(const QString& className);
QStringList names();   // sorted

// Renders a window offscreen at its default size (the size it has after loading, or its
// size hint when it has none) and returns the picture; errors leave `error` filled.
bool renderToFile(QWidget& window, const QString& pngPath, QString* error = nullptr);
}

#define MV_WINDOW_CONCAT2(a, b) a##b
#define MV_WINDOW_CONCAT(a, b) MV_WINDOW_CONCAT2(a, b)
// MV_REGISTER_WINDOW(frmAbout) or MV_REGISTER_WINDOW(frmAbout, [] { ...return window...; })
// The variable is numbered by __COUNTER__, not by line: files compiled together in one unity
// batch can register on the same line number.
#define MV_REGISTER_WINDOW(cls, ...)                                                                                   \
    static const bool MV_WINDOW_CONCAT(mv_window_##cls##_, __COUNTER__)                                                \
        = ::windows::registerWindow(QStringLiteral(#cls), ::windows::detail::factoryFor<cls>(__VA_ARGS__))

namespace windows::detail {
template <class W> Factory factoryFor()
{
    return [] { return std::unique_ptr<QWidget>(new W()); };
}
template <class W, class F> Factory factoryFor(F f)
{
    return [f] { return std::unique_ptr<QWidget>(f()); };
}
}
