#pragma once
// Numbers as a person types them, in one form of writing numbers (a locale's): digits, the
// form's decimal mark, and its group separator only where it separates groups of three
// digits before the mark ("1.000,25" in Italian, "1,000.25" in the C form); a sign may lead.
// Nothing else reads: no exponent, no currency sign, no blank inside, no separator out of
// place. "3.20" is thus no Italian number and "0,750" no C one: a number typed in the other
// form is refused, never read ten or a thousand times too large.
#include "Currency.h"
#include <QLocale>
#include <QString>
#include <optional>

// The number in the plain C form ("-1000.25"), or none.
std::optional<QString> TypedNumberText(const QString& text, const QLocale& form);
// An amount read exactly (rounded half to even at the fourth decimal); none beyond the range.
std::optional<Currency> ReadTypedAmount(const QString& text, const QLocale& form);
std::optional<double> ReadTypedNumber(const QString& text, const QLocale& form);

// The refusal of a text typed for a numeric field, naming the field and showing how the form
// writes numbers.
QString NotATypedNumberMessage(const QString& field, const QString& text, const QLocale& form);
