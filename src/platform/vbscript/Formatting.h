#pragma once
// Number and date texts of the Italian locale, as the Format functions give them.
#include "Variant.h"

namespace vbs {

struct NumberFormat {
    int decimals = 2;
    bool leadingZero = true;
    bool parensForNegative = false;
    bool grouping = true;
};

// A number rounded half away from zero to the decimals, "1.234,50". Doubles are first
// read to 15 significant digits, so 1.005 rounds as the 1.005 the user wrote.
QString formatNumber(const Variant& value, const NumberFormat& format);

enum class DateFormat { General = 0, Long = 1, Short = 2, LongTime = 3, ShortTime = 4 };
QString formatDate(double serial, DateFormat format);

QString italianMonthName(int month, bool abbreviate);   // 1..12
QString italianWeekdayName(int day, bool abbreviate);   // 1 = domenica .. 7 = sabato

}   // namespace vbs
