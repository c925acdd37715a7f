// Codes cut by the barcode layouts: code, quantity and amount pieces, the currency
// conversion and the coefficient, and codes without a layout.
#include "BusinessFixture.h"
#include "objdb/CurrencyInfo.h"
#include "core/helpers/ParseBarcode.h"
#include "objdb/SqlConnection.h"
#include "TestEnvironment.h"
#include <gtest/gtest.h>
#include <limits>

using namespace business;

namespace {

struct Layout {
    const char* prefix;
    int codePos, codeLen, qtyPos, qtyLen, amountPos, amountLen;
    bool conversion;
    double coefficient;
};

class Barcodes : public ::testing::Test {
protected:
    void SetUp() override
    {
        shop.db->SetCurrency(std::make_shared<EuroCurrencyInfo>());
        const Layout layouts[] = {
            {"2", 2, 6, 0, 0, 9, 5, false, 100},   // price in cents after the article code
            {"8", 0, 0, 0, 0, 0, 0, false, 0},   // the whole code is the article code
            {"Q", 2, 4, 6, 3, 0, 0, false, 0},   // article code, then a quantity
            {"L", 2, 4, 0, 0, 6, 6, true, 0},   // a price in the old currency
            {"M", 2, 4, 0, 0, 6, 8, true, 100},   // the same, in hundredths
            {"N", -1, 3, 0, 0, 0, 0, false, 0},   // a layout pointing before the code
            {"P", 3, 0, 20, 2, 30, 4, false, 0},   // pieces past the end of short codes
            {"A", 2, 4, 0, 0, 6, 60, false, 0},   // an amount of many digits
        };
        auto t = shop.select("CodiciBarre");
        for (const Layout& l : layouts)
            t->AddRow({"PrefissoCodice", l.prefix, "PosizioneCodice", l.codePos, "LunghezzaCodice", l.codeLen,
                       "PosizioneQuantita", l.qtyPos, "LunghezzaQuantita", l.qtyLen, "PosizioneImporto", l.amountPos,
                       "LunghezzaImporto", l.amountLen, "ConversioneValuta", l.conversion, "CoefficienteValuta",
                       l.coefficient});
    }
    Shop shop {testenv::newDir("barcodes") + "/Mirtavolia.mdb"};
};

TEST_F(Barcodes, EachLayoutCutsItsPieces)
{
    struct Case {
        const char* code;
        const char* outCode;
        double quantity;   // -1 when the caller's value stays
        const char* amount;   // null when the caller's value stays
    };
    const Case cases[] = {
        {"2123456712345", "123456", -1, "123.45"},
        {"2123456700099", "123456", -1, "0.99"},
        {"21234567ABCDE", "123456", -1, nullptr},   // an amount that is not a number is skipped
        {"8001234567890", "8001234567890", -1, nullptr},
        {"8", "8", -1, nullptr},
        {"Q1234005", "1234", 5, nullptr},
        {"Q12341.5", "1234", 1.5, nullptr},
        {"Q1234X", "1234", -1, nullptr},
        {"Q12", "12", -1, nullptr},   // the quantity lies past the end
        {"L1234193627", "1234", -1, "100"},   // 193627 in the old currency is 100.00
        {"M123419362700", "1234", -1, "100"},   // hundredths of the old currency
        {"N12345", "", -1, nullptr},
        {"P1", "", -1, nullptr},
        {"PAB", "B", -1, nullptr},
        // A long fraction once overflowed while the amount was read.
        {"A1234123456789012.123456789012345678901234567890", "1234", -1, "123456789012.1235"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        QString outCode = "untouched";
        double quantity = -1;
        Currency amount = eur("-1");
        ASSERT_TRUE(ParseBarcode(*shop.db, c.code, outCode, quantity, amount));
        EXPECT_EQ(outCode, QString(c.outCode));
        EXPECT_EQ(quantity, c.quantity);
        EXPECT_EQ(amount, c.amount ? eur(c.amount) : eur("-1"));
    }
}

TEST_F(Barcodes, LayoutsOfADamagedFileCutNothingOutsideTheCode)
{
    // Positions and lengths are 16-bit in a sound file; a damaged one may hold any number.
    // The smallest position with the length 0 ("the rest of the code") overflowed.
    SqlConnection& sql = shop.engine->sql();
    const QVariantList layouts[] = {
        {"Z", std::numeric_limits<qint64>::min(), 0, 0, 0, 0, 0, 0, 0.0},
        {"Y", 1, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
         std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), 0,
         0.0},
    };
    for (const QVariantList& layout : layouts)
        sql.execute("INSERT INTO CodiciBarre (PrefissoCodice, PosizioneCodice, LunghezzaCodice, PosizioneQuantita, "
                    "LunghezzaQuantita, PosizioneImporto, LunghezzaImporto, ConversioneValuta, CoefficienteValuta) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    layout);
    for (const QString& code : {QStringLiteral("Z"), QStringLiteral("Z123"), QStringLiteral("Y123")}) {
        SCOPED_TRACE(code.toStdString());
        QString outCode = "untouched";
        double quantity = 7;
        Currency amount = eur("3");
        EXPECT_TRUE(ParseBarcode(*shop.db, code, outCode, quantity, amount));
        EXPECT_EQ(outCode, QString());
        EXPECT_EQ(quantity, 7);
        EXPECT_EQ(amount, eur("3"));
    }
}

TEST_F(Barcodes, ACodeWithoutLayoutIsLeftToTheCaller)
{
    // A NUL in front once cut the layout's look-up short inside its quoted prefix.
    const QString nulFirst = QString(QChar(0)) + QStringLiteral("2123456712345");
    for (const QString& code :
         {QStringLiteral("9123456789012"), QString(), QStringLiteral("x"), QStringLiteral("21"), nulFirst}) {
        SCOPED_TRACE(code.toStdString());
        QString outCode = "untouched";
        double quantity = 7;
        Currency amount = eur("3");
        const bool found = ParseBarcode(*shop.db, code, outCode, quantity, amount);
        if (code == "21") {
            EXPECT_TRUE(found) << "only the first character chooses the layout";
            EXPECT_EQ(outCode, "1");
            continue;
        }
        EXPECT_FALSE(found);
        EXPECT_EQ(outCode, "untouched");
        EXPECT_EQ(quantity, 7);
        EXPECT_EQ(amount, eur("3"));
    }
}

}   // namespace
