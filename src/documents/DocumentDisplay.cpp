#include "DocumentDisplay.h"

#include "CurrencyInfo.h"
#include "Database.h"
#include "UiLocale.h"

QString AmountText(const Database& db, Currency amount, bool converted)
{
    const auto currency = converted ? db.ConversionCurrency() : db.GetCurrency();
    return amount.toText(uiLocale(), currency ? currency->Decimals() : 2, true);
}

QString DocumentTimeText(const QDateTime& time)
{
    return time.isValid() ? uiLocale().toString(time, QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}
