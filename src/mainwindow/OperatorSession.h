#pragma once
// The main window's operator commands over the core's login: "Selezione &Operatore..." and
// "Cambio &Password...".
//
// Changing operator drops the access level to 0 before anything is asked: the new level is
// set only when the new operator's login succeeds, so a refused password or an error on the
// way never leaves the previous operator's rights to whoever sits at the counter now.
#include <functional>

class QWidget;

namespace OperatorSession {

// Chooses an operator and asks the password. True when one is logged in; the caller then
// rebuilds the tree, and ends the program otherwise.
bool ChangeOperator(QWidget* mainWindow, const std::function<void()>& setAppTitle);

// The logged-in operator's password, with a change of it. False (nothing asked) before any
// operator was chosen; a refused password changes nothing, the level included.
bool ChangePassword(QWidget* mainWindow);

}   // namespace OperatorSession
