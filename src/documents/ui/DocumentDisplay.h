#pragma once
// How the document windows write amounts and times for the operator: in the operator's
// locale (Italian where the system has none), amounts with the decimals of their currency.
#include "base/Currency.h"

#include <QDateTime>
#include <QString>

class Database;
class QPushButton;
class QWidget;

// An amount of the database's main currency, or of its second one with `converted`.
[[nodiscard]] QString AmountText(const Database& db, Currency amount, bool converted = false);
// A document's date and time, "05/03/2007 10:15:00"; empty for none.
[[nodiscard]] QString DocumentTimeText(const QDateTime& time);

// A window's command button, named for the answer files and the tests; Enter never presses it
// on its own (it belongs to the window's entry box).
QPushButton* CommandButton(QWidget* parent, const char* name, const QString& caption, const QString& tip = QString());
