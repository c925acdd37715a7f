#pragma once
// Numbers in the options dialogs. Their fields are typed with a decimal comma (the key
// filters turn a point into one), so they are shown and read that way whatever the
// system's language; a point is still read as the decimal mark when no comma is present.
#include "base/Currency.h"
#include <QString>
#include <optional>

class QLineEdit;

namespace optionsnum {
// `value` with at least `intDigits` integer digits (zero-padded) and exactly `decimals`
// decimals: Format(1.5, 3, 2) = "001,50". intDigits 0: no padding.
QString Format(double value, int intDigits, int decimals);
// `value` with as many decimals as it needs (none for a whole number): 12.5 = "12,5".
QString Plain(double value);
// A number typed in a field; empty when the text is not one (empty, "-", letters).
std::optional<double> Read(const QString& text);
std::optional<Currency> ReadAmount(const QString& text);
// The amount as the rounding list shows it: two decimals, grouped, right-aligned in `width`.
QString AmountField(Currency value, int width);

// Lets a field take only what an amount is typed with: digits, a minus sign, control keys,
// and one decimal comma ("." is entered as ","). Installed as an event filter on `field`.
void InstallAmountKeyFilter(QLineEdit* field);
// The key filter's decision for one typed character, given the field's current text:
// the character to enter, or empty when the key is refused.
std::optional<QChar> FilterAmountKey(const QString& currentText, QChar typed);
// A validator for an edit mask of `intDigits` digits and `decimals` decimals ("###,##").
void SetAmountMask(QLineEdit* field, int intDigits, int decimals);
}
