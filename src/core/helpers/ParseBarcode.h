#pragma once
// Codes scanned or typed at the counter, cut by the barcode layouts of CodiciBarre: the
// layout chosen by the code's first character tells where the article code, a quantity and
// an amount lie inside the code.
#include "base/Currency.h"
#include <QString>

class Database;

// False, leaving the outputs alone, when no layout exists for the code's first character.
// Otherwise outCode is the article code's piece, and outQuantity and outAmount take their
// pieces when the layout has them and they are numbers (else they keep the caller's
// values); the amount goes through the currency conversion when the layout asks for it and
// is divided by the layout's coefficient when that is not 0. Pieces that lie outside the
// code are empty.
[[nodiscard]] bool ParseBarcode(Database& db, const QString& code, QString& outCode, double& outQuantity,
                                Currency& outAmount);
// The same on the open working database (g_objDatabase); AppError when none is open.
[[nodiscard]] bool ParseBarcode(const QString& code, QString& outCode, double& outQuantity, Currency& outAmount);
