// Fiscal register: one receipt through the configured driver, against a serial device, a
// register simulator on a pseudo-terminal or the scripted fakes of the makers' register
// software, with the traffic or the calls printed as they go.
#include "core/configuration/DeviceSettings.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "MvTool.h"
#include "devices/simulators/RegisterComponentFakes.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "devices/simulators/RegisterSimulators.h"
#include "devices/simulators/RegisterTraffic.h"
#include "devices/simulators/SaremaSimulator.h"
#include "base/SettingsStore.h"

#include <QLocale>
#include <memory>

namespace {
struct Row {
    Currency price;
    int16_t quantity = 1;
    QString description;
    int16_t department = 0;
};

// price:qty:desc:dept; the description may itself hold colons.
std::optional<Row> parseRow(const QString& text)
{
    const QStringList parts = text.split(u':');
    if (parts.size() < 4) return std::nullopt;
    const auto price = Currency::parse(parts.first(), QLocale::c());
    bool qtyOk = false, deptOk = false;
    const int qty = parts.at(1).toInt(&qtyOk);
    const int dept = parts.last().toInt(&deptOk);
    if (!price || !qtyOk || !deptOk || qty < INT16_MIN || qty > INT16_MAX || dept < INT16_MIN || dept > INT16_MAX)
        return std::nullopt;
    return Row {*price, int16_t(qty), parts.mid(2, parts.size() - 3).join(u':'), int16_t(dept)};
}

QString shownError(const AppError& e)
{
    QString text = e.description;
    text.replace(QStringLiteral("\r\r"), QStringLiteral(" | "));
    text.replace(u'\r', u' ');
    return QStringLiteral("ERROR 0x%1 (%2): %3").arg(uint32_t(e.number), 8, 16, QChar(u'0')).arg(e.source, text);
}

int usageError(const QString& why)
{
    mvtool::err(why);
    return 2;
}

// The register and the receipt the arguments describe.
struct FiscalCommand {
    int type = INT32_MIN;
    QString port, simName, lineSettings = QStringLiteral("9600,n,8,1"), message, display;
    QList<Row> rows;
    bool end = false, cancel = false, fake = false;
    QList<std::pair<QString, int32_t>> answers;
    QList<std::optional<int32_t>> reports;
    int decimals = 2;
    std::optional<int> timeout, wait, descLen;
};

// CALL=RESULT
bool readAnswer(const QString& text, QList<std::pair<QString, int32_t>>& answers)
{
    const QStringList parts = text.split(u'=');
    bool ok = false;
    const int32_t result = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
    if (!ok || parts[0].isEmpty()) return false;
    answers.append({parts[0], result});
    return true;
}

// A status, or none for a report that never comes.
bool readReport(const QString& text, QList<std::optional<int32_t>>& reports)
{
    bool ok = false;
    const int32_t status = text.toInt(&ok);
    if (!ok && text != u"none") return false;
    reports.append(ok ? std::optional<int32_t>(status) : std::nullopt);
    return true;
}

// An option that may end the line without its value: the text, or what it was.
mvtool::OptionParser::TakeMaybe textOr(QString& into, bool keepWhenMissing = false)
{
    return [&into, keepWhenMissing](const std::optional<QString>& v) {
        into = v.value_or(keepWhenMissing ? into : QString());
        return true;
    };
}

std::optional<FiscalCommand> fiscalCommand(const QStringList& args)
{
    FiscalCommand c;
    const auto row = [&c](const QString& text) {
        const std::optional<Row> r = parseRow(text);
        if (r) c.rows.push_back(*r);
        return r.has_value();
    };
    using mvtool::number;
    using mvtool::saying;
    // Times, lengths and decimals are never negative; a register takes at most the
    // currency's four decimals.
    const std::optional<QStringList> words
        = mvtool::OptionParser()
              .value("--type", number(c.type), saying(QStringLiteral("--type needs a number")))
              .valueOrNothing("--port", textOr(c.port))
              .valueOrNothing("--sim", textOr(c.simName))
              .flag("--fake", c.fake)
              .value(
                  "--answer", [&c](const QString& v) { return readAnswer(v, c.answers); },
                  saying(QStringLiteral("--answer wants CALL=RESULT, e.g. RCHSend=1003")))
              .value(
                  "--report", [&c](const QString& v) { return readReport(v, c.reports); },
                  saying(QStringLiteral("--report wants a status or none")))
              .valueOrNothing("--settings", textOr(c.lineSettings, true))
              .value("--row", row, saying(QStringLiteral("--row wants price:qty:desc:dept, e.g. 2.5:3::2")))
              .flag("--end", c.end)
              .flag("--cancel", c.cancel)
              .value("--decimals", number(c.decimals, 0, 4),
                     saying(QStringLiteral("--decimals needs a number from 0 to 4")))
              .value("--timeout", number(c.timeout, 0), saying(QStringLiteral("--timeout needs milliseconds")))
              .value("--wait", number(c.wait, 0), saying(QStringLiteral("--wait needs milliseconds")))
              .value("--desc-len", number(c.descLen, 0), saying(QStringLiteral("--desc-len needs a number")))
              .valueOrNothing("--message", textOr(c.message))
              .valueOrNothing("--display", textOr(c.display))
              .missingValueIsWrong()
              .maxWords(0)
              .onUnknown([](const QString& a) { mvtool::err(QStringLiteral("unknown argument ") + a); })
              .parse(args);
    if (!words) return std::nullopt;
    return c;
}

// The register as the arguments describe it, its line on COM1 (the fakes need none).
void describeRegister(const FiscalCommand& c, const QString& port)
{
    if (!c.fake) settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM1"), port);
    settings().FiscalPrinterParam = FiscalPrinterSettings {};
    settings().FiscalPrinterParam.Type = c.type;
    settings().FiscalPrinterParam.COMPortNumber = 1;
    settings().FiscalPrinterParam.COMPortParam = c.lineSettings;
    if (c.timeout) settings().FiscalPrinterParam.Timout = *c.timeout;
    if (c.wait) settings().FiscalPrinterParam.CommandWait = *c.wait;
    if (c.descLen) settings().FiscalPrinterParam.DescriptionLen = *c.descLen;
}

std::unique_ptr<FakeRegisterComponents> scriptedFakes(const FiscalCommand& c)
{
    auto fakes = std::make_unique<FakeRegisterComponents>();
    fakes->setObserver([](const QString& call) { mvtool::out(QStringLiteral("component: ") + call); });
    for (const auto& [call, result] : c.answers) fakes->answerNext(call, result);
    for (const auto& status : c.reports) fakes->reportNext(status);
    return fakes;
}

// One receipt, each call printed before it is made.
void sendReceipt(const FiscalCommand& c, itfFiscalPrinter& printer)
{
    mvtool::out(QStringLiteral("# NewSession(%1)").arg(c.decimals));
    printer.NewSession(int16_t(c.decimals));
    for (const Row& r : c.rows) {
        mvtool::out(QStringLiteral("# SendData(%1, %2, \"%3\", %4)")
                        .arg(r.price.toString())
                        .arg(r.quantity)
                        .arg(r.description)
                        .arg(r.department));
        printer.SendData(r.price, r.quantity, r.description, r.department);
    }
    if (!c.message.isEmpty()) {
        mvtool::out(QStringLiteral("# SendMessage(\"%1\")").arg(c.message));
        printer.SendMessage(c.message);
    }
    if (!c.display.isEmpty()) {
        mvtool::out(QStringLiteral("# SendDisplay(\"%1\")").arg(c.display));
        printer.SendDisplay(c.display);
    }
    if (c.end) {
        mvtool::out(QStringLiteral("# EndSession"));
        printer.EndSession();
    } else if (c.cancel) {
        mvtool::out(QStringLiteral("# CancelSession"));
        printer.CancelSession();
    }
    mvtool::out(QStringLiteral("# done"));
}

int fiscal(const QStringList& args)
{
    const std::optional<FiscalCommand> command = fiscalCommand(args);
    if (!command) return 2;
    const FiscalCommand& c = *command;
    if (c.type == INT32_MIN || int(!c.port.isEmpty()) + int(!c.simName.isEmpty()) + int(c.fake) != 1
        || (c.end && c.cancel))
        return usageError(
            QStringLiteral("give --type, one of --port, --sim and --fake, and at most one of --end and --cancel"));

    // The user's own settings stay untouched: the register is described by the arguments.
    setSettingsStore(std::make_shared<MemorySettingsStore>());
    QString port = c.port;
    std::unique_ptr<RegisterSimulatorLine> line;
    if (!c.simName.isEmpty()) {
        auto simulator = CreateRegisterSimulator(c.simName);
        if (!simulator)
            return usageError(QStringLiteral("no simulator \"%1\"; there are: %2")
                                  .arg(c.simName, RegisterSimulatorNames().join(QStringLiteral(", "))));
        if (auto* sarema = dynamic_cast<SaremaSimulator*>(simulator.get())) sarema->setBusyMs(20);
        line = std::make_unique<RegisterSimulatorLine>(simulator);
        port = line->devicePath();
    }
    std::unique_ptr<FakeRegisterComponents> fakes;
    if (c.fake) {
        fakes = scriptedFakes(c);
        port = QStringLiteral("the fakes");
    }
    describeRegister(c, port);

    setSerialChannelFactory([] {
        return std::make_unique<TracingSerialChannel>(
            createSystemSerialChannel(),
            [](TrafficDirection d, const QByteArray& bytes) { mvtool::out(FormatTraffic(d, bytes)); });
    });
    struct Restore {
        ~Restore()
        {
            InitFiscalPrinter(true);
            setSerialChannelFactory({});
        }
    } restore;

    mvtool::out(
        QStringLiteral("# type %1 (%2) on COM1 = %3, %4%5")
            .arg(c.type)
            .arg(RegisterTypeDescription(c.type).isEmpty() ? QStringLiteral("no driver")
                                                           : RegisterTypeDescription(c.type))
            .arg(port, c.lineSettings, c.simName.isEmpty() ? QString() : QStringLiteral(", simulator ") + c.simName));
    try {
        if (const FiscalPrinterStart started = InitFiscalPrinter(false); !started) {
            mvtool::err(QStringLiteral("register type %1: no driver was created").arg(c.type)
                        + (started.refusal.isEmpty() ? QString() : QStringLiteral(" (") + started.refusal + u')'));
            return 1;
        }
        sendReceipt(c, FiscalPrinter());
        return 0;
    } catch (const AppError& e) {
        // As the receipt service does: the register hears nothing after an error.
        mvtool::out(shownError(e));
        return 1;
    }
}
}

MV_COMMAND("fiscal",
           "fiscal --type N (--port DEVICE | --sim ellisse|crf4600|sax|dsprogress|sarema|sweda | --fake "
           "[--answer CALL=RESULT]... [--report STATUS|none]...) "
           "[--row price:qty:desc:dept]... [--message TEXT] [--display TEXT] [--end | --cancel] "
           "[--decimals 2] [--settings 9600,n,8,1] [--timeout MS] [--wait MS] [--desc-len N]: "
           "one receipt through the register driver, its traffic printed in hex and text; with --fake the "
           "makers' register software (types 1, 2, 5, 6, 9, 12) is played by scripted fakes and every call printed",
           fiscal);
