#pragma once
// Settings of the barcode reader, the fiscal register and the card reader: each device
// keeps its own section of the settings store, loaded at the end of LoadConfiguration and
// written only by the device's own options dialog. The drivers live with the devices.
#include "Configuration.h"
#include <QString>
#include <cstdint>

// Section "BarcodeReaderParam"; members named after the keys.
struct BarcodeReaderSettings {
    int COMPortNumber = 0;                 // 0: no reader
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;                // BarCodeFilter(sOriginalCode); empty lets codes through
};
extern BarcodeReaderSettings BarcodeReaderParam;

// Section "FiscalPrinterParam" (DefaultDepartment is a plain global: the table rules read it).
struct FiscalPrinterSettings {
    int32_t Type = 0;                      // register type; -1 none chosen, 99 no local driver
    int COMPortNumber = 1;
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    int32_t CommandWait = 700;             // ms
    int32_t Timout = 5000;                 // ms (key so spelled)
    int DescriptionLen = 20;
    bool CurrencyConversion = false;       // amounts sent in the conversion currency
    bool SendDescription = true;
    bool SendDisplay = true;
};
extern FiscalPrinterSettings FiscalPrinterParam;
// Register department proposed for new articles and VAT codes; key "DefaultDepartment".
extern int32_t DefaultDepartment;

// Section "MagneticDevParam".
struct MagneticDevSettings {
    int32_t Type = 0;                      // 0, 1, 2 or 9999 (keyboard emulation)
    int COMPortNumber = 1;                 // 0 or less: no port
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;                // CodeFilter(sOriginalCode)
};
extern MagneticDevSettings MagneticDevParam;

void LoadBarcodeReaderParam();
void SaveBarcodeReaderParam();
void LoadFiscalPrinterSettings();
void SaveFiscalPrinterSettings();
void LoadMagneticDevSettings();
void SaveMagneticDevSettings();

// Each save of a filter script's section counts one up, so whoever holds a compiled filter
// knows to compile the saved script anew.
uint64_t BarcodeReaderSettingsRevision();
uint64_t MagneticDevSettingsRevision();

namespace config {
// The three device sections, in load order, as SettingLine rows.
QList<SettingLine> CurrentDeviceSettings();
}
