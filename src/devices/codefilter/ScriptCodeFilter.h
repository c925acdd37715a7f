#pragma once
// A user-written script that recomposes or annuls a code read by a device (the barcode
// reader's BarCodeFilter, the card reader's CodeFilter). The stored script is compiled on
// first use and kept while it stays the stored script (saving or loading the settings
// with another script compiles the new one at the next code); a test run of another
// script compiles that script apart and never touches the one in use.
#include <QString>
#include "base/AppError.h"
#include <functional>
#include <memory>

namespace vbs {
class ScriptEngine;
}

class ScriptCodeFilter {
public:
    struct Source {
        QString functionName;   // "BarCodeFilter", "CodeFilter"
        QString errorTitle;   // first line of the error message
        std::function<QString()> storedScript;   // the settings' script
    };
    explicit ScriptCodeFilter(Source source);
    ~ScriptCodeFilter();

    // The code as the filter returns it. `testScript` empty runs the stored script; else
    // `testScript` is run once on its own. An empty stored script lets the code through.
    // A script that does not compile or fails is reported in a critical message box and
    // gives the empty code, so that nothing the script meant to drop slips through.
    [[nodiscard]] QString Apply(const QString& code, const QString& testScript = QString());

    // Whether the stored script is held compiled.
    bool HoldsCompiledFilter() const;

private:
    QString Run(vbs::ScriptEngine& engine, const QString& code) const;
    void report(const AppError& e) const;

    Source m_source;
    std::unique_ptr<vbs::ScriptEngine> m_compiled;
    QString m_compiledScript;
};
