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

// Sections "LabelPrinterParam" and "TicketPrinterParam"; members named after their keys (the
// two sections share some key names).
struct LabelPrinterSettings {
    QString PrinterName;
    int ModuleColumns = 2;
    QString VBScript;
    float LabelHeight = 32.5f;
    float LabelWidth = 88.0f;
    float LabelTop = 0.0f;
    float LabelLeft = 0.0f;
};
struct TicketPrinterSettings {
    QString PrinterName;
    int ModuleColumns = 1;
    QString VBScript;
    float TicketHeight = 0.0f;
    float TicketWidth = 0.0f;
    float TicketTop = 0.0f;
    float TicketLeft = 0.0f;
    float TicketRowsDim = 6.0f;
    float TicketRowsTop = 85.0f;
    float TicketRowsBottom = 165.0f;
    QString TicketBackImageFile;
    float TicketBottomImageBorder = 6.0f;
};

// Section "BarcodeReaderParam"; members named after the keys.
struct BarcodeReaderSettings {
    int COMPortNumber = 0;                 // 0: no reader
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;                // BarCodeFilter(sOriginalCode); empty lets codes through
};

// Section "FiscalPrinterParam" but for DefaultDepartment, which the table rules read on its own.
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

// Section "MagneticDevParam".
struct MagneticDevSettings {
    int32_t Type = 0;                      // 0, 1, 2 or 9999 (keyboard emulation)
    int COMPortNumber = 1;                 // 0 or less: no port
    QString COMPortParam = QStringLiteral("9600,n,8,1");
    QString VBFilterScript;                // CodeFilter(sOriginalCode)
};

struct Settings {
    // ---- Section "Configuration" ----------------------------------------------------------
    QString RootDir;                       // folder of the database files
    int32_t AccessMode = 0;                // access mode handed to the database engine
    QString MaintenanceDir;                // folder of the maintenance copies (never saved here)
    bool MaintenanceMode = false;          // open the maintenance file instead of the working one
    bool UseTransaction = false;           // handed to the database engine
    bool BarcodeReaderEnabled = false;
    bool FiscalPrinterEnabled = false;
    bool BalanceEnabled = false;
    bool UseDateSelection = true;          // changed in memory only, never saved
    bool Use_PrezzoAcquistoListino = false;
    bool Use_PagamentoForniture = false;
    QString Default_UnitaMisura = QStringLiteral("QntPzz");
    QString Default_CodiceIVA = QStringLiteral("IVA20");
    int ProgrLen_ClientiForn = 0;          // Integer; 0 = codes typed by hand
    bool Use_Ricevute = false;
    bool Use_Fattura = false;              // older key, read only when Use_Ricevute is missing
    QString NCopyRicevute = QStringLiteral("1");   // text, turned into a number where used
    double ImportoMaxArticolo = 0;
    double ImportoPunto = 1;
    double ImportoPuntoPremio = 0.05;
    double PuntiMinPremio = 1000;
    bool Use_PuntiPremio = false;
    bool Use_Badge = false;
    QString BackupDir;
    bool BackupFuncSaveEnabled = true;
    bool BackupFuncRestoreEnabled = false;
    int32_t BkpSaveNotify = 0;             // 0 never, 1 daily, 2 weekly, 3 monthly
    bool BackupFuncEnableDelete = true;
    bool AutoSaveOnExit = false;
    bool CurrencyConversion = false;       // amounts shown converted in the main window
    double ValoreArrotondamento = 0.5;
    bool ArrotondaInEccesso = true;
    bool UseRoundRanges = false;

    // ---- Section "BalanceParam" (the scale) -------------------------------------------------
    int BalanceCOMPortNumber = 1;          // key "COMPortNumber", Integer
    QString BalanceCOMPortParam = QStringLiteral("19200,n,8,1");   // key "COMPortParam"

    // ---- Section "Info" ----------------------------------------------------------------------
    QDate DBStarted;

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
