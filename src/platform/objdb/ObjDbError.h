#pragma once
// Errors the object-database library raises. All are AppError with kObjectErrorBase plus
// one of these codes, so callers can tell a refusal (already shown to the user through the
// notification sink) from a failure that still has to be reported.
#include "base/AppError.h"
#include <QString>

namespace objdb {

enum ErrorCode : int32_t {
    Refused = 0x1001,   // a rule refused the change (CancelWithMessage); message already sent to the sink
    UniqueViolation = 0x1002,   // reported as a refusal too
    SqlFailed = 0x1003,   // the storage rejected a statement
    NotOpen = 0x1004,   // engine or database not open
    FileMissing = 0x1005,
    FileExists = 0x1006,
    RunawayRules = 0x1007,   // field events did not reach a fixed point
    NoCurrentRow = 0x1008,
    UnknownField = 0x1009,
    UnknownTable = 0x100A,
    UnknownReference = 0x100B,
    ReadOnly = 0x100C,
    Busy = 0x100D,
    BadValue = 0x100E,
    NotADatabase = 0x100F,
    ForeignFile = 0x1010,   // an SQLite file whose tables are another program's
    NewerFile = 0x1011,   // a file whose tables a later version of the program declared
};

AppError error(ErrorCode code, const QString& source, const QString& description);
// What a storage failure means, in words the user reads: SQLite's (extended) result code in
// Italian, its own English message only when the code says nothing better. `systemError`: the
// errno SQLite met (sqlite3_system_errno); a disk with no room left (or a file that may grow
// no further) is "disco pieno" whatever
// the code, since SQLite tells some writes that found no room as I/O errors.
QString storageErrorText(int resultCode, const QString& engineMessage = QString(), int systemError = 0);
// A storage failure (raised by the connection) told with what the user was doing, once:
// "Impossibile salvare <Depositi>: disco pieno". Any other error comes back unchanged.
AppError withOperation(const AppError& e, const QString& source, const QString& doing);
// True for the errors whose message the user has already seen through the sink.
bool isRefusal(const AppError& e);
int32_t errorNumber(ErrorCode code);

}   // namespace objdb
