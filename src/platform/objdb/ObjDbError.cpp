#include "ObjDbError.h"

namespace objdb {

int32_t errorNumber(ErrorCode code)
{
    return static_cast<int32_t>(static_cast<uint32_t>(AppError::kObjectErrorBase) + static_cast<uint32_t>(code));
}

AppError error(ErrorCode code, const QString& source, const QString& description)
{
    return AppError::object(code, source, description);
}

bool isRefusal(const AppError& e)
{
    return e.number == errorNumber(Refused) || e.number == errorNumber(UniqueViolation);
}

}  // namespace objdb
