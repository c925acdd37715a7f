#include "MainWindowPlacement.h"
#include "base/AppError.h"
#include "core/lifecycle/ErrorReporting.h"
#include "base/SettingsStore.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
const QString kSection = QStringLiteral("Settings");
const QString kPrefix = QStringLiteral("Main");

std::optional<QString> stored(const QString& key)
{
    if (!settingsStore().contains(kSection, kPrefix + key)) return std::nullopt;
    return settingsStore().get(kSection, kPrefix + key);
}

double storedSplit()
{
    const std::optional<QString> text = stored(QStringLiteral("Split"));
    if (!text) return MainWindowPlacement::kDefaultSplit;
    bool ok = false;
    const double value = text->trimmed().toDouble(&ok);
    if (!ok)
        throw AppError::object(AppError::kGenericCode, QStringLiteral("Settings"),
                               QStringLiteral("Valore non valido per MainSplit: ") + *text);
    return value;
}

QList<QRect> screenAreas()
{
    QList<QRect> out;
    for (QScreen* s : QGuiApplication::screens()) out << s->availableGeometry();
    return out;
}
}   // namespace

MainPlacement MainWindowPlacement::Load()
{
    placement::Values defaults;
    defaults.state = placement::Normal;
    defaults.width = kDefaultWidth;
    defaults.height = kDefaultHeight;
    // Defaults given for both corners, so the screen does not enter the result.
    const placement::Restored r
        = placement::restore(stored, defaults, QRect(), false, false, kDefaultLeft, kDefaultTop);
    return MainPlacement {r.values, storedSplit()};
}

void MainWindowPlacement::Save(const MainPlacement& p)
{
    for (const auto& [key, text] : placement::toSave(p.window, false))
        settingsStore().set(kSection, kPrefix + key, text);
    if (p.split > 0) settingsStore().set(kSection, kPrefix + QStringLiteral("Split"), QString::number(p.split, 'g', 9));
}

MainPlacement MainWindowPlacement::Restore(QWidget& window)
{
    MainPlacement p;
    try {
        p = Load();
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Posizioni finestra non ripristinate..."));
        p.window.width = kDefaultWidth;
        p.window.height = kDefaultHeight;
        p.window.left = kDefaultLeft;
        p.window.top = kDefaultTop;
        p.split = kDefaultSplit;
    }
    QRect geometry(TwipsToPixels(p.window.left), TwipsToPixels(p.window.top), TwipsToPixels(p.window.width),
                   TwipsToPixels(p.window.height));
    geometry = placement::keepOnScreen(geometry, screenAreas());
    window.resize(geometry.size());
    window.move(geometry.topLeft());
    // The state last: a maximised window keeps its normal placement for when it is restored.
    if (p.window.state == placement::Maximised) window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return p;
}

MainPlacement MainWindowPlacement::Current(const QWidget& window, double split)
{
    MainPlacement p;
    p.split = split;
    p.window.state = window.isMinimized() ? placement::Minimised
        : window.isMaximized()            ? placement::Maximised
                                          : placement::Normal;
    p.window.left = PixelsToTwips(window.x());
    p.window.top = PixelsToTwips(window.y());
    p.window.width = PixelsToTwips(window.width());
    p.window.height = PixelsToTwips(window.height());
    return p;
}
