#include "ParseBarcode.h"
#include "base/AppError.h"
#include "BusinessHelpers.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QRegularExpression>

namespace {

// `length` characters from the 1-based `position`; empty when the piece starts before the
// code or has no length, shorter when it runs past the end.
QString piece(const QString& code, qint64 position, qint64 length)
{
    if (position < 1 || length <= 0 || position > code.size()) return QString();
    return code.mid(position - 1, length);
}

// A plain decimal number: optional blanks and sign, digits with at most one "." among them.
bool isNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    return number.match(text).hasMatch();
}

qint64 whole(const TableData& layout, const char* field)
{
    return layout.GetFieldValue(QString::fromLatin1(field)).toLongLong();
}

}   // namespace

bool ParseBarcode(Database& db, const QString& code, QString& outCode, double& outQuantity, Currency& outAmount)
{
    const QString prefix = code.left(1);
    auto layout = db.Tables()
                      .Item(QStringLiteral("CodiciBarre"))
                      ->Select(QStringLiteral("PrefissoCodice=") + db.QuoteText(prefix));
    if (layout->RowCount() == 0) return false;
    layout->MoveFirst();

    qint64 position = whole(*layout, "PosizioneCodice");
    if (position == 0) position = 1;
    qint64 length = whole(*layout, "LunghezzaCodice");
    // A piece that starts before the code is empty whatever its length; reckoning "the rest
    // of the code" from such a position could overflow.
    if (length == 0) length = position >= 1 ? code.size() - position + 1 : 0;
    outCode = piece(code, position, length);

    const QString quantity = piece(code, whole(*layout, "PosizioneQuantita"), whole(*layout, "LunghezzaQuantita"));
    if (isNumber(quantity)) outQuantity = quantity.trimmed().toDouble();

    const QString amountText = piece(code, whole(*layout, "PosizioneImporto"), whole(*layout, "LunghezzaImporto"));
    if (isNumber(amountText)) {
        if (const auto parsed = Currency::parse(amountText.trimmed(), QLocale::c())) {
            Currency amount = *parsed;
            if (layout->GetBoolValue(QStringLiteral("ConversioneValuta")))
                amount = ConvertFromConversionCurrency(db, amount);
            const double coefficient = layout->GetFieldValue(QStringLiteral("CoefficienteValuta")).toDouble();
            // The coefficient divides: 100 turns a price in cents into a price in units.
            if (coefficient != 0.0) amount = amount.dividedBy(coefficient);
            outAmount = amount;
        }
    }
    return true;
}

bool ParseBarcode(const QString& code, QString& outCode, double& outQuantity, Currency& outAmount)
{
    if (!g_objDatabase)
        throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("Database non aperto"));
    return ParseBarcode(*g_objDatabase, code, outCode, outQuantity, outAmount);
}
