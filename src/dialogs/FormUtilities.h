#pragma once
// Small helpers every window shares: the placement of a window in the settings store, the
// configured font, typing keys, the main window's enabled state and the agreement phrase of
// the related-data menus. Positions and sizes in the store are twips, as they always were:
// 15 twips to a pixel.
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QKeyEvent;
class QWidget;
class TableObject;

inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(double twips);   // rounded to the nearest pixel
inline double PixelsToTwips(int pixels) { return double(pixels) * kTwipsPerPixel; }

// Font face and size offset (points) every dialog hands to ApplyFormFont when it loads.
// Empty and 0 unless something sets them.
extern QString g_strFontName;
extern float g_nFontSizeDelta;

// The table of that name in the open database (g_objDatabase). Raises AppError when no
// database is open, and the library's error when it has no such table.
TableObject* GetTableObject(const QString& tableName);

// " con stessi ", " con stessa ", " con stesse " (only when femininePlural) or " con stesso ",
// chosen by the last letter of `word`.
QString GetSameWordPhrase(const QString& word, bool femininePlural);

// Placement in the section objectName() + "Settings". A maximised or minimised window
// writes only its state, so its earlier normal placement stays stored underneath.
void SaveFormPosition(QWidget* window, bool positionOnly);
// defaultLeft/defaultTop 0 centre the window on the screen at its current size. A stored
// placement that lies outside every screen is brought back onto one. An unreadable stored
// value is reported ("Posizioni finestra non ripristinate...") and the rest is skipped.
void RestoreFormPosition(QWidget* window, bool skipState, bool positionOnly, float defaultLeft = 0,
                         float defaultTop = 0);
// Enables or disables the registered main window; nothing when there is none.
void EnableMainForm(bool enable);
// Backspace (8) and the printable codes 32..126.
bool IsTypingKey(int keyAscii);
// The character code a key press would type (8 for backspace), 0 when it types nothing.
int KeyAsciiOf(const QKeyEvent& event);
// Gives the window and each of its widgets `face` (unless their face is fixed-pitch
// "Courier" or symbol "Webdings") and adds `offset` points to each size once. Empty face and
// 0 offset change nothing; no error ever reaches the caller.
void ApplyFormFont(QWidget* window, const QString& face, float offset);

// A message written with CR line breaks (the program's convention), as a label shows it.
QString DisplayLines(const QString& text);

// ---- The arithmetic of a placement, without a window ---------------------------------------
namespace placement {
enum State { Normal = 0, Minimised = 1, Maximised = 2 };

struct Values {   // twips, as stored
    int state = Normal;
    double left = 0, top = 0, width = 0, height = 0;
};

// The keys and texts SaveFormPosition writes, in writing order.
std::vector<std::pair<QString, QString>> toSave(const Values& current, bool positionOnly);

// The placement RestoreFormPosition applies. `stored` answers a key's stored text, or
// nothing when the key is missing. `screen` is the screen's rectangle in twips. Throws
// AppError when a stored value is not a number.
struct Restored {
    Values values;
    bool applyState = false;
};
Restored restore(const std::function<std::optional<QString>(const QString&)>& stored, const Values& current,
                 const QRect& screenTwips, bool skipState, bool positionOnly, double defaultLeft, double defaultTop);

// Where a window of `window` (pixels) should go so that it can be reached: unchanged when
// enough of it, title bar included, lies on one of `screens`; otherwise moved onto the
// screen it overlaps most (the first screen when none), as far as needed and no further.
QRect keepOnScreen(const QRect& window, const QList<QRect>& screens);

// Top-left corner for a window of `size` on `screen` (pixels) from positions given in twips,
// where -1 centres along that axis. Kept on the screen.
QPoint positionFromTwips(int topTwips, int leftTwips, const QSize& size, const QRect& screen);
}

// Moves `window` to Top/Left given in twips (-1 centres along that axis) on its screen.
void PlaceWindowTwips(QWidget* window, int topTwips, int leftTwips);
// The available area of the screen a window is on (the primary screen before it is shown).
QRect ScreenAreaOf(const QWidget* window);
