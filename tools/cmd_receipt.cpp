// A stored sale printed as a fiscal receipt through the main window's receipt service,
// against a register simulator on a pseudo-terminal or a serial device: each call the
// service makes on the driver, the bytes on the line, and what the operator would be told.
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "MvTool.h"
#include "operations/ReceiptService.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "devices/simulators/RegisterSimulators.h"
#include "devices/simulators/RegisterTraffic.h"
#include "devices/simulators/SaremaSimulator.h"
#include "base/SettingsStore.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

#include <QFileInfo>
#include <memory>

namespace {

// Passes every call to the driver in use, printing it first.
class TracingPrinter final : public itfFiscalPrinter {
public:
    void NewSession(int16_t decimals) override
    {
        mvtool::out(QStringLiteral("# NewSession(%1)").arg(decimals));
        FiscalPrinter().NewSession(decimals);
    }
    void EndSession() override
    {
        mvtool::out(QStringLiteral("# EndSession"));
        FiscalPrinter().EndSession();
    }
    void CancelSession() override
    {
        mvtool::out(QStringLiteral("# CancelSession"));
        FiscalPrinter().CancelSession();
    }
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override
    {
        mvtool::out(QStringLiteral("# SendData(%1, %2, \"%3\", %4)")
                        .arg(price.toString())
                        .arg(quantity)
                        .arg(description)
                        .arg(department));
        FiscalPrinter().SendData(price, quantity, description, department);
    }
    void SendMessage(const QString& text) override { FiscalPrinter().SendMessage(text); }
    void SendDisplay(const QString& text) override { FiscalPrinter().SendDisplay(text); }
    QString FiscalPrinterDescription() const override { return FiscalPrinter().FiscalPrinterDescription(); }
    void SetParameters(const QVariantList& params) override { FiscalPrinter().SetParameters(params); }
};

int usageError(const QString& why)
{
    mvtool::err(why);
    return 2;
}

// The sale and the register the arguments describe.
struct ReceiptCommand {
    QString database;
    qint64 saleOid = 0;
    int type = INT32_MIN;
    QString port, simName, lineSettings = QStringLiteral("9600,n,8,1");
    std::optional<int> timeout;
    bool conversion = false, noDescription = false;
};

std::optional<ReceiptCommand> receiptCommand(const QStringList& args)
{
    ReceiptCommand c;
    const auto needsNumber = [](const QString& a) { mvtool::err(a + QStringLiteral(" needs a number")); };
    const std::optional<QStringList> words
        = mvtool::OptionParser()
              .value("--type", mvtool::number(c.type), needsNumber)
              .value("--sim", c.simName)
              .value("--port", c.port)
              .value("--settings", c.lineSettings)
              .value("--timeout", mvtool::number(c.timeout, 0), needsNumber)
              .flag("--conversion", c.conversion)
              .flag("--no-description", c.noDescription)
              .unknownAreWords()
              .onMissingValue([](const QString& a) { mvtool::err(a + QStringLiteral(" needs a value")); })
              .parse(args);
    if (!words) return std::nullopt;
    bool numeric = false;
    c.saleOid = words->size() == 2 ? words->at(1).toLongLong(&numeric) : 0;
    if (!numeric || c.type == INT32_MIN || c.port.isEmpty() == c.simName.isEmpty()) {
        mvtool::err(QStringLiteral("give DB SALE, --type and one of --sim and --port"));
        return std::nullopt;
    }
    c.database = words->at(0);
    return c;
}

int receipt(const QStringList& args)
{
    const std::optional<ReceiptCommand> command = receiptCommand(args);
    if (!command) return 2;
    const auto& [database, saleOid, type, givenPort, simName, lineSettings, timeout, conversion, noDescription]
        = *command;
    QString port = givenPort;
    // The arguments are right; the file is not there, as for any command given a missing file.
    if (!QFileInfo::exists(database)) {
        mvtool::err(QStringLiteral("no database at %1").arg(database));
        return 1;
    }

    // The user's own settings stay untouched: the register is described by the arguments,
    // and every question is answered No, so a failing register is tried once.
    setSettingsStore(std::make_shared<MemorySettingsStore>());
    auto prompts = std::make_shared<ScriptedUiServices>(QStringList(50, QStringLiteral("No")));
    setUiServices(prompts);

    std::unique_ptr<RegisterSimulatorLine> line;
    if (!simName.isEmpty()) {
        auto simulator = CreateRegisterSimulator(simName);
        if (!simulator)
            return usageError(QStringLiteral("no simulator \"%1\"; there are: %2")
                                  .arg(simName, RegisterSimulatorNames().join(QStringLiteral(", "))));
        if (auto* sarema = dynamic_cast<SaremaSimulator*>(simulator.get())) sarema->setBusyMs(20);
        line = std::make_unique<RegisterSimulatorLine>(simulator);
        port = line->devicePath();
    }
    settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM1"), port);
    settings().FiscalPrinterParam = FiscalPrinterSettings {};
    settings().FiscalPrinterParam.Type = type;
    settings().FiscalPrinterParam.COMPortNumber = 1;
    settings().FiscalPrinterParam.COMPortParam = lineSettings;
    settings().FiscalPrinterParam.CurrencyConversion = conversion;
    settings().FiscalPrinterParam.SendDescription = !noDescription;
    if (timeout) settings().FiscalPrinterParam.Timout = *timeout;
    setSerialChannelFactory([] {
        return std::make_unique<TracingSerialChannel>(
            createSystemSerialChannel(),
            [](TrafficDirection d, const QByteArray& bytes) { mvtool::out(FormatTraffic(d, bytes)); });
    });

    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, database);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("mvtool"), nullptr);
    db->SetCurrency(std::make_shared<EuroCurrencyInfo>());
    db->AttachEngine(engine);
    struct Release {
        std::shared_ptr<DBEngine> engine;
        std::shared_ptr<Database> db;
        ~Release()
        {
            (void)InitFiscalPrinter(true);
            setSerialChannelFactory({});
            db->Close();
            engine->Close();
        }
    } release {engine, db};

    auto sale = db->Tables().Item(QStringLiteral("Vendite"))->Select(QStringLiteral("OID = %1").arg(saleOid));
    if (sale->IsEmpty()) {
        mvtool::err(QStringLiteral("no sale %1").arg(saleOid));
        return 1;
    }
    mvtool::out(
        QStringLiteral("# sale %1 on register type %2 (%3) at %4")
            .arg(saleOid)
            .arg(type)
            .arg(RegisterTypeDescription(type).isEmpty() ? QStringLiteral("no driver") : RegisterTypeDescription(type),
                 simName.isEmpty() ? port : QStringLiteral("simulator ") + simName));
    if (const FiscalPrinterStart started = InitFiscalPrinter(false); !started) {
        mvtool::err(QStringLiteral("register type %1: no driver was created").arg(type)
                    + (started.refusal.isEmpty() ? QString() : QStringLiteral(" (") + started.refusal + u')'));
        return 1;
    }
    TracingPrinter tracing;
    ReceiptService service([&tracing]() -> itfFiscalPrinter& { return tracing; });
    const bool issued = service.Send_Scontrino(*sale->GetReference(QStringLiteral("Articoli")));
    for (QString entry : prompts->log()) {
        entry.replace(u'\r', QStringLiteral("\\r"));
        mvtool::out(entry);
    }
    mvtool::out(issued ? QStringLiteral("# issued") : QStringLiteral("# not issued"));
    return issued ? 0 : 1;
}

}   // namespace

MV_COMMAND("receipt",
           "receipt DB SALE --type N (--sim ellisse|crf4600|sax|dsprogress|sarema|sweda | --port DEVICE) "
           "[--settings 9600,n,8,1] [--timeout MS] [--conversion] [--no-description]: a stored sale as a fiscal "
           "receipt through the receipt service, each driver call and the line's traffic printed",
           receipt);
