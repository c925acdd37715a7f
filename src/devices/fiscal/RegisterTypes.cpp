#include "RegisterTypes.h"
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

template <typename Driver> std::unique_ptr<itfFiscalPrinter> make() { return std::make_unique<Driver>(); }

std::unique_ptr<itfFiscalPrinter> makeG2000() { return std::make_unique<clsRCHG1200>(clsRCHG1200::kG2000); }

// The settings most serial registers take; the receipt options go with every register here.
constexpr RegisterControls kSerialLine {
    .port = true, .portParameters = true, .timeout = true, .receiptOptions = true, .fixedPort = std::nullopt};

const char* const kRchHint = "sia stato installato il Driver RCH (RCHCom) ";

const RegisterTypeInfo kTypes[] = {
    {RegisterType::None, "[NESSUNO]", nullptr, RegisterParameters::None, nullptr, {}, nullptr},
    {RegisterType::CRF4600,
     "OLIVETTI CRF4600",
     "Olivetti CRF 4600",
     RegisterParameters::PortAndSettings,
     &make<clsCRF4600>,
     {.port = true,
      .portParameters = true,
      .timeout = true,
      .commandWait = true,
      .receiptOptions = true,
      .fixedPort = std::nullopt},
     "sia abilitata l'apposita opzione di Emissione Scontrini <904> nel registratore di cassa"},
    {RegisterType::RCHG600, "RCH G600", "RCH G600", RegisterParameters::Rch, &make<clsRCHG600>, kSerialLine, kRchHint},
    {RegisterType::RCHG1200, "RCH G1200", "RCH G1200", RegisterParameters::Rch, &make<clsRCHG1200>, kSerialLine,
     kRchHint},
    {RegisterType::Ellisse, "OMEGA ELLISSE (stmpante fiscale)", "Omega ELLISSE", RegisterParameters::PortAndSettings,
     &make<clsEllisse>, kSerialLine,
     "sia abilitata l'apposita opzione di Emissione Scontrini <83> nel registratore di cassa tramite la chiave "
     "SERVICE, in modalità Stampante Fiscale (ACK/NACK)"},
    {RegisterType::EllisseExt, "OMEGA ELLISSE (on-line esteso)", "Omega ELLISSE", RegisterParameters::PortAndSettings,
     &make<clsEllisseExt>, kSerialLine,
     "sia abilitata l'apposita opzione di Emissione Scontrini <83> nel registratore di cassa tramite la chiave "
     "SERVICE, in modalità ON-Line Esteso"},
    // The register program owns the line.
    {RegisterType::SIDSmart,
     "SID Smart",
     "SID Smart",
     RegisterParameters::PortAndSettings,
     &make<clsSID>,
     {.receiptOptions = true, .fixedPort = 1},
     "sia stato installato il Driver SMARTComm, inoltre devono essere state attivate le opzioni di comunicazione:\r"
     "Da programmazione <P> (Shift + P) impostare 40[ST]016[TOT] e 40[ST]020[TOT]"},
    {RegisterType::RCHNucleo,
     "RCH Nucleo",
     "RCH Nucleo",
     RegisterParameters::PortOnly,
     &make<clsRCHNucleo>,
     {.port = true, .receiptOptions = true, .fixedPort = std::nullopt},
     "sia stato installato il Driver RCH (RCHNucleo contenuto anche nel pacchetto DemoNucleo) "},
    {RegisterType::OmegaSAX, "OMEGA SAX", "Omega SAX", RegisterParameters::PortAndSettings, &make<clsOmegaSAX>,
     kSerialLine,
     "sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa tramite la chiave SERVICE"},
    {RegisterType::DSProgress, "Distribution System PROGRESS", "DSProgress", RegisterParameters::PortAndSettings,
     &make<clsDSProgress>, kSerialLine,
     "sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa tramite le seguenti linee "
     "di opzioni:\r109[subtot]   00001111[subtot]\r114[subtot]   00000000[subtot]"},
    // The list offers the G2000 apart: its installations get the G2000 model.
    {RegisterType::RCHG2000, "RCH G2000", "RCH G2000", RegisterParameters::RchG2000, &makeG2000, kSerialLine, kRchHint},
    {RegisterType::Sarema, "Sarema Xon/Xoff", "Sarema ECR (Xon/Xoff)", RegisterParameters::PortAndSettings,
     &make<clsSaremaXonXoff>, kSerialLine,
     "sia abilitata l'apposita opzione di connessione Xon/Xoff nel registratore di cassa tramite la chiave SERVICE"},
    {RegisterType::SWEDA, "SWEDA (mwcr)", "SWEDA ECR (mwcr)", RegisterParameters::PortAndSettings, &make<clsSWEDA>,
     kSerialLine, "sia abilitata l'apposita sequenza (791,792,793,794,797) nel registratore di cassa"},
    {RegisterType::OlivettiELA, "OLIVETTI (protocollo ELA)", "OLIVETTI (protocollo ELA)",
     RegisterParameters::PortAndSettings, &make<clsOlivettiELA>, kSerialLine,
     "sia selezionata l'apposita opzione di collegamento remoto nel registratore di cassa tramite i tasti di "
     "cambio Assetto"},
    {RegisterType::NoLocalDriver,
     "[STAMPA ATTRAVERSO ALTRO PC IN RETE]",
     nullptr,
     RegisterParameters::None,
     nullptr,
     {},
     nullptr},
};

}   // namespace

std::span<const RegisterTypeInfo> RegisterTypes() { return kTypes; }

const RegisterTypeInfo* FindRegisterType(int32_t type)
{
    for (const RegisterTypeInfo& t : kTypes) {
        if (t.type == type) return &t;
    }
    return nullptr;
}
