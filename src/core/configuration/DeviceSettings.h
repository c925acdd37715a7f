#pragma once
// Settings of the barcode reader, the fiscal register and the card reader: each device
// keeps its own section of the settings store, loaded at the end of LoadConfiguration and
// written only by the device's own options dialog. The drivers live with the devices.
#include "Configuration.h"
#include <QString>
#include <cstdint>

// The sections' values are members of the settings object (Settings.h): BarcodeReaderParam,
// FiscalPrinterParam with DefaultDepartment, MagneticDevParam.

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
