#include "RegisterComponents.h"
#include "itfFiscalPrinter.h"

namespace {
RegisterComponentBackends& installed()
{
    static RegisterComponentBackends backends;
    return backends;
}

// What the operator is told is missing, by component.
const QString kRchEcr = QStringLiteral("il componente del produttore (RCHCom.RCHEcr), non disponibile");
const QString kRchNucleo = QStringLiteral("il componente del produttore (RCHNucleo.RchEcrNucleo), non disponibile");
const QString kEla
    = QStringLiteral("i componenti del produttore (FISCntrl.FISControl e BOXControl.BoxControl), non disponibili");
const QString kSid = QStringLiteral("il programma SMARTComm, collegato via DDE (Sidcomm95), non disponibile");

template <typename Component>
std::unique_ptr<Component> create(const std::function<std::unique_ptr<Component>(const QString&)>& backend,
                                  const QString& driver, const QString& software)
{
    if (!backend) throw ComponentNotAvailable(driver, software);
    return backend(driver);
}
}

void setRegisterComponentBackends(RegisterComponentBackends backends) { installed() = std::move(backends); }

std::unique_ptr<RchEcrComponent> createRchEcrComponent(const QString& driver)
{
    return create(installed().rchEcr, driver, kRchEcr);
}

std::unique_ptr<RchNucleoComponent> createRchNucleoComponent(const QString& driver)
{
    return create(installed().rchNucleo, driver, kRchNucleo);
}

std::unique_ptr<ElaFiscalComponent> createElaFiscalComponent(const QString& driver)
{
    return create(installed().elaFiscal, driver, kEla);
}

std::unique_ptr<ElaLineComponent> createElaLineComponent(const QString& driver)
{
    return create(installed().elaLine, driver, kEla);
}

std::unique_ptr<SidDdeLink> createSidDdeLink(const QString& driver) { return create(installed().sidDde, driver, kSid); }

AppError ComponentNotAvailable(const QString& driver, const QString& software)
{
    const int32_t code = itfFiscalPrinter::kNoDriverCode;
    return AppError::object(
        code, driver,
        DriverErrorText(
            code,
            QStringLiteral("Il registratore di cassa \"%1\" richiede %2 su questo sistema").arg(driver, software)));
}
