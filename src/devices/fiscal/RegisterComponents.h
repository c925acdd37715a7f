#pragma once
// The software some registers are driven through, as our drivers call it: the RCH
// components (G600/G1200/G2000 and Nucleo), the two ELA components (fiscal device and
// line) and the DDE conversation with the SID register program. Each is an interface
// holding only what the drivers use; the back-end that creates it is installed here.
// The production back-ends report that the component is not available on this system
// (that software does not exist for it); tests and the developer's tool install scripted
// fakes (src/devices/simulators).
#include "base/AppError.h"
#include "base/Currency.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>

// RCH G600/G1200/G2000: commands of key codes handed over with RCHSend; the register
// reports when it has carried one out through the event "RCHResult" (parameter "mStatus"),
// delivered by the event loop.
class RchEcrComponent : public QObject {
    Q_OBJECT
public:
    ~RchEcrComponent() override = default;
    virtual void setMode(int mode) = 0;
    virtual void setModello(int model) = 0;
    virtual int modello() const = 0;
    virtual void setCommPort(int port) = 0;
    virtual void setBaudRate(int speedCode) = 0;
    virtual void setParity(int parity) = 0;
    virtual void setDataBits(int dataBitCode) = 0;
    virtual int32_t RCHOpen() = 0;
    virtual void RCHClose() = 0;
    // `data` holds the command in element 0; the component may write into element 1.
    virtual int32_t RCHSend(const QString& function, QStringList& data, const QString& extra) = 0;

signals:
    // Any event of the component, by its name and its parameters' names.
    void ObjectEvent(const QString& name, const QVariantMap& parameters);
};

// RCH Nucleo: a receipt object model. Calls answer 0 on success; on failure the reason is
// in ResultCode (and ResultCodeExtended).
class RchNucleoComponent {
public:
    virtual ~RchNucleoComponent() = default;
    virtual QString DeviceDescription() const = 0;
    virtual int32_t RCHOpen(const QString& port) = 0;
    virtual void RCHClose() = 0;
    virtual void setAsyncMode(bool async) = 0;
    virtual int32_t BeginFiscalReceipt(bool print) = 0;
    virtual int32_t PrintRecItem(const QString& description, Currency amount, int32_t quantity, int16_t vatInfo,
                                 Currency unitPrice)
        = 0;
    virtual int32_t PrintRecRefund(const QString& description, Currency amount) = 0;
    virtual int32_t PrintRecTotal(int16_t total, int16_t payment, const QString& description) = 0;
    virtual int32_t EndFiscalReceipt(bool print) = 0;
    virtual int32_t PrintRecVoid() = 0;
    virtual int32_t ResultCode() const = 0;
    virtual int32_t ResultCodeExtended() const = 0;
};

// ELA line: the serial line the fiscal device talks over.
class ElaLineComponent {
public:
    virtual ~ElaLineComponent() = default;
    virtual bool CommOpen() const = 0;
    virtual void setCommOpen(bool open) = 0;
    virtual void setCommPort(int port) = 0;
    virtual void setCommSettings(const QString& settings) = 0;
    virtual void setHwHandshaking(bool on) = 0;
};

// ELA fiscal device. Calls answer 0 on success, else the register's result code.
class ElaFiscalComponent {
public:
    virtual ~ElaFiscalComponent() = default;
    virtual void setStampaDifferita(bool deferred) = 0;
    virtual void setTimeout(int16_t ms) = 0;
    virtual int32_t DevOpen(ElaLineComponent& line) = 0;
    virtual int32_t DevClose() = 0;
    virtual int32_t Fisc_Apertura() = 0;
    virtual int32_t Vendita(const QString& amount, const QString& description, const QString& extra) = 0;
    virtual int32_t Pagamento(const QString& amount, const QString& kind) = 0;
    virtual int32_t Fisc_Chiusura() = 0;
    virtual int32_t Fisc_Annullamento() = 0;
};

// The DDE conversation with the SID register program. Failures raise the link's AppError.
class SidDdeLink {
public:
    virtual ~SidDdeLink() = default;
    // Opens the conversation (a manual link) with `application` on `topic`.
    virtual void Open(const QString& application, const QString& topic) = 0;
    // Has the program execute `command`.
    virtual void Execute(const QString& command) = 0;
};

// How each component is created. Every creator receives the description of the driver
// that asks for it (the source of the error it raises when it cannot give one).
struct RegisterComponentBackends {
    std::function<std::unique_ptr<RchEcrComponent>(const QString& driver)> rchEcr;
    std::function<std::unique_ptr<RchNucleoComponent>(const QString& driver)> rchNucleo;
    std::function<std::unique_ptr<ElaFiscalComponent>(const QString& driver)> elaFiscal;
    std::function<std::unique_ptr<ElaLineComponent>(const QString& driver)> elaLine;
    std::function<std::unique_ptr<SidDdeLink>(const QString& driver)> sidDde;
};

// Installs the back-ends; any creator left empty is the production one. Called without
// arguments it restores them all.
void setRegisterComponentBackends(RegisterComponentBackends backends = {});

// The component for the driver described `driver`, from the installed back-end. The
// production back-ends raise ComponentNotAvailable.
std::unique_ptr<RchEcrComponent> createRchEcrComponent(const QString& driver);
std::unique_ptr<RchNucleoComponent> createRchNucleoComponent(const QString& driver);
std::unique_ptr<ElaFiscalComponent> createElaFiscalComponent(const QString& driver);
std::unique_ptr<ElaLineComponent> createElaLineComponent(const QString& driver);
std::unique_ptr<SidDdeLink> createSidDdeLink(const QString& driver);

// The error of a register whose maker's software this system does not have: number
// kObjectErrorBase + itfFiscalPrinter::kNoDriverCode, source the driver's description,
// "Codice: 5", two CRs and a sentence naming the register and the missing `software`
// ("il componente ..., non disponibile"), ending "su questo sistema".
AppError ComponentNotAvailable(const QString& driver, const QString& software);
