#pragma once
// Operations the table rules and the document windows share: amounts in the database's
// currency, discounts, loyalty points, progressive codes, the customer card and the move of
// a finished document into the backup archive. Each works on a data set standing on the row
// it concerns.
#include "base/Currency.h"
#include <QString>
#include <cstdint>

class Database;
class QWidget;
class TableData;

// `quantity` units of `amount`, the amount first brought to the database's currency and
// its decimals.
[[nodiscard]] Currency ComputeConvertedAmount(TableData& td, Currency amount, double quantity);

// An amount read in the database's conversion currency (a label priced in the old
// currency), brought to the main currency and its decimals; unchanged without one.
[[nodiscard]] Currency ConvertFromConversionCurrency(const Database& db, Currency amount);

// A quantity rounded to 4 decimals, halves to the even digit: stock moves by sold
// quantities stay free of binary noise.
[[nodiscard]] double RoundQuantity(double value);

// Sets the sale line's ImportoSconto to the sum of the discount rules matching its article,
// the article's deposit and the sale's customer (an empty rule field matches anything) and
// whose CalcoloPuntiClienti equals the customer's CalcolaPunti; 0 when none matches. Several
// matches are added together, with a warning.
void FindDiscount(TableData& saleLine);

// The points an amount is worth: sign(amount) x Int(|amount| / ImportoPunto); none while
// ImportoPunto is 0.
[[nodiscard]] int64_t PointsForAmount(Currency amount);
// The customer's points less this sale's (minus the sale's points without a customer).
[[nodiscard]] int32_t UpdateCustomerPoints(TableData& sale);
// The line's PuntiPremio plus the points its amount is worth; 0 while ImportoPunto is 0.
[[nodiscard]] int32_t ComputePrizePoints(TableData& saleLine);

// Stores in fieldName the next free progressive code, `length` digits with leading zeros.
// A failure is shown to the user and the row left as it is.
void AssignProgressiveCode(TableData& td, const QString& fieldName, int length);

// Offers to write the customer's code on a card through the registered card dialog, and
// marks the customer as having a card once it is written. Raises AppError when no card
// dialog is registered.
void WriteCustomerCard(TableData& customer, QWidget* owner);

// The backup archive's folder, checked against the working folder. Empty with the
// refusal's text in *refusal when the backup folder is not set or is the working folder
// under any spelling (letter case, "..", trailing separators, symbolic links).
[[nodiscard]] bool BackupFolderAllowed(const QString& rootDir, const QString& backupDir, QString* refusal);

// Moves the element the data set stands on (a sale, supply, stock change, order or
// inventory) with its lines into the backup archive, opening the archive on first use
// (g_objBackupDBEngine). The copy is complete on disk before the element leaves the working
// file; the working file loses it without any row rule (stock and vouchers stay as they
// are). When the removal fails the copy is taken back, so the element is never in both
// files. Refusals and errors are shown to the user. True when the element moved; the data
// set then stands on no row, and the caller refreshes its view.
bool MoveToArchive(QWidget* owner, TableData* element, bool skipConfirmation, bool showProgress);
