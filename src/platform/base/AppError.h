#pragma once
#include <QString>
#include <cstdint>
#include <exception>
#include <string>

// The one error type of the program. Numbers follow the automation convention:
// errors the program raises itself carry kObjectErrorBase plus a code; run-time
// conditions (overflow, type mismatch...) keep their classic small numbers.
struct AppError : std::exception {
    static constexpr int32_t kObjectErrorBase = static_cast<int32_t>(0x80040000u);
    static constexpr int32_t kGenericCode = 32755;   // never shown as a number
    static constexpr int32_t kOverflow = 6;
    static constexpr int32_t kTypeMismatch = 13;
    static constexpr int32_t kInvalidCall = 5;
    static constexpr int32_t kFileNotFound = 53;

    AppError(int32_t number, QString source, QString description);

    int32_t number;
    QString source;
    QString description;

    const char* what() const noexcept override { return m_what.c_str(); }

    // An error with kObjectErrorBase + code.
    static AppError object(int32_t code, const QString& source, const QString& description);
    static AppError overflow(const QString& source = QString());

private:
    std::string m_what;
};
