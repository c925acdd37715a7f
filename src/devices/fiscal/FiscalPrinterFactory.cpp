#include "FiscalPrinterFactory.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "base/UiServices.h"
#include "clsCRF4600.h"
#include "clsDSProgress.h"
#include "clsEllisse.h"
#include "clsEllisseExt.h"
#include "clsOlivettiELA.h"
#include "clsOmegaSAX.h"
#include "clsRCHG1200.h"
#include "clsRCHG600.h"
#include "clsRCHNucleo.h"
#include "clsSID.h"
#include "clsSWEDA.h"
#include "clsSaremaXonXoff.h"

namespace {
std::unique_ptr<itfFiscalPrinter> g_printer;
// Why there is no driver, for the operator.
QString g_noDriverReason;
// The error of the last register that could not start for want of its maker's software:
// every later use of the register is told the same.
std::optional<AppError> g_notAvailable;

const QString kNotSwitchedOn = QStringLiteral("Il registratore di cassa non è attivato");

// What SetParameters receives: port and settings text; the RCH line codes (with the
// model for a G2000); the port alone.
enum class Parameters { PortAndSettings, Rch, RchG2000, PortOnly };

struct TypeInfo {
    int32_t type;
    const char* description;
    Parameters parameters;
    std::unique_ptr<itfFiscalPrinter> (*create)();
};

template <typename Driver>
std::unique_ptr<itfFiscalPrinter> make() {
    return std::make_unique<Driver>();
}

std::unique_ptr<itfFiscalPrinter> makeG2000() {
    return std::make_unique<clsRCHG1200>(clsRCHG1200::kG2000);
}

const TypeInfo kTypes[] = {
    {RegisterType::CRF4600, "Olivetti CRF 4600", Parameters::PortAndSettings, &make<clsCRF4600>},
    {RegisterType::RCHG600, "RCH G600", Parameters::Rch, &make<clsRCHG600>},
    {RegisterType::RCHG1200, "RCH G1200", Parameters::Rch, &make<clsRCHG1200>},
    {RegisterType::Ellisse, "Omega ELLISSE", Parameters::PortAndSettings, &make<clsEllisse>},
    {RegisterType::EllisseExt, "Omega ELLISSE", Parameters::PortAndSettings, &make<clsEllisseExt>},
    {RegisterType::SIDSmart, "SID Smart", Parameters::PortAndSettings, &make<clsSID>},
    {RegisterType::RCHNucleo, "RCH Nucleo", Parameters::PortOnly, &make<clsRCHNucleo>},
    {RegisterType::OmegaSAX, "Omega SAX", Parameters::PortAndSettings, &make<clsOmegaSAX>},
    {RegisterType::DSProgress, "DSProgress", Parameters::PortAndSettings, &make<clsDSProgress>},
    // The list offers the G2000 apart: its installations get the G2000 model.
    {RegisterType::RCHG2000, "RCH G2000", Parameters::RchG2000, &makeG2000},
    {RegisterType::Sarema, "Sarema ECR (Xon/Xoff)", Parameters::PortAndSettings, &make<clsSaremaXonXoff>},
    {RegisterType::SWEDA, "SWEDA ECR (mwcr)", Parameters::PortAndSettings, &make<clsSWEDA>},
    {RegisterType::OlivettiELA, "OLIVETTI (protocollo ELA)", Parameters::PortAndSettings, &make<clsOlivettiELA>},
};

const TypeInfo* typeInfo(int32_t type) {
    for (const TypeInfo& t : kTypes) {
        if (t.type == type)
            return &t;
    }
    return nullptr;
}

[[noreturn]] void raiseNoDriver(const QString& source, const QString& message) {
    const int32_t code = itfFiscalPrinter::kNoDriverCode;
    throw AppError::object(code, source, DriverErrorText(code, message));
}
}

std::optional<RchLineCodes> RchLineCodesOf(const QString& comPortParam) {
    int speed = 0;
    const QString four = comPortParam.left(4);
    if (four == u"1200") speed = 1;
    else if (four == u"2400") speed = 2;
    else if (four == u"4800") speed = 4;
    else if (four == u"9600") speed = 8;
    else if (comPortParam.left(5) == u"19200") speed = 16;
    else return std::nullopt;
    QString packed = comPortParam;
    packed.remove(u' ');
    return RchLineCodes{speed, packed.contains(QStringLiteral(",7")) ? 2 : 3};
}

QString RegisterTypeDescription(int32_t type) {
    const TypeInfo* t = typeInfo(type);
    return t ? QString::fromUtf8(t->description) : QString();
}

bool InitFiscalPrinter(bool release) {
    g_printer.reset();
    g_noDriverReason = kNotSwitchedOn;
    g_notAvailable.reset();
    if (release)
        return true;

    const FiscalPrinterSettings& s = settings().FiscalPrinterParam;
    if (s.Type < 0 || s.Type > RegisterType::NoLocalDriver)
        return false;
    if (s.Type == RegisterType::NoLocalDriver) {
        g_noDriverReason = QStringLiteral("Il registratore di cassa impostato non ha un driver su questa postazione: "
                                          "lo scontrino non può essere emesso da qui");
        return true;
    }
    const TypeInfo* t = typeInfo(s.Type);
    if (!t)
        return false;

    QVariantList params;
    switch (t->parameters) {
    case Parameters::PortAndSettings:
        params = {s.COMPortNumber, s.COMPortParam};
        break;
    case Parameters::PortOnly:
        params = {s.COMPortNumber};
        break;
    case Parameters::Rch:
    case Parameters::RchG2000: {
        const auto codes = RchLineCodesOf(s.COMPortParam);
        if (!codes) {
            ui().msgBox(QStringLiteral("Velocita' imposta non valida (1200,2400,4800,9600 o 19200)"),
                        Msg::Exclamation, g_strMsgTitle);
            return false;
        }
        params = {s.COMPortNumber, codes->speedCode, codes->dataBitCode};
        if (t->parameters == Parameters::RchG2000)
            params.append(1);
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
    return true;
}

itfFiscalPrinter& FiscalPrinter() {
    if (!g_printer && g_notAvailable)
        throw *g_notAvailable;
    if (!g_printer)
        raiseNoDriver(QStringLiteral("Registratore di cassa"), g_noDriverReason.isEmpty() ? kNotSwitchedOn : g_noDriverReason);
    return *g_printer;
}

bool FiscalPrinterActive() { return g_printer != nullptr; }
