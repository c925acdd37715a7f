// Feeds arbitrary text to the script engine as a script, then runs every procedure it
// defines with a record, a text and a number. Only ScriptError may come out; anything
// else (a crash, another exception, a sanitizer report, a hang past the limits) is a fault.
#include "vbscript/ScriptEngine.h"
#include "vbscript/ScriptRecord.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    vbs::ScriptLimits limits;
    limits.maxStatements = 5000;
    limits.maxMilliseconds = 200;
    // The default call depth: deep recursion moves to the engine's own stack, which the
    // sanitizers must see too.
    limits.maxStringLength = 1 << 16;
    limits.maxArrayElements = 1 << 14;

    vbs::ScriptEngine engine;
    engine.setLimits(limits);
    try {
        engine.addCode(text);
    } catch (const vbs::ScriptError&) {
        return 0;
    }
    for (const QString& name : engine.procedureNames()) {
        auto record = std::make_shared<vbs::ScriptRecord>();
        record->addField(QStringLiteral("Codice"), vbs::Variant(QStringLiteral("8001234567890")));
        record->addField(QStringLiteral("ValoreCarico"), vbs::Variant(1250.0));
        record->addField(QStringLiteral("Note"), vbs::Variant::null());
        const vbs::Variant args[] = {vbs::Variant(record), vbs::Variant(QStringLiteral("12,5")), vbs::Variant(3)};
        for (size_t n = 0; n <= 3; ++n) {
            try {
                vbs::Variant r = engine.run(name, vbs::VariantList(args, args + n));
                try {
                    (void)r.toString();
                } catch (const vbs::ScriptError&) { }
            } catch (const vbs::ScriptError&) { }
        }
    }
    return 0;
}
