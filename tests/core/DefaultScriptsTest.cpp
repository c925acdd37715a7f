// The scripts the program ships with, run through the interpreter against recording
// print objects and in-memory records.
#include "core/configuration/DefaultScripts.h"
#include "vbscript/HostObject.h"
#include "vbscript/ScriptEngine.h"
#include "vbscript/ScriptRecord.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A label print object that writes down every drawing call as the script made it.
std::shared_ptr<vbs::HostObject> recordingPrinter(QStringList& calls)
{
    auto prn = std::make_shared<vbs::HostObject>(QStringLiteral("clsScriptPrinter"));
    auto text = [](const vbs::Variant& v) { return v.toString(); };
    prn->method(QStringLiteral("SetFont"), 4, 4, [&calls, text](const vbs::VariantList& a) {
        calls << QStringLiteral("SetFont %1|%2|%3|%4").arg(text(a[0]), text(a[1]), text(a[2]), text(a[3]));
        return vbs::Variant();
    });
    prn->method(QStringLiteral("TxtOut"), 3, 3, [&calls, text](const vbs::VariantList& a) {
        calls << QStringLiteral("TxtOut %1|%2|%3").arg(text(a[0]), text(a[1]), text(a[2]));
        return vbs::Variant();
    });
    prn->method(QStringLiteral("BoxOut"), 4, 4, [&calls, text](const vbs::VariantList& a) {
        calls << QStringLiteral("BoxOut %1|%2|%3|%4").arg(text(a[0]), text(a[1]), text(a[2]), text(a[3]));
        return vbs::Variant();
    });
    return prn;
}

std::shared_ptr<vbs::ScriptRecord> article(const QString& unit)
{
    auto flds = std::make_shared<vbs::ScriptRecord>();
    flds->addField(QStringLiteral("Codice"), vbs::Variant(QStringLiteral("8001234567890")));
    flds->addField(QStringLiteral("Descrizione"), vbs::Variant(QStringLiteral("MELE GOLDEN")));
    flds->addField(QStringLiteral("PrezzoVendita"), vbs::Variant(Currency::fromUnits(12345000)));   // 1234,50
    flds->addField(QStringLiteral("CodiceAggiuntivo"), vbs::Variant(QStringLiteral("F00123")));
    flds->addField(QStringLiteral("Cod_UnitaMisura"), vbs::Variant(unit));
    return flds;
}

QStringList lines(const QString& text) { return text.split(QStringLiteral("\r\n")); }

}   // namespace

TEST(DefaultLabelScript, DrawsTheLabelWithItalianPrices)
{
    for (const QString& unit : {QStringLiteral("KgPzz"), QStringLiteral("QntPzz")}) {
        QStringList calls;
        vbs::ScriptEngine engine;
        engine.addCode(DefaultLabelScript());
        vbs::Variant ok = engine.run(QStringLiteral("PrintLabel"),
                                     {vbs::Variant(article(unit)), vbs::Variant(recordingPrinter(calls))});
        QStringList expected {
            QStringLiteral("SetFont 13|True|False|MS San Serif"),
            QStringLiteral("TxtOut 0|0|MELE GOLDEN"),
            QStringLiteral("SetFont 14|True|True|Courier New"),
            QStringLiteral("TxtOut 7|0|Lire"),
            QStringLiteral("TxtOut 7|16|2.390.325"),   // 1234,50 × 1936,27
            QStringLiteral("SetFont 14|True|False|Courier New"),
            QStringLiteral("TxtOut 16|0|Euro"),
            QStringLiteral("SetFont 28|True|False|Courier New"),
            QStringLiteral("TxtOut 12|16|1.234,50"),
            QStringLiteral("SetFont 9|True|False|Courier New"),
            QStringLiteral("TxtOut 25|0|F00123"),
            QStringLiteral("TxtOut 25|22|8001234567890"),
        };
        if (unit == u"KgPzz")
            expected << QStringLiteral("SetFont 14|True|True|Arial") << QStringLiteral("TxtOut 11|56|al Kg");
        EXPECT_EQ(calls, expected) << unit.toStdString();
        EXPECT_EQ(ok.type(), vbs::VType::Boolean);
        EXPECT_TRUE(ok.toBool());
    }
}

TEST(DefaultLabelScript, TextKeepsItsStoredForm)
{
    const QString text = DefaultLabelScript();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Function PrintLabel(flds, prn)\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nEnd Function")));   // no line end after the last line
    EXPECT_EQ(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(QLatin1Char('\r')), text.count(QStringLiteral("\r\n")));
}

TEST(DefaultTicketScript, ThreeEntryPointsEachReturningTrue)
{
    const QString script = DefaultTicketScript();
    const QString info = DefaultTicketInfoFunction();
    EXPECT_TRUE(script.endsWith(info));
    EXPECT_TRUE(script.startsWith(
        QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n")));
    EXPECT_TRUE(script.contains(QStringLiteral("\r\nFunction PrintTicketRow(flds, prn, nRow)\r\n")));
    EXPECT_TRUE(info.startsWith(QStringLiteral("Function PrintTicketInfo(sInfo, prn, nRow)\r\n")));
    EXPECT_EQ(script.count(QStringLiteral("End Function\r\n\r\n")), 3);
    EXPECT_TRUE(info.endsWith(QStringLiteral("End Function\r\n\r\n")));
    EXPECT_EQ(script.count(QLatin1Char('\n')), script.count(QStringLiteral("\r\n")));

    vbs::ScriptEngine engine;
    engine.addCode(script);
    auto rec = vbs::Variant(std::make_shared<vbs::ScriptRecord>());
    auto prn = vbs::Variant(std::make_shared<vbs::HostObject>(QStringLiteral("clsTiketScriptPrinter")));
    EXPECT_TRUE(engine.run(QStringLiteral("PrintTicketMask"), {rec, rec, rec, prn, vbs::Variant(true)}).toBool());
    EXPECT_TRUE(engine.run(QStringLiteral("PrintTicketRow"), {rec, prn, vbs::Variant(1)}).toBool());
    EXPECT_TRUE(
        engine.run(QStringLiteral("PrintTicketInfo"), {vbs::Variant(QStringLiteral("nota")), prn, vbs::Variant(2)})
            .toBool());

    // A stored script without the information entry point gains it by appending.
    vbs::ScriptEngine appended;
    appended.addCode(
        QStringLiteral("Function PrintTicketRow(flds, prn, nRow)\r\n  PrintTicketRow = True\r\nEnd Function\r\n")
        + info);
    EXPECT_TRUE(appended.hasProcedure(QStringLiteral("PrintTicketInfo")));
}

TEST(RowFilterTemplates, FullTemplateCompletesTheRecord)
{
    for (const char* kind : {"P", "C"}) {
        auto flds = std::make_shared<vbs::ScriptRecord>();
        flds->addField(QStringLiteral("Codice"), vbs::Variant(QStringLiteral("8001234567890")));
        flds->addField(QStringLiteral("ValoreCarico"), vbs::Variant(1250.0));
        flds->addField(QStringLiteral("ConfezionePeso"), vbs::Variant(QString::fromLatin1(kind)));
        flds->addField(QStringLiteral("Iva"), vbs::Variant(QStringLiteral("20")));
        flds->addField(QStringLiteral("CodiceFornitore"), vbs::Variant(QStringLiteral("F00123")));
        flds->addField(QStringLiteral("UnitaMisura"), vbs::Variant(QString()));
        flds->addField(QStringLiteral("CodiceIva"), vbs::Variant(QString()));
        flds->addField(QStringLiteral("CodiceAggiuntivo"), vbs::Variant(QString()));

        vbs::ScriptEngine engine;
        engine.addCode(FullLayoutFilterTemplate());
        vbs::Variant keep = engine.run(QStringLiteral("FilterRow"), {vbs::Variant(flds)});
        EXPECT_TRUE(keep.toBool());
        EXPECT_DOUBLE_EQ(flds->value(QStringLiteral("ValoreCarico")).toDouble(), 12.5);
        EXPECT_EQ(flds->value(QStringLiteral("UnitaMisura")).toString(),
                  QString::fromLatin1(kind[0] == 'P' ? "KgPzz" : "QntPzz"));
        EXPECT_EQ(flds->value(QStringLiteral("CodiceIva")).toString(), QStringLiteral("IVA20"));
        EXPECT_EQ(flds->value(QStringLiteral("CodiceAggiuntivo")).toString(), QStringLiteral("F00123"));
        EXPECT_EQ(flds->value(QStringLiteral("Codice")).toString(), QStringLiteral("8001234567890"));
    }
}

TEST(RowFilterTemplates, NewLayoutTemplateOnlyDividesTheQuantity)
{
    auto flds = std::make_shared<vbs::ScriptRecord>();
    flds->addField(QStringLiteral("ValoreCarico"), vbs::Variant(300));
    flds->addField(QStringLiteral("UnitaMisura"), vbs::Variant(QStringLiteral("QntPzz")));
    vbs::ScriptEngine engine;
    engine.addCode(NewLayoutFilterTemplate());
    EXPECT_TRUE(engine.run(QStringLiteral("FilterRow"), {vbs::Variant(flds)}).toBool());
    EXPECT_DOUBLE_EQ(flds->value(QStringLiteral("ValoreCarico")).toDouble(), 3.0);
    EXPECT_EQ(flds->value(QStringLiteral("UnitaMisura")).toString(), QStringLiteral("QntPzz"));
}

TEST(RowFilterTemplates, TextsHaveTheirLinesEachEndedByCrLf)
{
    const QStringList fresh = lines(NewLayoutFilterTemplate());
    const QStringList full = lines(FullLayoutFilterTemplate());
    // Splitting a text whose every line ends in CR LF leaves one empty piece at the end.
    ASSERT_EQ(fresh.size(), 12);
    ASSERT_EQ(full.size(), 24);
    EXPECT_TRUE(fresh.last().isEmpty());
    EXPECT_TRUE(full.last().isEmpty());
    EXPECT_EQ(fresh.mid(0, 9), full.mid(0, 9));
    EXPECT_EQ(fresh[0], QStringLiteral("Function FilterRow( Flds )"));
    EXPECT_EQ(fresh[10], QStringLiteral("End function"));
    EXPECT_EQ(full[12], QStringLiteral("       Flds(\"UnitaMisura\").Value = \"KgPzz\""));
    EXPECT_EQ(full[22], QStringLiteral("End function"));
}

TEST(CodeFilters, DefaultFiltersAnnulCodesEndingWithAControlCharacter)
{
    struct Case {
        QString script;
        QString entry;
    };
    const Case filters[] = {{DefaultBarCodeFilterScript(), QStringLiteral("BarCodeFilter")},
                            {DefaultCodeFilterScript(), QStringLiteral("CodeFilter")}};
    const std::pair<QString, QString> codes[] = {
        {QStringLiteral("8001234567890"), QStringLiteral("8001234567890")},
        {QStringLiteral("8001234567890\t"), QString()},
        {QStringLiteral("12345\r"), QString()},
        {QStringLiteral("\t800"), QStringLiteral("\t800")},
        {QString(), QString()},
    };
    for (const Case& f : filters) {
        EXPECT_TRUE(f.script.endsWith(QStringLiteral("End function\r\n")));
        vbs::ScriptEngine engine;
        engine.addCode(f.script);
        for (const auto& [in, out] : codes)
            EXPECT_EQ(engine.run(f.entry, {vbs::Variant(in)}).toString(), out)
                << f.entry.toStdString() << " " << in.toStdString();
    }
}
