// Numbers as a person types them, and the money arithmetic they feed: a price and a quantity
// typed in the Italian or the C form, read, then multiplied, divided, floored, added and
// written back. An amount past the range may only be refused with an overflow (AppError); a
// promise broken or undefined behaviour stops the run.
//   - an amount read back from its own text is the same amount;
//   - a typed amount reads as its plain C text reads;
//   - times(1) and dividedBy(1) keep the amount; floor() is whole and within one of it;
//   - a product or quotient lies within a unit of the exact one (long double as the check),
//     the number taken as the decimal it reads as (0.6, not its binary neighbour), as the
//     arithmetic takes it.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "base/Currency.h"
#include "base/TypedNumber.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <QLocale>
#include <QString>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

using fuzzsupport::broken;

QString text(const Currency& c) { return c.toString(); }

// The shortest decimal that reads back as the double, in long double.
long double asDecimal(double value)
{
    char buffer[64];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, value).ptr = '\0';
    return std::strtold(buffer, nullptr);
}

// The result of `op`, or none when it refused an amount past the range.
template <typename Op> std::optional<Currency> orOverflow(const Op& op)
{
    try {
        return std::optional<Currency>(op());
    } catch (const AppError&) {
        return std::nullopt;
    }
}

void checkAmount(const Currency& a)
{
    const std::optional<Currency> back = Currency::parse(a.toString(), QLocale::c());
    if (!back || *back != a)
        broken(QStringLiteral("%1 reads back as %2").arg(text(a), back ? text(*back) : QStringLiteral("nothing")));
    const QLocale it(QLocale::Italian, QLocale::Italy);
    const std::optional<Currency> typed = ReadTypedAmount(a.toText(it, 4, true), it);
    if (!typed || *typed != a)
        broken(QStringLiteral("%1 written in Italian reads as %2")
                   .arg(text(a), typed ? text(*typed) : QStringLiteral("nothing")));

    if (const auto floor = orOverflow([&] { return a.floor(); })) {
        if (floor->units() % Currency::kScale != 0 || *floor > a || (a - *floor).units() >= Currency::kScale)
            broken(QStringLiteral("floor of %1 is %2").arg(text(a), text(*floor)));
    } else if (a.units() >= INT64_MIN + Currency::kScale) {
        broken(QStringLiteral("floor of %1 refused").arg(text(a)));
    }
    if (orOverflow([&] { return a.times(1.0); }) != a) broken(QStringLiteral("%1 times 1").arg(text(a)));
    if (orOverflow([&] { return a.dividedBy(1.0); }) != a) broken(QStringLiteral("%1 divided by 1").arg(text(a)));
}

// Within a unit of the exact result, where long double can tell (its 64-bit mantissa holds
// every amount; the factor is a double).
void checkNear(const Currency& a, double factor, const std::optional<Currency>& result, long double exact,
               const char* what)
{
    if (!std::isfinite(static_cast<double>(exact))) return;
    const long double units = exact * Currency::kScale;
    // Half a unit of rounding, and the long double's own error on the largest amounts.
    const long double slack = 1.0L + std::fabs(units) * 1e-17L;
    const auto say = [&](const QString& outcome) {
        broken(
            QStringLiteral("%1 %2 %3 %4").arg(text(a), QString::fromLatin1(what)).arg(factor, 0, 'g', 17).arg(outcome));
    };
    if (!result) {
        if (std::fabs(units) + slack < 9223372036854775807.0L) say(QStringLiteral("refused"));
        return;
    }
    if (std::fabs(static_cast<long double>(result->units()) - units) > slack)
        say(QStringLiteral("gave ") + text(*result));
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        fuzzsupport::application("fuzz_money");
        return true;
    }();
    (void)ready;
    FuzzedDataProvider in(data, size);
    const QLocale forms[] = {QLocale(QLocale::Italian, QLocale::Italy), QLocale::c()};
    const QLocale& form = forms[in.ConsumeBool() ? 1 : 0];
    const QString priceText = QString::fromStdString(in.ConsumeRandomLengthString(40));
    const QString quantityText = QString::fromStdString(in.ConsumeRandomLengthString(40));

    std::optional<Currency> price = ReadTypedAmount(priceText, form);
    if (price) {
        const std::optional<QString> plain = TypedNumberText(priceText, form);
        if (!plain) broken(QStringLiteral("«%1» read as an amount without a plain text").arg(priceText));
        if (Currency::parse(*plain, QLocale::c()) != price) broken(QStringLiteral("«%1» read two ways").arg(priceText));
    } else if (in.ConsumeBool()) {
        price = Currency::fromUnits(in.ConsumeIntegral<int64_t>());   // any stored amount
    }
    if (!price) return 0;
    checkAmount(*price);

    std::optional<double> quantity = ReadTypedNumber(quantityText, form);
    if (!quantity) quantity = in.ConsumeFloatingPoint<double>();
    const double q = *quantity;
    const long double p = static_cast<long double>(price->units()) / Currency::kScale;
    const long double decimal = asDecimal(q);
    checkNear(*price, q, orOverflow([&] { return price->times(q); }), p * decimal, "times");
    if (q != 0) checkNear(*price, q, orOverflow([&] { return price->dividedBy(q); }), p / decimal, "divided by");

    const Currency other = Currency::fromUnits(in.ConsumeIntegral<int64_t>());
    if (const auto sum = orOverflow([&] { return *price + other; }); sum && *sum - other != *price)
        broken(QStringLiteral("%1 + %2 - %2").arg(text(*price), text(other)));
    if (const auto product = orOverflow([&] { return *price * other; })) checkAmount(*product);
    (void)orOverflow([&] { return -*price; });
    (void)orOverflow([&] { return price->abs(); });
    return 0;
}
