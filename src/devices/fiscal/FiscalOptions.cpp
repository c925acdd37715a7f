#include "FiscalOptions.h"
#include "FiscalPrinterFactory.h"

#include <algorithm>

namespace {
const char* const kTestDescription = "ARTICOLO PROVA";
const char* const kTestMessage = "Pellandora";
constexpr int16_t kTestDepartment = 1;
}

const QList<RegisterChoice>& RegisterChoices()
{
    static const QList<RegisterChoice> choices = [] {
        QList<RegisterChoice> list;
        for (const RegisterTypeInfo& t : RegisterTypes()) list.append({t.type, QString::fromUtf8(t.caption)});
        return list;
    }();
    return choices;
}

RegisterControls RegisterControlsFor(std::optional<int32_t> type)
{
    const RegisterTypeInfo* info = type ? FindRegisterType(*type) : nullptr;
    return info ? info->controls : RegisterControls {};
}

QString RegisterInfoText(std::optional<int32_t> type)
{
    if (!type) return QString();
    const RegisterTypeInfo* info = FindRegisterType(*type);
    const QString hint = info && info->hint
        ? QString::fromUtf8(info->hint)
        : QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa.\r\r"
                         "Consultare il manuale d'uso oppure contattare il supporto tecnico.");
    return QStringLiteral("INFORMAZIONI:\r\rSe viene attivata la funzione di emissione scontrini e il registratore di "
                          "cassa non produce la stampa assicurarsi che ")
        + hint;
}

FiscalOptionsValues CurrentFiscalOptions()
{
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

bool SaveFiscalOptions(const FiscalOptionsValues& v)
{
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

Currency SmallestAmount(int decimals)
{
    int64_t units = Currency::kScale;
    for (int i = 0; i < std::clamp(decimals, 0, 4); ++i) units /= 10;
    return Currency::fromUnits(units);
}

FiscalPrinterStart SendTestReceipt(int16_t decimals)
{
    const FiscalPrinterStart started = InitFiscalPrinter(false);
    if (!started) return started;
    // A failure leaves the register as the failed call left it: no void, and the driver
    // stays until the main window next switches the register to its saved state.
    itfFiscalPrinter& printer = FiscalPrinter();
    printer.NewSession(decimals);
    printer.SendData(SmallestAmount(decimals), 1, QString::fromLatin1(kTestDescription), kTestDepartment);
    printer.SendMessage(QString::fromLatin1(kTestMessage));
    printer.EndSession();
    (void)InitFiscalPrinter(true);
    return started;
}

QString TestReceiptErrorContext(const AppError& error)
{
    return QStringLiteral("Errore in stampa scontrino: \r\r") + error.description;
}
