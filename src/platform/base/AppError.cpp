#include "AppError.h"

AppError::AppError(int32_t n, QString src, QString desc)
    : number(n), source(std::move(src)), description(std::move(desc)), m_what(description.toStdString())
{ }

AppError AppError::object(int32_t code, const QString& source, const QString& description)
{
    return AppError(static_cast<int32_t>(static_cast<uint32_t>(kObjectErrorBase) + static_cast<uint32_t>(code)), source,
                    description);
}

AppError AppError::overflow(const QString& source) { return AppError(kOverflow, source, QStringLiteral("Overflow")); }
