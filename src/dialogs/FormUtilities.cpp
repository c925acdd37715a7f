#include "FormUtilities.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/helpers/SystemHelpers.h"
#include "core/seams/MainWindowServices.h"
#include "base/SettingsStore.h"
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMetaProperty>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

QString g_strFontName;
float g_nFontSizeDelta = 0;

int TwipsToPixels(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }

QString GetSameWordPhrase(const QString& word, bool femininePlural)
{
    const QString last = word.right(1).toLower();
    if (last == u"i" || last == u"ì") return QStringLiteral(" con stessi ");
    if (last == u"a" || last == u"à") return QStringLiteral(" con stessa ");
    if (last == u"e" && femininePlural) return QStringLiteral(" con stesse ");
    return QStringLiteral(" con stesso ");
}

TableObject* GetTableObject(const QString& tableName)
{
    if (!g_objDatabase) RaiseAppError(QStringLiteral("GetTableObject"), QStringLiteral("Nessun archivio aperto."));
    return g_objDatabase->Tables().Item(tableName);
}

QString DisplayLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

bool IsTypingKey(int keyAscii) { return keyAscii == 8 || (keyAscii >= 32 && keyAscii <= 126); }

int KeyAsciiOf(const QKeyEvent& e)
{
    switch (e.key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    default: break;
    }
    const QString t = e.text();
    return t.size() == 1 ? t.at(0).unicode() : 0;
}

namespace {
// Qt disables a widget's child windows with it, and the windows the main window owns (the
// sale and supply windows, the options, every dialog opened over them) are its children: the
// one thing disabling the main window must leave usable. Each such window disabled only by
// its owner is enabled again at once, as it is disabled or made, so that it keeps its own
// controls' states and can take the focus. A window disabled on purpose stays disabled.
class OwnedWindowsStayEnabled final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (disabledByOwner(*w)) w->setEnabled(true);
        }
        return false;
    }

    static bool disabledByOwner(const QWidget& w)
    {
        if (w.isEnabled() || w.testAttribute(Qt::WA_ForceDisabled)) return false;
        // Menus, tool tips and floating tool bars belong to the main window's own use.
        if (w.windowType() != Qt::Window && w.windowType() != Qt::Dialog) return false;
        MainWindowServices* s = mainWindowServices();
        QWidget* main = s ? s->mainWidget() : nullptr;
        if (!main || main == &w || main->isEnabled()) return false;
        for (const QWidget* p = w.parentWidget(); p; p = p->parentWidget())
            if (p == main) return true;
        return false;
    }
};
}

void EnableMainForm(bool enable)
{
    MainWindowServices* s = mainWindowServices();
    if (!s) return;
    QWidget* w = s->mainWidget();
    if (!w) return;
    if (!enable && QCoreApplication::instance()) {
        static QPointer<OwnedWindowsStayEnabled> keeper;
        if (!keeper) {
            keeper = new OwnedWindowsStayEnabled;
            keeper->setParent(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(keeper);
        }
    }
    w->setEnabled(enable);
}

// ---- Fonts ------------------------------------------------------------------------------------
namespace {
bool keepsFace(const QString& family)
{
    return family.contains(QStringLiteral("Courier")) || family.contains(QStringLiteral("Webdings"));
}
double addPoints(double size, float offset)
{
    // The size grows as a four-decimal amount, so repeated offsets do not drift.
    return std::round((size + double(offset)) * 10000.0) / 10000.0;
}
bool hasProperty(const QObject* o, const char* name) { return o->metaObject()->indexOfProperty(name) >= 0; }
}

void ApplyFormFont(QWidget* window, const QString& face, float offset)
{
    if (!window) return;
    if (face.isEmpty() && offset == 0) return;

    // Children inherit the window's font in Qt: take each one's own font before the window
    // changes, so every widget gets the offset exactly once.
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    std::vector<QFont> before;
    before.reserve(children.size());
    for (QWidget* c : children) before.push_back(c->font());

    QFont wf = window->font();
    if (!face.isEmpty()) wf.setFamilies({face});
    if (offset != 0 && wf.pointSizeF() > 0) wf.setPointSizeF(addPoints(wf.pointSizeF(), offset));
    window->setFont(wf);

    for (size_t i = 0; i < size_t(children.size()); ++i) {
        QWidget* c = children[i];
        const QString type = QString::fromLatin1(c->metaObject()->className());
        QFont f = before[i];
        if (!face.isEmpty()) {
            if (type.contains(QStringLiteral("ObjData")) || type.contains(QStringLiteral("ObjDB"))
                || type.contains(QStringLiteral("ObjShort"))) {
                if (hasProperty(c, "FontNames")) c->setProperty("FontNames", face);
            } else if (!keepsFace(f.family())) {
                f.setFamilies({face});
            }
        }
        if (offset != 0) {
            if (type == u"ctlObjDataPanel" || type == u"ObjShortSearch") {
                if (hasProperty(c, "FontSizeSpin"))
                    c->setProperty("FontSizeSpin", c->property("FontSizeSpin").toDouble() + offset);
            } else if (f.pointSizeF() > 0) {
                f.setPointSizeF(addPoints(f.pointSizeF(), offset));
            }
        }
        c->setFont(f);
    }
}

// ---- Placement arithmetic -------------------------------------------------------------------------
namespace {
QString twipsText(double v) { return QString::number(v, 'g', 9); }

std::optional<double> readNumber(const std::function<std::optional<QString>(const QString&)>& stored,
                                 const QString& key)
{
    const std::optional<QString> text = stored(key);
    if (!text) return std::nullopt;
    const QString t = text->trimmed();
    bool ok = false;
    double v = QLocale::c().toDouble(t, &ok);
    if (!ok) v = QLocale::system().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        throw AppError(AppError::kTypeMismatch, QStringLiteral("RestoreFormPosition"),
                       QStringLiteral("Tipo non corrispondente: \"%1\" = \"%2\"").arg(key, *text));
    return v;
}
}

std::vector<std::pair<QString, QString>> placement::toSave(const Values& v, bool positionOnly)
{
    std::vector<std::pair<QString, QString>> out;
    out.emplace_back(QStringLiteral("State"), QString::number(v.state));
    if (v.state != Normal) return out;
    // A window pushed to or past the screen's edge keeps the placement stored before.
    if (!(v.left > 0 && v.top > 0 && v.width > 0 && v.height > 0)) return out;
    out.emplace_back(QStringLiteral("Left"), twipsText(v.left));
    out.emplace_back(QStringLiteral("Top"), twipsText(v.top));
    if (!positionOnly) {
        out.emplace_back(QStringLiteral("Width"), twipsText(v.width));
        out.emplace_back(QStringLiteral("Height"), twipsText(v.height));
    }
    return out;
}

placement::Restored placement::restore(const std::function<std::optional<QString>(const QString&)>& stored,
                                       const Values& current, const QRect& screen, bool skipState, bool positionOnly,
                                       double defaultLeft, double defaultTop)
{
    if (defaultLeft == 0) defaultLeft = screen.left() + std::floor((screen.width() - current.width) / 2.0);
    if (defaultTop == 0) defaultTop = screen.top() + std::floor((screen.height() - current.height) / 2.0);
    Restored r;
    r.values = current;
    r.values.left = readNumber(stored, QStringLiteral("Left")).value_or(defaultLeft);
    r.values.top = readNumber(stored, QStringLiteral("Top")).value_or(defaultTop);
    if (!positionOnly) {
        r.values.width = readNumber(stored, QStringLiteral("Width")).value_or(current.width);
        r.values.height = readNumber(stored, QStringLiteral("Height")).value_or(current.height);
    }
    if (!skipState) {
        int state = int(std::lround(readNumber(stored, QStringLiteral("State")).value_or(current.state)));
        r.values.state = state == Minimised ? Normal : state;
        r.applyState = true;
    }
    return r;
}

QRect placement::keepOnScreen(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty()) return window;
    // The title strip must lie on a screen, wide enough to be grabbed with the mouse.
    const int stripHeight = std::min(window.height(), 24);
    const QRect strip(window.left(), window.top(), window.width(), stripHeight);
    const int needWidth = std::min(window.width(), 48);
    for (const QRect& s : screens) {
        const QRect part = strip.intersected(s);
        if (part.width() >= needWidth && part.height() >= stripHeight) return window;
    }
    const QRect* target = &screens.first();
    qint64 best = 0;
    for (const QRect& s : screens) {
        const QRect part = window.intersected(s);
        const qint64 area = qint64(part.width()) * part.height();
        if (area > best) {
            best = area;
            target = &s;
        }
    }
    const QRect& s = *target;
    QRect moved = window;
    auto fit = [](int pos, int size, int lo, int extent) {
        const int hi = std::max(lo, lo + extent - size);
        return std::clamp(pos, lo, hi);
    };
    moved.moveLeft(fit(window.left(), window.width(), s.left(), s.width()));
    moved.moveTop(fit(window.top(), window.height(), s.top(), s.height()));
    return moved;
}

QPoint placement::positionFromTwips(int topTwips, int leftTwips, const QSize& size, const QRect& screen)
{
    const int x = leftTwips == -1 ? screen.left() + int(std::lround((screen.width() - size.width()) / 2.0))
                                  : TwipsToPixels(leftTwips);
    const int y = topTwips == -1 ? screen.top() + int(std::lround((screen.height() - size.height()) / 2.0))
                                 : TwipsToPixels(topTwips);
    return keepOnScreen(QRect(QPoint(x, y), size), {screen}).topLeft();
}

// ---- Placement of real windows ----------------------------------------------------------------------
namespace {
QList<QRect> screenAreas()
{
    QList<QRect> out;
    for (QScreen* s : QGuiApplication::screens()) out << s->availableGeometry();
    return out;
}
int stateOf(const QWidget* w)
{
    const Qt::WindowStates s = w->windowState();
    if (s & Qt::WindowMinimized) return placement::Minimised;
    if (s & Qt::WindowMaximized) return placement::Maximised;
    return placement::Normal;
}
QString sectionOf(const QWidget* w) { return w->objectName() + QStringLiteral("Settings"); }

QRect toTwips(const QRect& r)
{
    return QRect(r.left() * kTwipsPerPixel, r.top() * kTwipsPerPixel, r.width() * kTwipsPerPixel,
                 r.height() * kTwipsPerPixel);
}
}

QRect ScreenAreaOf(const QWidget* window)
{
    QScreen* s = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void SaveFormPosition(QWidget* window, bool positionOnly)
{
    if (!window) return;
    placement::Values v;
    v.state = stateOf(window);
    v.left = PixelsToTwips(window->x());
    v.top = PixelsToTwips(window->y());
    v.width = PixelsToTwips(window->width());
    v.height = PixelsToTwips(window->height());
    const QString section = sectionOf(window);
    for (const auto& [key, text] : placement::toSave(v, positionOnly)) settingsStore().set(section, key, text);
}

void RestoreFormPosition(QWidget* window, bool skipState, bool positionOnly, float defaultLeft, float defaultTop)
{
    if (!window) return;
    try {
        const QString section = sectionOf(window);
        auto stored = [&section](const QString& key) -> std::optional<QString> {
            if (!settingsStore().contains(section, key)) return std::nullopt;
            return settingsStore().get(section, key);
        };
        placement::Values current;
        current.state = stateOf(window);
        current.left = PixelsToTwips(window->x());
        current.top = PixelsToTwips(window->y());
        current.width = PixelsToTwips(window->width());
        current.height = PixelsToTwips(window->height());
        const placement::Restored r = placement::restore(stored, current, toTwips(ScreenAreaOf(window)), skipState,
                                                         positionOnly, defaultLeft, defaultTop);
        QRect geometry(TwipsToPixels(r.values.left), TwipsToPixels(r.values.top), TwipsToPixels(r.values.width),
                       TwipsToPixels(r.values.height));
        geometry = placement::keepOnScreen(geometry, screenAreas());
        // Size and position first, state last: a maximised window keeps its normal
        // placement underneath for when the user restores it.
        window->resize(geometry.size());
        window->move(geometry.topLeft());
        if (r.applyState) {
            Qt::WindowStates s = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
            if (r.values.state == placement::Maximised) s |= Qt::WindowMaximized;
            window->setWindowState(s);
        }
    } catch (const AppError& e) {
        ShowErrorDetails(e, QStringLiteral("Posizioni finestra non ripristinate..."));
    }
}

void PlaceWindowTwips(QWidget* window, int topTwips, int leftTwips)
{
    if (!window) return;
    window->move(
        placement::positionFromTwips(topTwips, leftTwips, window->frameGeometry().size(), ScreenAreaOf(window)));
}
