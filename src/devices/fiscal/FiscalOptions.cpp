#include "FiscalOptions.h"
#include "FiscalPrinterFactory.h"

#include <algorithm>

namespace {
const char* const kTestDescription = "ARTICOLO PROVA";
const char* const kTestMessage = "Pellandora";
constexpr int16_t kTestDepartment = 1;
}

const QList<RegisterChoice>& RegisterChoices() {
    static const QList<RegisterChoice> choices = {
        {RegisterType::None, QStringLiteral("[NESSUNO]")},
        {RegisterType::CRF4600, QStringLiteral("OLIVETTI CRF4600")},
        {RegisterType::RCHG600, QStringLiteral("RCH G600")},
        {RegisterType::RCHG1200, QStringLiteral("RCH G1200")},
        {RegisterType::Ellisse, QStringLiteral("OMEGA ELLISSE (stmpante fiscale)")},
        {RegisterType::EllisseExt, QStringLiteral("OMEGA ELLISSE (on-line esteso)")},
        {RegisterType::SIDSmart, QStringLiteral("SID Smart")},
        {RegisterType::RCHNucleo, QStringLiteral("RCH Nucleo")},
        {RegisterType::OmegaSAX, QStringLiteral("OMEGA SAX")},
        {RegisterType::DSProgress, QStringLiteral("Distribution System PROGRESS")},
        {RegisterType::RCHG2000, QStringLiteral("RCH G2000")},
        {RegisterType::Sarema, QStringLiteral("Sarema Xon/Xoff")},
        {RegisterType::SWEDA, QStringLiteral("SWEDA (mwcr)")},
        {RegisterType::OlivettiELA, QStringLiteral("OLIVETTI (protocollo ELA)")},
        {RegisterType::NoLocalDriver, QStringLiteral("[STAMPA ATTRAVERSO ALTRO PC IN RETE]")},
    };
    return choices;
}

RegisterControls RegisterControlsFor(std::optional<int32_t> type) {
    if (!type || *type == RegisterType::None || *type == RegisterType::NoLocalDriver)
        return {};
    RegisterControls c;
    c.receiptOptions = true;
    switch (*type) {
    case RegisterType::SIDSmart:
        // The register program owns the line.
        c.fixedPort = 1;
        break;
    case RegisterType::RCHNucleo:
        c.port = true;
        break;
    case RegisterType::CRF4600:
        c.port = c.portParameters = c.timeout = c.commandWait = true;
        break;
    default:
        c.port = c.portParameters = c.timeout = true;
        break;
    }
    return c;
}

QString RegisterInfoText(std::optional<int32_t> type) {
    if (!type)
        return QString();
    QString hint;
    switch (*type) {
    case RegisterType::CRF4600:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini <904> nel registratore di cassa");
        break;
    case RegisterType::Ellisse:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini <83> nel registratore di cassa "
                              "tramite la chiave SERVICE, in modalità Stampante Fiscale (ACK/NACK)");
        break;
    case RegisterType::EllisseExt:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini <83> nel registratore di cassa "
                              "tramite la chiave SERVICE, in modalità ON-Line Esteso");
        break;
    case RegisterType::RCHG600:
    case RegisterType::RCHG1200:
    case RegisterType::RCHG2000:
        hint = QStringLiteral("sia stato installato il Driver RCH (RCHCom) ");
        break;
    case RegisterType::RCHNucleo:
        hint = QStringLiteral("sia stato installato il Driver RCH (RCHNucleo contenuto anche nel pacchetto DemoNucleo) ");
        break;
    case RegisterType::SIDSmart:
        hint = QStringLiteral("sia stato installato il Driver SMARTComm, inoltre devono "
                              "essere state attivate le opzioni di comunicazione:\r"
                              "Da programmazione <P> (Shift + P) impostare 40[ST]016[TOT] e 40[ST]020[TOT]");
        break;
    case RegisterType::OmegaSAX:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa "
                              "tramite la chiave SERVICE");
        break;
    case RegisterType::DSProgress:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa "
                              "tramite le seguenti linee di opzioni:\r109[subtot]   00001111[subtot]\r"
                              "114[subtot]   00000000[subtot]");
        break;
    case RegisterType::Sarema:
        hint = QStringLiteral("sia abilitata l'apposita opzione di connessione Xon/Xoff nel registratore di cassa "
                              "tramite la chiave SERVICE");
        break;
    case RegisterType::SWEDA:
        hint = QStringLiteral("sia abilitata l'apposita sequenza (791,792,793,794,797) nel registratore di cassa");
        break;
    case RegisterType::OlivettiELA:
        hint = QStringLiteral("sia selezionata l'apposita opzione di collegamento remoto nel registratore di cassa "
                              "tramite i tasti di cambio Assetto");
        break;
    default:
        hint = QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa.\r\r"
                              "Consultare il manuale d'uso oppure contattare il supporto tecnico.");
        break;
    }
    return QStringLiteral("INFORMAZIONI:\r\rSe viene attivata la funzione di emissione scontrini e il registratore di "
                          "cassa non produce la stampa assicurarsi che ") +
           hint;
}

FiscalOptionsValues CurrentFiscalOptions() {
    const FiscalPrinterSettings& s = settings().FiscalPrinterParam;
    FiscalOptionsValues v;
    const auto& choices = RegisterChoices();
    if (std::any_of(choices.begin(), choices.end(), [&](const RegisterChoice& c) { return c.type == s.Type; }))
        v.type = s.Type;
    v.port = s.COMPortNumber;
    v.portParameters = s.COMPortParam;
    v.commandWait = s.CommandWait;
    v.timeout = s.Timout;
    v.defaultDepartment = settings().DefaultDepartment;
    v.descriptionLength = s.DescriptionLen;
    v.currencyConversion = s.CurrencyConversion;
    v.sendDescription = s.SendDescription;
    v.sendDisplay = s.SendDisplay;
    return v;
}

bool SaveFiscalOptions(const FiscalOptionsValues& v) {
    FiscalPrinterSettings& s = settings().FiscalPrinterParam;
    s.Type = v.type.value_or(RegisterType::None);
    s.COMPortNumber = v.port;
    s.COMPortParam = v.portParameters;
    s.CommandWait = v.commandWait;
    s.Timout = v.timeout;
    settings().DefaultDepartment = v.defaultDepartment;
    s.DescriptionLen = v.descriptionLength;
    s.CurrencyConversion = v.currencyConversion;
    s.SendDescription = v.sendDescription;
    s.SendDisplay = v.sendDisplay;
    SaveFiscalPrinterSettings();
    return true;
}

Currency SmallestAmount(int decimals) {
    int64_t units = Currency::kScale;
    for (int i = 0; i < std::clamp(decimals, 0, 4); ++i)
        units /= 10;
    return Currency::fromUnits(units);
}

bool SendTestReceipt(int16_t decimals) {
    if (!InitFiscalPrinter(false))
        return false;
    // A failure leaves the register as the failed call left it: no void, and the driver
    // stays until the main window next switches the register to its saved state.
    itfFiscalPrinter& printer = FiscalPrinter();
    printer.NewSession(decimals);
    printer.SendData(SmallestAmount(decimals), 1, QString::fromLatin1(kTestDescription), kTestDepartment);
    printer.SendMessage(QString::fromLatin1(kTestMessage));
    printer.EndSession();
    InitFiscalPrinter(true);
    return true;
}

QString TestReceiptErrorContext(const AppError& error) {
    return QStringLiteral("Errore in stampa scontrino: \r\r") + error.description;
}
