#pragma once
// How a modal window fills its controls from an answer line (the answer file of a headless
// run). The line's first field says what to press ("OK", a button's caption); the fields
// after it, separated by TABs, are "name=value" pairs that name the window's controls by
// their object names, for example "OK\tcboCOMPort=COM2\ttxtCOMParam=9600,e,7,1". Each is
// set as a person would set it: a list takes the item of that text (an editable list any
// text), a box the text, a tick box or an option 1 or 0 (True or False). A control the
// window does not have, one that cannot be changed now, or a value it does not take is
// told in a message box, and the pairs after it are left alone. A control that is disabled or
// that its window keeps hidden cannot be changed or pressed now, as for a person.
#include <QString>
#include <QStringList>

class QAbstractButton;
class QWidget;

namespace answers {

// The line's first field, without the blanks around it.
QString Command(const QString& line);
// Whether the line's first field is `word`, in any case.
bool IsCommand(const QString& line, const QString& word);
// Sets the controls of `window` that the line's pairs name, in their order; false once one
// is refused (the refusal shown).
bool FillControls(QWidget& window, const QString& line);
// The controls an answer line can set, one a line, in the window's order: "name=value", a
// TAB, and the kind of control, with a list's choices and "disabled" when it cannot be changed
// now. What `mvtool controls` prints.
QStringList Controls(const QWidget& window);
// Tell that `value` is not one the control `name` takes, or that the control cannot be
// changed now; false.
bool RefuseValue(const QString& value, const QString& name);
bool RefuseFixed(const QString& name);
// The push button of `window` whose caption, without its '&', is the line's first field
// (in any case); null when the window has none.
QAbstractButton* Button(QWidget& window, const QString& line);
// Presses `button` as a person would; a button that cannot be pressed now is told, and
// false returned.
bool Press(QAbstractButton& button);

}
