#include "FiscalPrinterFactory.h"
#include "Configuration.h"
#include "DeviceSettings.h"
#include "UiServices.h"
#include "clsCRF4600.h"
#include "clsDSProgress.h"
#include "clsEllisse.h"
#include "clsEllisseExt.h"
#include "clsOmegaSAX.h"
#include "clsSWEDA.h"
#include "clsSaremaXonXoff.h"

namespace {
std::unique_ptr<itfFiscalPrinter> g_printer;
// Why there is no driver, for the operator.
QString g_noDriverReason;

const QString kNotSwitchedOn = QStringLiteral("Il registratore di cassa non è attivato");

enum class Parameters { PortAndSettings, Rch, PortOnly };

struct TypeInfo {
    int32_t type;
    const char* description;
    Parameters parameters;
    std::unique_ptr<itfFiscalPrinter> (*create)();   // null: needs a maker's component
};

template <typename Driver>
std::unique_ptr<itfFiscalPrinter> make() {
    return std::make_unique<Driver>();
}

const TypeInfo kTypes[] = {
    {RegisterType::CRF4600, "Olivetti CRF 4600", Parameters::PortAndSettings, &make<clsCRF4600>},
    {RegisterType::RCHG600, "RCH G600", Parameters::Rch, nullptr},
    {RegisterType::RCHG1200, "RCH G1200", Parameters::Rch, nullptr},
    {RegisterType::Ellisse, "Omega ELLISSE", Parameters::PortAndSettings, &make<clsEllisse>},
    {RegisterType::EllisseExt, "Omega ELLISSE", Parameters::PortAndSettings, &make<clsEllisseExt>},
    {RegisterType::SIDSmart, "SID Smart", Parameters::PortAndSettings, nullptr},
    {RegisterType::RCHNucleo, "RCH Nucleo", Parameters::PortOnly, nullptr},
    {RegisterType::OmegaSAX, "Omega SAX", Parameters::PortAndSettings, &make<clsOmegaSAX>},
    {RegisterType::DSProgress, "DSProgress", Parameters::PortAndSettings, &make<clsDSProgress>},
    {RegisterType::RCHG2000, "RCH G1200", Parameters::Rch, nullptr},
    {RegisterType::Sarema, "Sarema ECR (Xon/Xoff)", Parameters::PortAndSettings, &make<clsSaremaXonXoff>},
    {RegisterType::SWEDA, "SWEDA ECR (mwcr)", Parameters::PortAndSettings, &make<clsSWEDA>},
    {RegisterType::OlivettiELA, "OLIVETTI (protocollo ELA)", Parameters::PortAndSettings, nullptr},
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
    if (release)
        return true;

    const FiscalPrinterSettings& s = FiscalPrinterParam;
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
    case Parameters::Rch: {
        const auto codes = RchLineCodesOf(s.COMPortParam);
        if (!codes) {
            ui().msgBox(QStringLiteral("Velocita' imposta non valida (1200,2400,4800,9600 o 19200)"),
                        Msg::Exclamation, g_strMsgTitle);
            return false;
        }
        params = {s.COMPortNumber, codes->speedCode, codes->dataBitCode};
        break;
    }
    }

    const QString description = QString::fromUtf8(t->description);
    if (!t->create)
        raiseNoDriver(description, QStringLiteral("Il registratore di cassa \"%1\" richiede il componente del "
                                                  "produttore, non disponibile su questo sistema")
                                       .arg(description));
    std::unique_ptr<itfFiscalPrinter> driver = t->create();
    driver->SetParameters(params);
    g_printer = std::move(driver);
    return true;
}

itfFiscalPrinter& FiscalPrinter() {
    if (!g_printer)
        raiseNoDriver(QStringLiteral("Registratore di cassa"), g_noDriverReason.isEmpty() ? kNotSwitchedOn : g_noDriverReason);
    return *g_printer;
}

bool FiscalPrinterActive() { return g_printer != nullptr; }
