#pragma once
// The barcode reader's own part: its filter script run on the codes a window takes from
// it. The reader's port belongs to the main window; its settings ("BarcodeReaderParam")
// are loaded with the configuration (DeviceSettings.h).
#include <QString>

class ScriptCodeFilter;

// The code as BarCodeFilter(sOriginalCode) returns it; an empty `testScript` runs the
// stored script (see ScriptCodeFilter::Apply).
[[nodiscard]] QString ApplyBarCodeFilter(const QString& code, const QString& testScript = QString());

// The code in a text that a barcode read ended: the text before its first CR or LF (the
// empty code when it holds neither), through the stored filter.
[[nodiscard]] QString GetFilteredBarcode(const QString& text);

// The filter in use, compiled on first use.
ScriptCodeFilter& BarCodeFilterInUse();
