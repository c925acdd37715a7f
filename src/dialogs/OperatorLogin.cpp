#include "OperatorLogin.h"
#include "base/AppError.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/lifecycle/Password.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "frmPassword.h"
#include "frmSelectOper.h"
#include <QCoreApplication>

QString g_strOperatorName;
QVariant g_varOperatorKey;

bool UserLogin(QWidget* mainWindow, bool changeUser, bool changePassword, const std::function<void()>& setAppTitle)
{
    bool result = false;
    try {
        QCoreApplication::processEvents();
        if (changeUser) {
            frmSelectOper chooser(mainWindow);
            chooser.ShowModal(mainWindow);
            g_strOperatorName = chooser.OperatorName;
            g_varOperatorKey = chooser.OperatorKey;
            if (setAppTitle) setAppTitle();
        }
        if (g_strOperatorName.trimmed().isEmpty()) return false;
        if (!g_objDatabase || !g_objDBEngine)
            throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("Database non aperto"));

        TableObject* table = g_objDatabase->Tables().Item(QStringLiteral("Operatori"));
        std::unique_ptr<TableData> row
            = table->Select(table->BuildKeyCondition(g_varOperatorKey), QString(), QString(), g_objDBEngine);
        row->MoveFirst();
        if (row->IsEOF())
            throw AppError::object(AppError::kGenericCode, AppTitle(),
                                   QStringLiteral("Operatore non trovato: ") + g_strOperatorName);

        const QVariant stored = row->GetValue(QStringLiteral("Password"));
        QString password = ScrambleString(stored.isNull() ? QString() : stored.toString(), true);
        frmPassword& window = frmPassword::instance();
        if (!window.ValidatePassword(mainWindow, changePassword, &password, false, false)) return false;

        g_objDBEngine->SetUser(g_strOperatorName);
        if (window.Changed()) {
            row->SetValue(QStringLiteral("Password"), ScrambleString(window.Password(), false));
            row->Update();
        }
        result = true;
        const QVariant level = row->GetValue(QStringLiteral("LivelloAccesso"));
        g_objDatabase->SetAccessLevel(level.isNull() ? 0 : int(level.toLongLong()));
        return result;
    } catch (...) {
        ShowErrorDetails(QString());
        return result;
    }
}
