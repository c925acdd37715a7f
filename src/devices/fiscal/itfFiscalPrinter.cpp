#include "itfFiscalPrinter.h"

std::optional<AppError> itfFiscalPrinter::CancelSessionQuietly() noexcept
{
    try {
        CancelSession();
        return std::nullopt;
    } catch (const AppError& e) {
        return e;
    } catch (const std::exception& e) {
        return AppError(AppError::kGenericCode, QString(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return AppError(AppError::kGenericCode, QString(), QStringLiteral("Errore sconosciuto"));
    }
}

QString DriverErrorText(int32_t code, const QString& message)
{
    QString text = QStringLiteral("Codice: %1").arg(code);
    if (!message.isEmpty()) text += QStringLiteral("\r\r") + message;
    return text;
}
