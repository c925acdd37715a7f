#include "DocumentDisplay.h"

#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "objdb/ui/UiLocale.h"

#include <QPushButton>

QString AmountText(const Database& db, Currency amount, bool converted)
{
    const auto currency = converted ? db.ConversionCurrency() : db.GetCurrency();
    return amount.toText(uiLocale(), currency ? currency->Decimals() : 2, true);
}

QString DocumentTimeText(const QDateTime& time)
{
    return time.isValid() ? uiLocale().toString(time, QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

QPushButton* CommandButton(QWidget* parent, const char* name, const QString& caption, const QString& tip)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}
