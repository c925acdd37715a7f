// Speed of the script interpreter on the work the counter gives it: a label compiled and
// run per label (target: well under 1 ms), the import row filter per record, and a plain
// loop for the raw statement rate.
#include "core/configuration/DefaultScripts.h"
#include "vbscript/HostObject.h"
#include "vbscript/ScriptEngine.h"
#include "vbscript/ScriptRecord.h"

#include <benchmark/benchmark.h>

namespace {

std::shared_ptr<vbs::HostObject> nullPrinter()
{
    auto prn = std::make_shared<vbs::HostObject>(QStringLiteral("clsScriptPrinter"));
    auto none = [](const vbs::VariantList& a) {
        for (const vbs::Variant& v : a) benchmark::DoNotOptimize(v.toString());
        return vbs::Variant();
    };
    prn->method(QStringLiteral("SetFont"), 4, 4, none);
    prn->method(QStringLiteral("TxtOut"), 3, 3, none);
    prn->method(QStringLiteral("BoxOut"), 4, 4, none);
    return prn;
}

std::shared_ptr<vbs::ScriptRecord> article()
{
    auto flds = std::make_shared<vbs::ScriptRecord>();
    flds->addField(QStringLiteral("Codice"), vbs::Variant(QStringLiteral("8001234567890")));
    flds->addField(QStringLiteral("Descrizione"), vbs::Variant(QStringLiteral("MELE GOLDEN")));
    flds->addField(QStringLiteral("PrezzoVendita"), vbs::Variant(Currency::fromUnits(12345000)));
    flds->addField(QStringLiteral("CodiceAggiuntivo"), vbs::Variant(QStringLiteral("F00123")));
    flds->addField(QStringLiteral("Cod_UnitaMisura"), vbs::Variant(QStringLiteral("KgPzz")));
    return flds;
}

// What the label runner does for every label: a new engine, the script added, one call.
void BM_LabelScriptCompileAndRun(benchmark::State& state)
{
    const QString script = DefaultLabelScript();
    const vbs::VariantList args {vbs::Variant(article()), vbs::Variant(nullPrinter())};
    for (auto _ : state) {
        vbs::ScriptEngine engine;
        engine.addCode(script);
        benchmark::DoNotOptimize(engine.run(QStringLiteral("PrintLabel"), args));
    }
}
BENCHMARK(BM_LabelScriptCompileAndRun)->Unit(benchmark::kMicrosecond);

void BM_LabelScriptRunOnly(benchmark::State& state)
{
    vbs::ScriptEngine engine;
    engine.addCode(DefaultLabelScript());
    const vbs::VariantList args {vbs::Variant(article()), vbs::Variant(nullPrinter())};
    for (auto _ : state) benchmark::DoNotOptimize(engine.run(QStringLiteral("PrintLabel"), args));
}
BENCHMARK(BM_LabelScriptRunOnly)->Unit(benchmark::kMicrosecond);

// The import runs the layout's filter on every record of a delivery file.
void BM_RowFilterPerRecord(benchmark::State& state)
{
    vbs::ScriptEngine engine;
    engine.addCode(FullLayoutFilterTemplate());
    for (auto _ : state) {
        auto flds = std::make_shared<vbs::ScriptRecord>();
        for (const char* name : {"ValoreCarico", "ConfezionePeso", "Iva", "CodiceFornitore", "UnitaMisura", "CodiceIva",
                                 "CodiceAggiuntivo"})
            flds->addField(QString::fromLatin1(name), vbs::Variant(QStringLiteral("12")));
        benchmark::DoNotOptimize(engine.run(QStringLiteral("FilterRow"), {vbs::Variant(flds)}));
    }
}
BENCHMARK(BM_RowFilterPerRecord)->Unit(benchmark::kMicrosecond);

void BM_LoopStatements(benchmark::State& state)
{
    vbs::ScriptEngine engine;
    engine.addCode(QStringLiteral("Function Sum(n)\r\n  Dim i, s\r\n  For i = 1 To n\r\n    s = s + i Mod 7\r\n  "
                                  "Next\r\n  Sum = s\r\nEnd Function"));
    const vbs::VariantList args {vbs::Variant(10000)};
    for (auto _ : state) benchmark::DoNotOptimize(engine.run(QStringLiteral("Sum"), args));
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoopStatements)->Unit(benchmark::kMicrosecond);

}   // namespace

BENCHMARK_MAIN();
