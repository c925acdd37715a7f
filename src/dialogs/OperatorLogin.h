#pragma once
// The operator's login after every opening of the database: the choice of an operator,
// the operator's password (with an optional change of it) and the access level handed to
// the database.
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;

// The logged-in operator's name (empty until the first choice) and row key (OID).
extern QString g_strOperatorName;
extern QVariant g_varOperatorKey;

// changeUser: choose the operator first (frmSelectOper); changePassword: let the operator
// change the password. setAppTitle runs after a choice. True when an operator is logged in.
// Errors are reported; the result is then what was reached (True once the password passed).
bool UserLogin(QWidget* mainWindow, bool changeUser, bool changePassword,
               const std::function<void()>& setAppTitle = {});
