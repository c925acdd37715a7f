#pragma once
// The program's settings as one object: a member per key of the settings store, named after
// the key, grouped as the store's sections are. LoadConfiguration fills the object settings()
// reaches and SaveConfiguration writes it back; the rules read it there. A test puts an object
// of its own in place for its scope with ScopedSettings, so what it sets ends with it.
//
// The defaults are those of an empty store. The program-wide state beside it (backup archive
// mode, open mode, message title: Configuration.h) is no setting and stays out of it.
#include <QDate>
#include <QString>
#include <cstdint>

// Every setting of the settings store that LoadConfiguration reads, declared once:
//   X(Type, Member, Section, Key, Default, Saved)
// Type is one of settingtype's names below; Default is the value of an empty store (the few
// computed when loaded, such as the data folder or a default script, start empty here);
// Saved: SaveConfiguration writes it back. The members of the structs below and the table
// LoadConfiguration, SaveConfiguration and the exchange file work from both come from these
// lists; a setting is added by one line in one of them.
namespace settingtype {
using Text = QString;
using Boolean = bool;
using Integer = int;   // -32768 .. 32767
using Natural = int;   // 0 .. 32767
using Count = QString;   // a count 0 .. 32767 kept as the text it was written as
using Long = int32_t;
using Single = float;
using Double = double;
using Date = QDate;
}

// Sections "LabelPrinterParam" and "TicketPrinterParam" (the two share some key names).
#define MV_LABEL_PRINTER_SETTINGS(X)                                                                                   \
    X(Text, PrinterName, "LabelPrinterParam", "PrinterName", QString(), true)                                          \
    X(Natural, ModuleColumns, "LabelPrinterParam", "ModuleColumns", 2, true)                                           \
    X(Text, VBScript, "LabelPrinterParam", "VBScript", QString(), true) /* empty: the default one */                   \
    X(Single, LabelHeight, "LabelPrinterParam", "LabelHeight", 32.5f, true)                                            \
    X(Single, LabelWidth, "LabelPrinterParam", "LabelWidth", 88.0f, true)                                              \
    X(Single, LabelTop, "LabelPrinterParam", "LabelTop", 0.0f, true)                                                   \
    X(Single, LabelLeft, "LabelPrinterParam", "LabelLeft", 0.0f, true)

#define MV_TICKET_PRINTER_SETTINGS(X)                                                                                  \
    X(Text, PrinterName, "TicketPrinterParam", "PrinterName", QString(), true)                                         \
    X(Natural, ModuleColumns, "TicketPrinterParam", "ModuleColumns", 1, true)                                          \
    X(Text, VBScript, "TicketPrinterParam", "VBScript", QString(), true) /* empty: the default one */                  \
    X(Single, TicketHeight, "TicketPrinterParam", "TicketHeight", 0.0f, true)                                          \
    X(Single, TicketWidth, "TicketPrinterParam", "TicketWidth", 0.0f, true)                                            \
    X(Single, TicketTop, "TicketPrinterParam", "TicketTop", 0.0f, true)                                                \
    X(Single, TicketLeft, "TicketPrinterParam", "TicketLeft", 0.0f, true)                                              \
    X(Single, TicketRowsDim, "TicketPrinterParam", "TicketRowsDim", 6.0f, true)                                        \
    X(Single, TicketRowsTop, "TicketPrinterParam", "TicketRowsTop", 85.0f, true)                                       \
    X(Single, TicketRowsBottom, "TicketPrinterParam", "TicketRowsBottom", 165.0f, true)                                \
    X(Text, TicketBackImageFile, "TicketPrinterParam", "TicketBackImageFile", QString(), true)                         \
    X(Single, TicketBottomImageBorder, "TicketPrinterParam", "TicketBottomImageBorder", 6.0f, true)

// The members of Settings itself: sections "Configuration", "BalanceParam" (the scale) and "Info".
#define MV_MAIN_SETTINGS(X)                                                                                            \
    X(Text, RootDir, "Configuration", "RootDir", QString(), true) /* database folder; empty: the data folder */        \
    X(Long, AccessMode, "Configuration", "AccessMode", 0, true) /* handed to the database engine */                    \
    X(Text, MaintenanceDir, "Configuration", "MaintenanceDir", QString(), false) /* written by the copy itself */      \
    X(Boolean, MaintenanceMode, "Configuration", "MaintenanceMode", false, true) /* the maintenance file opens */      \
    X(Boolean, UseTransaction, "Configuration", "UseTransaction", false, true)                                         \
    X(Boolean, BarcodeReaderEnabled, "Configuration", "BarcodeReaderEnabled", false, true)                             \
    X(Boolean, FiscalPrinterEnabled, "Configuration", "FiscalPrinterEnabled", false, true)                             \
    X(Boolean, BalanceEnabled, "Configuration", "BalanceEnabled", false, true)                                         \
    X(Boolean, UseDateSelection, "Configuration", "UseDateSelection", true, false) /* changed in memory only */        \
    X(Boolean, Use_PrezzoAcquistoListino, "Configuration", "Use_PrezzoAcquistoListino", false, true)                   \
    X(Boolean, Use_PagamentoForniture, "Configuration", "Use_PagamentoForniture", false, true)                         \
    X(Text, Default_UnitaMisura, "Configuration", "Default_UnitaMisura", QStringLiteral("QntPzz"), true)               \
    X(Text, Default_CodiceIVA, "Configuration", "Default_CodiceIVA", QStringLiteral("IVA20"), true)                    \
    X(Integer, ProgrLen_ClientiForn, "Configuration", "ProgrLen_ClientiForn", 0, true) /* 0: typed by hand */          \
    X(Boolean, Use_Ricevute, "Configuration", "Use_Ricevute", false, true) /* missing: Use_Fattura's value */          \
    X(Boolean, Use_Fattura, "Configuration", "Use_Fattura", false, false) /* older key, only read */                   \
    X(Integer, BalanceCOMPortNumber, "BalanceParam", "COMPortNumber", 1, true)                                         \
    X(Text, BalanceCOMPortParam, "BalanceParam", "COMPortParam", QStringLiteral("19200,n,8,1"), true)                  \
    X(Count, NCopyRicevute, "Configuration", "NCopyRicevute", QStringLiteral("1"), true)                               \
    X(Double, ImportoMaxArticolo, "Configuration", "ImportoMaxArticolo", 0, true)                                      \
    X(Double, ImportoPunto, "Configuration", "ImportoPunto", 1, true)                                                  \
    X(Double, ImportoPuntoPremio, "Configuration", "ImportoPuntoPremio", 0.05, true)                                   \
    X(Double, PuntiMinPremio, "Configuration", "PuntiMinPremio", 1000, true)                                           \
    X(Boolean, Use_PuntiPremio, "Configuration", "Use_PuntiPremio", false, true)                                       \
    X(Boolean, Use_Badge, "Configuration", "Use_Badge", false, true)                                                   \
    X(Text, BackupDir, "Configuration", "BackupDir", QString(), true)                                                  \
    X(Boolean, BackupFuncSaveEnabled, "Configuration", "BackupFuncSaveEnabled", true, true)                            \
    X(Boolean, BackupFuncRestoreEnabled, "Configuration", "BackupFuncRestoreEnabled", false, true)                     \
    X(Long, BkpSaveNotify, "Configuration", "BkpSaveNotify", 0, true) /* 0 never, 1 daily, 2 weekly, 3 monthly */      \
    X(Boolean, BackupFuncEnableDelete, "Configuration", "BackupFuncEnableDelete", true, true)                          \
    X(Boolean, AutoSaveOnExit, "Configuration", "AutoSaveOnExit", false, true)                                         \
    X(Boolean, CurrencyConversion, "Configuration", "CurrencyConversion", false, true) /* shown converted */           \
    X(Date, DBStarted, "Info", "DBStarted", QDate(), true) /* missing: today */                                        \
    X(Double, ValoreArrotondamento, "Configuration", "ValoreArrotondamento", 0.5, true)                                \
    X(Boolean, ArrotondaInEccesso, "Configuration", "ArrotondaInEccesso", true, true)                                  \
    X(Boolean, UseRoundRanges, "Configuration", "UseRoundRanges", false, true)

#define MV_SETTING_MEMBER(Type, Member, Section, Key, Default, Saved) settingtype::Type Member = Default;

struct LabelPrinterSettings {
    MV_LABEL_PRINTER_SETTINGS(MV_SETTING_MEMBER)
};
struct TicketPrinterSettings {
    MV_TICKET_PRINTER_SETTINGS(MV_SETTING_MEMBER)
};

// Section "BarcodeReaderParam"; members named after the keys.
struct BarcodeReaderSettings {
    int COMPortNumber = 0;   // 0: no reader
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;   // BarCodeFilter(sOriginalCode); empty lets codes through
};

// Section "FiscalPrinterParam" but for DefaultDepartment, which the table rules read on its own.
struct FiscalPrinterSettings {
    int32_t Type = 0;   // register type; -1 none chosen, 99 no local driver
    int COMPortNumber = 1;
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    int32_t CommandWait = 700;   // ms
    int32_t Timout = 5000;   // ms (key so spelled)
    int DescriptionLen = 20;
    bool CurrencyConversion = false;   // amounts sent in the conversion currency
    bool SendDescription = true;
    bool SendDisplay = true;
};

// Section "MagneticDevParam".
struct MagneticDevSettings {
    int32_t Type = 0;   // 0, 1, 2 or 9999 (keyboard emulation)
    int COMPortNumber = 1;   // 0 or less: no port
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;   // CodeFilter(sOriginalCode)
};

struct Settings {
    MV_MAIN_SETTINGS(MV_SETTING_MEMBER)

    // ---- Sections "LabelPrinterParam" and "TicketPrinterParam" --------------------------------
    LabelPrinterSettings LabelPrinterParam;
    TicketPrinterSettings TicketPrinterParam;

    // ---- The device sections, loaded with the rest, each written by its device's dialog --------
    BarcodeReaderSettings BarcodeReaderParam;
    FiscalPrinterSettings FiscalPrinterParam;
    // Register department proposed for new articles and VAT codes; key "DefaultDepartment" of
    // section "FiscalPrinterParam".
    int32_t DefaultDepartment = 4;
    MagneticDevSettings MagneticDevParam;
};

// The settings in force: the program's own, or those of the innermost ScopedSettings alive.
Settings& settings();

// For as long as it lives, settings() reaches this object instead of the one in force before,
// which is back in force at its end. Overrides end in the reverse order of their start; they
// are put in place before the work that reads them starts, and end after it.
class ScopedSettings {
public:
    // Starts as a copy of the settings in force.
    ScopedSettings();
    explicit ScopedSettings(Settings start);
    ~ScopedSettings();
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

    Settings* operator->() { return &m_own; }
    Settings& operator*() { return m_own; }

private:
    Settings m_own;
    Settings* m_previous;
};
