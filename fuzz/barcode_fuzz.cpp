// Codes cut by barcode layouts. Each input stores a few layouts in the shop database (through
// plain SQL, so they may hold what an old or damaged file holds: nulls, texts in number
// fields, values past 16 bits, prefixes of several characters), then scans a few codes.
// Only an overflow of the amount may come out of ParseBarcode; a code without a layout
// leaves the caller's values alone; the code found is a piece of the code scanned; a
// quantity is a finite number.
#include "FuzzShop.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Notify.h"
#include "core/helpers/ParseBarcode.h"
#include "objdb/SqlConnection.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <QCoreApplication>
#include <QVariant>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

fuzzsupport::ShopFile& shop() { return fuzzsupport::shopFile("fuzz_barcode"); }

// A stored value as a damaged or hand-edited file may hold it.
QVariant storedNumber(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return QVariant();
    case 1: return QVariant(qint64(in.ConsumeIntegralInRange<int>(-3, 40)));
    case 2: return QVariant(qint64(in.ConsumeIntegral<int16_t>()));
    case 3: return QVariant(qint64(in.ConsumeIntegral<int64_t>()));
    case 4: return QVariant(in.ConsumeFloatingPoint<double>());
    case 5: {
        const double special[] = {0.5,
                                  -0.5,
                                  1e-300,
                                  -1e-300,
                                  1e300,
                                  std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(),
                                  9.2233720368547758e18,
                                  -9.2233720368547758e18};
        return QVariant(special[in.ConsumeIntegralInRange<size_t>(0, std::size(special) - 1)]);
    }
    case 6: return QVariant(QString::fromStdString(in.ConsumeRandomLengthString(8)));
    default: return QVariant(qint64(in.ConsumeIntegralInRange<int>(0, 16)));
    }
}

// The prefixes stored; most codes begin with one of them, or they would rarely meet a layout.
QStringList storeLayouts(FuzzedDataProvider& in)
{
    QStringList prefixes;
    SqlConnection& sql = shop().engine->sql();
    sql.execute(QStringLiteral("DELETE FROM CodiciBarre"));
    const int count = in.ConsumeIntegralInRange<int>(0, 4);
    for (int n = 0; n < count; ++n) {
        QVariantList values;
        const QString prefix = QString::fromStdString(in.ConsumeRandomLengthString(4));
        prefixes << prefix;
        values << QVariant(prefix);
        for (int f = 0; f < 6; ++f) values << storedNumber(in);
        values << storedNumber(in);   // ConversioneValuta
        values << storedNumber(in);   // CoefficienteValuta
        try {
            sql.execute(QStringLiteral("INSERT INTO CodiciBarre (PrefissoCodice, PosizioneCodice, LunghezzaCodice, "
                                       "PosizioneQuantita, LunghezzaQuantita, PosizioneImporto, LunghezzaImporto, "
                                       "ConversioneValuta, CoefficienteValuta) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                        values);
        } catch (const AppError&) {
            // The unique prefix index refuses a second layout for a character.
        }
    }
    return prefixes;
}

void scan(const QString& code)
{
    const QString untouchedCode = QStringLiteral("\x01untouched");
    const double untouchedQuantity = -12345.5;
    const Currency untouchedAmount = Currency::fromUnits(-98765);
    QString outCode = untouchedCode;
    double quantity = untouchedQuantity;
    Currency amount = untouchedAmount;
    bool found = false;
    try {
        found = ParseBarcode(*shop().db, code, outCode, quantity, amount);
    } catch (const AppError& e) {
        // A coefficient near zero or a conversion can push the amount past the currency's range.
        if (e.number != AppError::kOverflow)
            fuzzsupport::broken(
                QStringLiteral("error %1 (%2) from code \"%3\"").arg(e.number).arg(e.description, code));
        return;
    }
    if (!found) {
        if (outCode != untouchedCode || quantity != untouchedQuantity || amount != untouchedAmount)
            fuzzsupport::broken(QStringLiteral("a code without layout changed the caller's values: \"%1\"").arg(code));
        return;
    }
    if (!code.contains(outCode))
        fuzzsupport::broken(QStringLiteral("code \"%1\" is no piece of \"%2\"").arg(outCode, code));
    if (quantity != untouchedQuantity && !std::isfinite(quantity))
        fuzzsupport::broken(QStringLiteral("quantity %1 from \"%2\"").arg(quantity).arg(code));
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QStringList prefixes = storeLayouts(in);
    for (int n = 0; n < 8 && in.remaining_bytes() > 0; ++n) {
        const size_t pick = in.ConsumeIntegralInRange<size_t>(0, prefixes.size());
        const QString start = pick < size_t(prefixes.size()) ? prefixes.at(qsizetype(pick)) : QString();
        scan(start + QString::fromStdString(in.ConsumeRandomLengthString(64)));
    }
    return 0;
}
