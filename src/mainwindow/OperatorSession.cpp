#include "OperatorSession.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "dialogs/OperatorLogin.h"

bool OperatorSession::ChangeOperator(QWidget* mainWindow, const std::function<void()>& setAppTitle)
{
    if (g_objDatabase) g_objDatabase->SetAccessLevel(0);
    return UserLogin(mainWindow, true, false, setAppTitle);
}

bool OperatorSession::ChangePassword(QWidget* mainWindow) { return UserLogin(mainWindow, false, true); }
