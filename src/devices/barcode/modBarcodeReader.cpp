#include "modBarcodeReader.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/codefilter/ScriptCodeFilter.h"
#include "core/serial/SerialLines.h"

ScriptCodeFilter& BarCodeFilterInUse()
{
    static ScriptCodeFilter filter({QStringLiteral("BarCodeFilter"),
                                    QStringLiteral("Errore in esecuzione del filtro codici a barre: "),
                                    [] { return settings().BarcodeReaderParam.VBFilterScript; }});
    return filter;
}

QString ApplyBarCodeFilter(const QString& code, const QString& testScript)
{
    return BarCodeFilterInUse().Apply(code, testScript);
}

QString GetFilteredBarcode(const QString& text) { return ApplyBarCodeFilter(GetFirstLine(text)); }
