#pragma once
// The error a script reports: a number, a description and the 1-based line (within the
// text given to ScriptEngine::addCode) where it happened; line 0 when no line applies
// (an entry point that does not exist).
#include "base/AppError.h"

#include <QString>

namespace vbs {

namespace err {
// Run-time errors, numbered as scripts see them in Err.Number.
constexpr int kInvalidCall = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kSubscript = 9;
constexpr int kFixedArray = 10;
constexpr int kDivisionByZero = 11;
constexpr int kTypeMismatch = 13;
constexpr int kOutOfStringSpace = 14;
constexpr int kOutOfStack = 28;
constexpr int kNotDefined = 35;   // Sub or Function not defined
constexpr int kPermissionDenied = 70;
constexpr int kObjectNotSet = 91;
constexpr int kForNotInitialized = 92;
constexpr int kInvalidNull = 94;
constexpr int kObjectRequired = 424;
constexpr int kCannotCreateObject = 429;
constexpr int kNoSuchMember = 438;
constexpr int kWrongArguments = 450;
constexpr int kNotACollection = 451;
constexpr int kUnsupportedType = 458;   // a conversion function used as a statement
constexpr int kUndefinedVariable = 500;
constexpr int kIllegalAssignment = 501;
constexpr int kItemNotFound = 3265;   // collection item missing (record fields)
// The engine stopped a script that ran past its instruction or time limit. A script may
// raise the same number itself: ScriptError::engineStop tells the two apart.
constexpr int kLimitExceeded = 1;

// Compile errors.
constexpr int kSyntax = 1002;
constexpr int kExpectedLParen = 1005;
constexpr int kExpectedRParen = 1006;
constexpr int kExpectedIdentifier = 1010;
constexpr int kExpectedEquals = 1011;
constexpr int kExpectedIf = 1012;
constexpr int kExpectedTo = 1013;
constexpr int kExpectedEnd = 1014;
constexpr int kExpectedFunction = 1015;
constexpr int kExpectedSub = 1016;
constexpr int kExpectedThen = 1017;
constexpr int kExpectedWend = 1018;
constexpr int kExpectedLoop = 1019;
constexpr int kExpectedNext = 1020;
constexpr int kExpectedCase = 1021;
constexpr int kExpectedSelect = 1022;
constexpr int kExpectedExpression = 1023;
constexpr int kExpectedStatement = 1024;
constexpr int kExpectedEndOfStatement = 1025;
constexpr int kExpectedInteger = 1026;
constexpr int kExpectedWhileUntil = 1027;
constexpr int kExpectedWith = 1029;
constexpr int kInvalidCharacter = 1032;
constexpr int kUnterminatedString = 1033;
constexpr int kNameRedefined = 1041;
constexpr int kInvalidExit = 1039;
constexpr int kExpectedIn = 1046;
constexpr int kNotSupported = 1048;   // classes and other constructs left out on purpose
constexpr int kTooComplex = 1053;   // nesting deeper than the engine allows
}

// The text of an error number, as scripts see it in Err.Description.
QString errorText(int number);

class ScriptError : public AppError {
public:
    ScriptError(int number, const QString& description, int line = 0, int column = 0);
    explicit ScriptError(int number) : ScriptError(number, errorText(number)) { }

    // The engine's own stop of a script past its statement, time, call-depth or memory
    // limit (kLimitExceeded, kOutOfStack or kOutOfMemory). No On Error catches it, and no
    // Err.Raise of any number makes one.
    static ScriptError limitStop(int number);

    int line;   // 1-based line within the added text; 0 when none
    int column;   // 1-based column of a syntax error; 0 otherwise
    QString helpFile;   // as given to Err.Raise
    int32_t helpContext = 0;
    bool engineStop = false;
    bool compileError() const { return number >= 1000 && number < 1100; }
};

}   // namespace vbs
