#include "FiscalPrinterFactory.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"

namespace {
std::unique_ptr<itfFiscalPrinter> g_printer;
// Why there is no driver, for the operator.
QString g_noDriverReason;
// The error of the last register that could not start for want of its maker's software:
// every later use of the register is told the same.
std::optional<AppError> g_notAvailable;

const QString kNotSwitchedOn = QStringLiteral("Il registratore di cassa non è attivato");

[[noreturn]] void raiseNoDriver(const QString& source, const QString& message)
{
    const int32_t code = itfFiscalPrinter::kNoDriverCode;
    throw AppError::object(code, source, DriverErrorText(code, message));
}
}

std::optional<RchLineCodes> RchLineCodesOf(const QString& comPortParam)
{
    int speed = 0;
    const QString four = comPortParam.left(4);
    if (four == u"1200")
        speed = 1;
    else if (four == u"2400")
        speed = 2;
    else if (four == u"4800")
        speed = 4;
    else if (four == u"9600")
        speed = 8;
    else if (comPortParam.left(5) == u"19200")
        speed = 16;
    else
        return std::nullopt;
    QString packed = comPortParam;
    packed.remove(u' ');
    return RchLineCodes {speed, packed.contains(QStringLiteral(",7")) ? 2 : 3};
}

QString RegisterTypeDescription(int32_t type)
{
    const RegisterTypeInfo* t = FindRegisterType(type);
    return t && t->description ? QString::fromUtf8(t->description) : QString();
}

FiscalPrinterStart InitFiscalPrinter(bool release)
{
    g_printer.reset();
    g_noDriverReason = kNotSwitchedOn;
    g_notAvailable.reset();
    if (release) return {true, QString()};

    const FiscalPrinterSettings& s = settings().FiscalPrinterParam;
    if (s.Type < 0 || s.Type > RegisterType::NoLocalDriver) return {};
    if (s.Type == RegisterType::NoLocalDriver) {
        g_noDriverReason = QStringLiteral("Il registratore di cassa impostato non ha un driver su questa postazione: "
                                          "lo scontrino non può essere emesso da qui");
        return {true, QString()};
    }
    const RegisterTypeInfo* t = FindRegisterType(s.Type);
    if (!t || !t->create) return {};

    QVariantList params;
    switch (t->parameters) {
    case RegisterParameters::None: return {};
    case RegisterParameters::PortAndSettings: params = {s.COMPortNumber, s.COMPortParam}; break;
    case RegisterParameters::PortOnly: params = {s.COMPortNumber}; break;
    case RegisterParameters::Rch:
    case RegisterParameters::RchG2000: {
        const auto codes = RchLineCodesOf(s.COMPortParam);
        if (!codes) return {false, QStringLiteral("Velocita' imposta non valida (1200,2400,4800,9600 o 19200)")};
        params = {s.COMPortNumber, codes->speedCode, codes->dataBitCode};
        if (t->parameters == RegisterParameters::RchG2000) params.append(1);
        break;
    }
    }

    try {
        std::unique_ptr<itfFiscalPrinter> driver = t->create();
        driver->SetParameters(params);
        g_printer = std::move(driver);
    } catch (const AppError& e) {
        if (e.number == AppError::object(itfFiscalPrinter::kNoDriverCode, QString(), QString()).number)
            g_notAvailable = e;
        throw;
    }
    return {true, QString()};
}

itfFiscalPrinter& FiscalPrinter()
{
    if (!g_printer && g_notAvailable) throw *g_notAvailable;
    if (!g_printer)
        raiseNoDriver(QStringLiteral("Registratore di cassa"),
                      g_noDriverReason.isEmpty() ? kNotSwitchedOn : g_noDriverReason);
    return *g_printer;
}

bool FiscalPrinterActive() { return g_printer != nullptr; }
