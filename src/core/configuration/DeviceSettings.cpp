#include "DeviceSettings.h"
#include "DefaultScripts.h"
#include "base/SettingsStore.h"

namespace {
const QString kBarcode = QStringLiteral("BarcodeReaderParam");
const QString kFiscal = QStringLiteral("FiscalPrinterParam");
const QString kMagnetic = QStringLiteral("MagneticDevParam");

uint64_t g_barcodeRevision = 0;
uint64_t g_magneticRevision = 0;

QString text(const QString& section, const char* key, const QString& def)
{
    return settingsStore().get(section, QString::fromLatin1(key), def);
}
// Integer (16-bit) and Long settings: the numeric value of the text; a value that does not
// fit keeps the default.
int integer(const QString& section, const char* key, int def)
{
    const QString k = QString::fromLatin1(key);
    if (!settingsStore().contains(section, k)) return def;
    return static_cast<int>(config::ReadWhole(settingsStore().get(section, k), -32768, 32767, def));
}
int32_t whole(const QString& section, const char* key, int32_t def)
{
    const QString k = QString::fromLatin1(key);
    if (!settingsStore().contains(section, k)) return def;
    return static_cast<int32_t>(config::ReadWhole(settingsStore().get(section, k), INT32_MIN, INT32_MAX, def));
}
bool boolean(const QString& section, const char* key, bool def)
{
    return StrToBool(text(section, key, config::WriteBool(def)));
}
void put(const QString& section, const char* key, const QString& value)
{
    settingsStore().set(section, QString::fromLatin1(key), value);
}
}

void LoadBarcodeReaderParam()
{
    settings().BarcodeReaderParam.COMPortNumber = integer(kBarcode, "COMPortNumber", 0);
    settings().BarcodeReaderParam.COMPortParam = text(kBarcode, "COMPortParam", QStringLiteral("9600,n,8,1"));
    settings().BarcodeReaderParam.VBFilterScript = text(kBarcode, "VBFilterScript", DefaultBarCodeFilterScript());
}

void SaveBarcodeReaderParam()
{
    put(kBarcode, "COMPortNumber", QString::number(settings().BarcodeReaderParam.COMPortNumber));
    put(kBarcode, "COMPortParam", settings().BarcodeReaderParam.COMPortParam);
    put(kBarcode, "VBFilterScript", settings().BarcodeReaderParam.VBFilterScript);
    settingsStore().sync();
    ++g_barcodeRevision;
}

void LoadFiscalPrinterSettings()
{
    FiscalPrinterSettings& f = settings().FiscalPrinterParam;
    f.Type = whole(kFiscal, "Type", 0);
    f.COMPortNumber = integer(kFiscal, "COMPortNumber", 1);
    f.COMPortParam = text(kFiscal, "COMPortParam", QStringLiteral("9600,n,8,1"));
    f.CommandWait = whole(kFiscal, "CommandWait", 700);
    f.Timout = whole(kFiscal, "Timout", 5000);
    f.DescriptionLen = integer(kFiscal, "DescriptionLen", 20);
    settings().DefaultDepartment = whole(kFiscal, "DefaultDepartment", 4);
    f.CurrencyConversion = boolean(kFiscal, "CurrencyConversion", false);
    f.SendDescription = boolean(kFiscal, "SendDescription", true);
    f.SendDisplay = boolean(kFiscal, "SendDisplay", true);
}

void SaveFiscalPrinterSettings()
{
    const FiscalPrinterSettings& f = settings().FiscalPrinterParam;
    put(kFiscal, "Type", QString::number(f.Type));
    put(kFiscal, "COMPortNumber", QString::number(f.COMPortNumber));
    put(kFiscal, "COMPortParam", f.COMPortParam);
    put(kFiscal, "CommandWait", QString::number(f.CommandWait));
    put(kFiscal, "Timout", QString::number(f.Timout));
    put(kFiscal, "DescriptionLen", QString::number(f.DescriptionLen));
    put(kFiscal, "DefaultDepartment", QString::number(settings().DefaultDepartment));
    put(kFiscal, "CurrencyConversion", config::WriteBool(f.CurrencyConversion));
    put(kFiscal, "SendDescription", config::WriteBool(f.SendDescription));
    put(kFiscal, "SendDisplay", config::WriteBool(f.SendDisplay));
    settingsStore().sync();
}

void LoadMagneticDevSettings()
{
    settings().MagneticDevParam.Type = whole(kMagnetic, "Type", 0);
    settings().MagneticDevParam.COMPortNumber = integer(kMagnetic, "COMPortNumber", 1);
    settings().MagneticDevParam.COMPortParam = text(kMagnetic, "COMPortParam", QStringLiteral("9600,n,8,1"));
    settings().MagneticDevParam.VBFilterScript = text(kMagnetic, "VBFilterScript", DefaultCodeFilterScript());
}

void SaveMagneticDevSettings()
{
    put(kMagnetic, "Type", QString::number(settings().MagneticDevParam.Type));
    put(kMagnetic, "COMPortNumber", QString::number(settings().MagneticDevParam.COMPortNumber));
    put(kMagnetic, "COMPortParam", settings().MagneticDevParam.COMPortParam);
    put(kMagnetic, "VBFilterScript", settings().MagneticDevParam.VBFilterScript);
    settingsStore().sync();
    ++g_magneticRevision;
}

uint64_t BarcodeReaderSettingsRevision() { return g_barcodeRevision; }
uint64_t MagneticDevSettingsRevision() { return g_magneticRevision; }

QList<config::SettingLine> config::CurrentDeviceSettings()
{
    const FiscalPrinterSettings& f = settings().FiscalPrinterParam;
    return {
        {kBarcode, QStringLiteral("COMPortNumber"), QString::number(settings().BarcodeReaderParam.COMPortNumber), true},
        {kBarcode, QStringLiteral("COMPortParam"), settings().BarcodeReaderParam.COMPortParam, true},
        {kBarcode, QStringLiteral("VBFilterScript"), settings().BarcodeReaderParam.VBFilterScript, true},
        {kFiscal, QStringLiteral("Type"), QString::number(f.Type), true},
        {kFiscal, QStringLiteral("COMPortNumber"), QString::number(f.COMPortNumber), true},
        {kFiscal, QStringLiteral("COMPortParam"), f.COMPortParam, true},
        {kFiscal, QStringLiteral("CommandWait"), QString::number(f.CommandWait), true},
        {kFiscal, QStringLiteral("Timout"), QString::number(f.Timout), true},
        {kFiscal, QStringLiteral("DescriptionLen"), QString::number(f.DescriptionLen), true},
        {kFiscal, QStringLiteral("DefaultDepartment"), QString::number(settings().DefaultDepartment), true},
        {kFiscal, QStringLiteral("CurrencyConversion"), WriteBool(f.CurrencyConversion), true},
        {kFiscal, QStringLiteral("SendDescription"), WriteBool(f.SendDescription), true},
        {kFiscal, QStringLiteral("SendDisplay"), WriteBool(f.SendDisplay), true},
        {kMagnetic, QStringLiteral("Type"), QString::number(settings().MagneticDevParam.Type), true},
        {kMagnetic, QStringLiteral("COMPortNumber"), QString::number(settings().MagneticDevParam.COMPortNumber), true},
        {kMagnetic, QStringLiteral("COMPortParam"), settings().MagneticDevParam.COMPortParam, true},
        {kMagnetic, QStringLiteral("VBFilterScript"), settings().MagneticDevParam.VBFilterScript, true},
    };
}
