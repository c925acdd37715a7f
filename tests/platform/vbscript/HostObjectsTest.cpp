// Host objects as scripts reach them: records of fields with a default member, indexed
// properties, methods, and errors raised by the host.
#include "vbscript/HostObject.h"
#include "vbscript/ScriptEngine.h"
#include "vbscript/ScriptRecord.h"
#include "ScriptTestSupport.h"

#include <QHash>
#include <gtest/gtest.h>

using scripttest::describe;

namespace {

std::shared_ptr<vbs::ScriptRecord> sampleRecord()
{
    auto r = std::make_shared<vbs::ScriptRecord>();
    r->addField(QStringLiteral("Codice"), vbs::Variant(QStringLiteral("A1")));
    r->addField(QStringLiteral("Cod_UnitaMisura"), vbs::Variant(QStringLiteral("KgPzz")));
    r->addField(QStringLiteral("ValoreCarico"), vbs::Variant(250));
    r->addField(QStringLiteral("Note"), vbs::Variant::null());
    return r;
}

// Runs F(Flds) on a fresh sample record; gives the description of the result.
QString runWithRecord(const QString& body, std::shared_ptr<vbs::ScriptRecord> rec = sampleRecord())
{
    vbs::ScriptEngine engine;
    try {
        engine.addCode(QStringLiteral("Function F(Flds)\r\n") + body
                       + QStringLiteral("\r\nEnd Function\r\n"
                                        "Function Fld(Flds, n)\r\n  Set Fld = Flds(n)\r\nEnd Function"));
        return describe(engine.run(QStringLiteral("F"), {vbs::Variant(rec)}));
    } catch (const vbs::ScriptError& e) {
        return QStringLiteral("#%1").arg(e.number);
    }
}

}   // namespace

// A record is used for every line of a file: a name found once is found again in any case,
// and finds the field that replaced the one it first found.
TEST(ScriptRecordObject, ANameFoundOnceFindsItsFieldAgain)
{
    auto r = sampleRecord();
    for (const char* name : {"Codice", "CODICE", "codice", "Codice"}) {
        ASSERT_TRUE(r->field(QString::fromLatin1(name))) << name;
        EXPECT_EQ(r->value(QString::fromLatin1(name)).toString(), "A1") << name;
    }
    EXPECT_FALSE(r->field(QStringLiteral("Manca")));
    EXPECT_FALSE(r->field(QStringLiteral("Manca"))) << "a missing name stays missing";
    r->addField(QStringLiteral("CODICE"), vbs::Variant(QStringLiteral("B2")));
    EXPECT_EQ(r->count(), 4);
    for (const char* name : {"Codice", "codice"})
        EXPECT_EQ(r->value(QString::fromLatin1(name)).toString(), "B2") << name;
}

TEST(ScriptRecordObject, FieldsByNameWithDefaultValue)
{
    struct Case {
        const char* body;
        const char* expected;
    };
    const Case cases[] = {
        {R"(F = Flds("Cod_UnitaMisura") = "KgPzz")", "Boolean:True"},
        {R"(F = (Flds("cod_unitamisura").Value = "KgPzz"))", "Boolean:True"},
        {R"(F = TypeName(Flds("Codice")) & Flds("Codice").Name)", "String:FieldCodice"},
        {R"(Set x = Flds("Codice") : F = x & "")", "String:A1"},
        {R"(x = Flds("Codice") : F = TypeName(x))", "String:String"},
        {R"(F = Flds("ValoreCarico") / 100)", "Double:2,5"},
        {R"(F = Flds.Count & Flds(0).Name & Flds.Item(1).Value)", "String:4CodiceKgPzz"},
        {R"(For Each oField In Flds : F = F & oField.Name & ";" : Next)",
         "String:Codice;Cod_UnitaMisura;ValoreCarico;Note;"},
        {R"(F = IsNull(Flds("Note")) & IsNull(Flds("Codice")))", "String:TrueFalse"},
        {R"(F = Flds("Note") & "x")", "String:x"},
        {R"(F = Flds("Manca"))", "#3265"},
        {R"(F = Flds(9).Name)", "#3265"},
        {R"(F = Flds("Codice").Colore)", "#438"},
        {R"(F = Fld(Flds, "Codice").Value & Fld(Flds, 2).Value)", "String:A1250"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runWithRecord(QString::fromUtf8(c.body)), QString::fromUtf8(c.expected)) << c.body;
}

TEST(ScriptRecordObject, AssignmentsReachTheFields)
{
    auto rec = sampleRecord();
    EXPECT_EQ(runWithRecord(QStringLiteral("Flds(\"ValoreCarico\").Value = Flds(\"ValoreCarico\").Value / 100\r\n"
                                           "Flds(\"Codice\") = \"B\" & Flds(\"Codice\")\r\n"
                                           "Fld(Flds, \"Note\").Value = \"nota\"\r\n"
                                           "Flds.Item(\"Cod_UnitaMisura\") = \"QntPzz\"\r\n"
                                           "F = True"),
                            rec),
              QStringLiteral("Boolean:True"));
    EXPECT_DOUBLE_EQ(rec->value(QStringLiteral("ValoreCarico")).toDouble(), 2.5);
    EXPECT_EQ(rec->value(QStringLiteral("Codice")).toString(), QStringLiteral("BA1"));
    EXPECT_EQ(rec->value(QStringLiteral("Note")).toString(), QStringLiteral("nota"));
    EXPECT_EQ(rec->value(QStringLiteral("Cod_UnitaMisura")).toString(), QStringLiteral("QntPzz"));
    EXPECT_EQ(runWithRecord(QStringLiteral("Flds(\"Manca\").Value = 1")), QStringLiteral("#3265"));
    EXPECT_EQ(runWithRecord(QStringLiteral("Flds.Count = 1")), QStringLiteral("#438"));
}

TEST(ScriptRecordObject, WriteFilterShapesStoredValues)
{
    auto rec = sampleRecord();
    rec->field(QStringLiteral("Codice"))->setWriteFilter([](const vbs::Variant& v) {
        return vbs::Variant(v.toString().left(3));
    });
    rec->field(QStringLiteral("ValoreCarico"))->setWriteFilter([](const vbs::Variant& v) {
        return vbs::Variant(v.toCurrency());
    });
    runWithRecord(QStringLiteral("Flds(\"Codice\") = \"ABCDEF\" : Flds(\"ValoreCarico\") = \"12,34567\""), rec);
    EXPECT_EQ(rec->value(QStringLiteral("Codice")).toString(), QStringLiteral("ABC"));
    EXPECT_EQ(rec->value(QStringLiteral("ValoreCarico")).type(), vbs::VType::Currency);
    EXPECT_EQ(rec->value(QStringLiteral("ValoreCarico")).rawCurrency().units(), 123457);
}

TEST(HostObjects, IndexedPropertiesMethodsAndHostErrors)
{
    QHash<QString, vbs::Variant> vars;
    auto prn = std::make_shared<vbs::HostObject>(QStringLiteral("clsTiketScriptPrinter"));
    prn->property(
        QStringLiteral("Vars"), [&vars](const vbs::VariantList& a) { return vars.value(a[0].toString()); },
        [&vars](const vbs::VariantList& a, const vbs::Variant& v) { vars.insert(a[0].toString(), v); }, 1, 1);
    prn->property(QStringLiteral("VarsCount"),
                  [&vars](const vbs::VariantList&) { return vbs::Variant(static_cast<int>(vars.size())); });
    prn->method(QStringLiteral("ResetVars"), 0, 0, [&vars](const vbs::VariantList&) {
        vars.clear();
        return vbs::Variant();
    });
    prn->method(QStringLiteral("Fail"), 0, 0, [](const vbs::VariantList&) -> vbs::Variant {
        throw AppError(AppError::kObjectErrorBase + 7, QStringLiteral("printer"),
                       QStringLiteral("Carattere inesistente"));
    });

    vbs::ScriptEngine engine;
    engine.addCode(QStringLiteral(
        "Function Count(prn)\r\n"
        "  prn.Vars(\"Totale\") = 5\r\n"
        "  prn.vars(\"Totale\") = prn.VARS(\"Totale\") + 1\r\n"
        "  prn.Vars(\"Nome\") = \"x\"\r\n"
        "  Count = prn.VarsCount & \"|\" & prn.Vars(\"Totale\") & \"|\" & IsEmpty(prn.Vars(\"Manca\"))\r\n"
        "End Function\r\n"
        "Function Reset(prn)\r\n"
        "  prn.ResetVars\r\n"
        "  Call prn.ResetVars()\r\n"
        "  Reset = prn.VarsCount\r\n"
        "End Function\r\n"
        "Function Guarded(prn)\r\n"
        "  On Error Resume Next\r\n"
        "  prn.Fail\r\n"
        "  Guarded = Err.Number & \"|\" & Err.Description\r\n"
        "End Function\r\n"
        "Function Unguarded(prn)\r\n"
        "  Unguarded = 1\r\n"
        "  prn.Fail\r\n"
        "End Function\r\n"
        "Function Misuse(prn)\r\n"
        "  prn.VarsCount = 3\r\n"
        "End Function\r\n"));
    const vbs::Variant p {std::static_pointer_cast<vbs::ScriptObject>(prn)};
    EXPECT_EQ(engine.run(QStringLiteral("Count"), {p}).toString(), QStringLiteral("2|6|True"));
    EXPECT_EQ(engine.run(QStringLiteral("Reset"), {p}).toString(), QStringLiteral("0"));
    EXPECT_EQ(engine.run(QStringLiteral("Guarded"), {p}).toString(),
              QStringLiteral("%1|Carattere inesistente").arg(AppError::kObjectErrorBase + 7));
    try {
        engine.run(QStringLiteral("Unguarded"), {p});
        FAIL();
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, AppError::kObjectErrorBase + 7);
        EXPECT_EQ(e.line, 19);   // counted within the whole added text
    }
    EXPECT_THROW(engine.run(QStringLiteral("Misuse"), {p}), vbs::ScriptError);
}

TEST(HostObjects, NamedObjectsAndQtValues)
{
    auto shop = std::make_shared<vbs::HostObject>(QStringLiteral("Shop"));
    shop->property(QStringLiteral("Name"),
                   [](const vbs::VariantList&) { return vbs::Variant(QStringLiteral("Bottega")); });
    shop->setDefaultMember(QStringLiteral("Name"));
    vbs::ScriptEngine engine;
    engine.addObject(QStringLiteral("Shop"), shop);
    engine.addCode(QStringLiteral("Function F()\r\n  F = Shop & \"/\" & shop.name\r\nEnd Function\r\nFunction G()\r\n  "
                                  "Shop = 1\r\nEnd Function"));
    EXPECT_EQ(engine.run(QStringLiteral("F")).toString(), QStringLiteral("Bottega/Bottega"));
    EXPECT_THROW(engine.run(QStringLiteral("G")), vbs::ScriptError);

    EXPECT_EQ(describe(vbs::Variant::fromQVariant(QVariant::fromValue(Currency::fromUnits(15000)))),
              QStringLiteral("Currency:1,5"));
    EXPECT_EQ(describe(vbs::Variant::fromQVariant(QVariant(QDate(2024, 12, 10)))), QStringLiteral("Date:10/12/2024"));
    EXPECT_EQ(describe(vbs::Variant::fromQVariant(QVariant(QMetaType::fromType<QString>()))), QStringLiteral("Null"));
    EXPECT_EQ(describe(vbs::Variant::fromQVariant(QVariant(qlonglong(70000)))), QStringLiteral("Long:70000"));
    EXPECT_EQ(vbs::Variant(Currency::fromUnits(15000)).toQVariant().value<Currency>().units(), 15000);
    EXPECT_EQ(vbs::Variant::date(45636.5).toQVariant().toDateTime(), QDateTime(QDate(2024, 12, 10), QTime(12, 0)));
}

TEST(HostObjects, WithBlocksReachTheirObjectsNested)
{
    QStringList printed;
    QString font;
    auto prn = std::make_shared<vbs::HostObject>(QStringLiteral("clsScriptPrinter"));
    prn->method(QStringLiteral("Print"), 1, 1, [&printed](const vbs::VariantList& a) {
        printed << a[0].toString();
        return vbs::Variant();
    });
    prn->property(
        QStringLiteral("FontName"), [&font](const vbs::VariantList&) { return vbs::Variant(font); },
        [&font](const vbs::VariantList&, const vbs::Variant& v) { font = v.toString(); });
    auto rec = sampleRecord();

    vbs::ScriptEngine engine;
    engine.addCode(QStringLiteral("Function F(prn, flds)\r\n"
                                  "  With prn\r\n"
                                  "    .FontName = \"Arial\"\r\n"
                                  "    .Print .FontName\r\n"
                                  "    With flds\r\n"
                                  "      .Item(\"Codice\") = \"B\" & .Item(\"Codice\")\r\n"
                                  "      prn.Print .Count & \" \" & .Item(0).Name\r\n"
                                  "      With .Item(\"Codice\")\r\n"
                                  "        .Value = .Value & \"!\"\r\n"
                                  "      End With\r\n"
                                  "    End With\r\n"
                                  "    Call .Print(\"done\")\r\n"
                                  "  End With\r\n"
                                  "  F = prn.FontName\r\n"
                                  "End Function\r\n"
                                  "Function G(prn)\r\n"
                                  "  On Error Resume Next\r\n"
                                  "  With prn\r\n"
                                  "    .Missing\r\n"
                                  "    .Print Err.Number\r\n"
                                  "    If True Then Exit Function\r\n"
                                  "  End With\r\n"
                                  "End Function\r\n"));
    const vbs::Variant p {std::static_pointer_cast<vbs::ScriptObject>(prn)};
    EXPECT_EQ(engine.run(QStringLiteral("F"), {p, vbs::Variant(rec)}).toString(), QStringLiteral("Arial"));
    EXPECT_EQ(printed, QStringList({QStringLiteral("Arial"), QStringLiteral("4 Codice"), QStringLiteral("done")}));
    EXPECT_EQ(rec->value(QStringLiteral("Codice")).toString(), QStringLiteral("BA1!"));
    EXPECT_EQ(font, QStringLiteral("Arial"));

    printed.clear();
    engine.run(QStringLiteral("G"), {p});
    EXPECT_EQ(printed, QStringList({QStringLiteral("438")}));
}
