// Supplier record layouts: the filter texts stored in the file, compared with the texts the
// import expects character for character (line ends CR LF), and the starting values of a
// layout, a layout field and a line selection the user creates.
#include "ShopDatabase.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>

namespace {

// The nine lines both filters begin with.
const char kFilterHead[] = "Function FilterRow( Flds )\r\n"
                           "  ' Modifica i campi della collection Flds() (ADODB.Fields)\r\n"
                           "  ' con VBScript, questa funzione viene richiamata\r\n"
                           "  ' per ogni record da importare.\r\n"
                           "  ' Riportare False per ignorare il record\r\n"
                           "\r\n"
                           "  ' Tutte le quantita' vanno divise per 100\r\n"
                           "  Flds(\"ValoreCarico\").Value = Flds(\"ValoreCarico\").Value / 100\r\n"
                           "\r\n";

const QString kNewLayoutFilter = QString::fromUtf8(kFilterHead)
    + QString::fromUtf8("  FilterRow = True\r\n"
                        "End function\r\n");

const QString kFullFilter = QString::fromUtf8(kFilterHead)
    + QString::fromUtf8("  ' Controllo per Unità di misura Confezione/Peso\r\n"
                        "  Flds(\"UnitaMisura\").Value = \"QntPzz\"\r\n"
                        "  If Flds(\"ConfezionePeso\").Value = \"P\" Then\r\n"
                        "       Flds(\"UnitaMisura\").Value = \"KgPzz\"\r\n"
                        "  End If\r\n"
                        "\r\n"
                        "  ' Imposta l'Iva per il codice\r\n"
                        "  Flds(\"CodiceIva\").Value = \"IVA\" & Flds(\"Iva\").Value\r\n"
                        "\r\n"
                        "  ' Imposta il codice aggiuntivo\r\n"
                        "  Flds(\"CodiceAggiuntivo\").Value = Flds(\"CodiceFornitore\").Value\r\n"
                        "\r\n"
                        "  FilterRow = True\r\n"
                        "End function\r\n");

// Where two texts part, for a readable failure.
QString firstDifference(const QString& actual, const QString& expected)
{
    qsizetype i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    if (i == actual.size() && i == expected.size()) return QString();
    return QString("at %1: got \"%2\", expected \"%3\"")
        .arg(i)
        .arg(actual.mid(i, 20).toHtmlEscaped(), expected.mid(i, 20).toHtmlEscaped());
}

class RecordLayouts : public ::testing::Test {
protected:
    void SetUp() override { shop.open(); }
    ShopDatabase shop;
};

// What the file holds, read beside the library: the layout made with the table keeps the
// full filter exactly, every line ended by CR LF.
TEST_F(RecordLayouts, DefaultLayoutStoresTheFullFilterCharacterForCharacter)
{
    shop.close();
    const QList<QVariantList> rows = shop.rawRows("SELECT VBFilter FROM TracciatiFornitura");
    ASSERT_EQ(rows.size(), 1);
    const QString stored = rows.first().first().toString();
    EXPECT_EQ(firstDifference(stored, kFullFilter), QString());
    EXPECT_EQ(stored.count("\r\n"), 23);
    EXPECT_EQ(stored.count('\n'), 23);   // no bare line feed
}

// A layout the user adds, stored and read back, keeps the short filter exactly; its field
// rows and line selections start from neutral values with what the user must type left empty.
TEST_F(RecordLayouts, NewLayoutFieldAndSelectionStartFromTheirDefaults)
{
    struct Case {
        const char* table;
        const char* field;
        QVariant expected;   // invalid: left empty for the user
    };
    const Case cases[] = {
        {"TracciatiFornitura", "VBFilter", kNewLayoutFilter},
        {"TracciatiFornitura", "Note", QString("")},
        {"TracciatiFornitura", "ConversioneValuta", false},
        {"TracciatiFornitura", "CoefficienteValuta", 0.0},
        {"TracciatiFornitura", "FileSorgente", QVariant()},
        {"CampiTracciato", "Note", QString("")},
        {"CampiTracciato", "RilevaDifferenze", false},
        {"CampiTracciato", "ValoreMaxDifferenza", 0.0},
        {"CampiTracciato", "CampoImporto", false},
        {"CampiTracciato", "CampoNumerico", false},
        {"CampiTracciato", "Posizione", qint64(0)},
        {"CampiTracciato", "Lunghezza", qint64(0)},
        {"CampiTracciato", "NomeCampo", QVariant()},
        {"SelezioniTracciato", "Escludi", false},
        {"SelezioniTracciato", "Note", QString("")},
        {"SelezioniTracciato", "Posizione", QVariant()},
        {"SelezioniTracciato", "Contenuto", QVariant()},
    };
    QHash<QString, qint64> added;
    for (const char* table : {"TracciatiFornitura", "CampiTracciato", "SelezioniTracciato"})
        added[table] = shop.select(table)->AddRow({});
    shop.close();
    shop.open();
    for (const Case& c : cases) {
        auto td = shop.select(c.table, QString("OID = %1").arg(added[c.table]));
        ASSERT_EQ(td->RowCount(), 1) << c.table;
        td->MoveFirst();
        const QVariant v = td->GetValue(c.field);
        if (!c.expected.isValid()) {
            EXPECT_TRUE(v.isNull()) << c.table << "." << c.field;
            continue;
        }
        ASSERT_FALSE(v.isNull()) << c.table << "." << c.field;
        EXPECT_EQ(v.typeId(), c.expected.typeId()) << c.table << "." << c.field;
        if (v.typeId() == QMetaType::QString)
            EXPECT_EQ(firstDifference(v.toString(), c.expected.toString()), QString()) << c.table << "." << c.field;
        else
            EXPECT_EQ(v, c.expected) << c.table << "." << c.field;
    }
}

}   // namespace
