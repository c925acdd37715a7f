// Fiscal register: one receipt through the configured driver, against a serial device, a
// register simulator on a pseudo-terminal or the scripted fakes of the makers' register
// software, with the traffic or the calls printed as they go.
#include "DeviceSettings.h"
#include "FiscalPrinterFactory.h"
#include "MvTool.h"
#include "RegisterComponentFakes.h"
#include "RegisterSimulatorLine.h"
#include "RegisterSimulators.h"
#include "RegisterTraffic.h"
#include "SaremaSimulator.h"
#include "SettingsStore.h"

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
std::optional<Row> parseRow(const QString& text) {
    const QStringList parts = text.split(u':');
    if (parts.size() < 4)
        return std::nullopt;
    const auto price = Currency::parse(parts.first(), QLocale::c());
    bool qtyOk = false, deptOk = false;
    const int qty = parts.at(1).toInt(&qtyOk);
    const int dept = parts.last().toInt(&deptOk);
    if (!price || !qtyOk || !deptOk || qty < INT16_MIN || qty > INT16_MAX || dept < INT16_MIN || dept > INT16_MAX)
        return std::nullopt;
    return Row{*price, int16_t(qty), parts.mid(2, parts.size() - 3).join(u':'), int16_t(dept)};
}

QString shownError(const AppError& e) {
    QString text = e.description;
    text.replace(QStringLiteral("\r\r"), QStringLiteral(" | "));
    text.replace(u'\r', u' ');
    return QStringLiteral("ERROR 0x%1 (%2): %3").arg(uint32_t(e.number), 8, 16, QChar(u'0')).arg(e.source, text);
}

int usageError(const QString& why) {
    mvtool::err(why);
    return 2;
}

int fiscal(const QStringList& args) {
    int type = INT32_MIN;
    QString port, simName, lineSettings = QStringLiteral("9600,n,8,1"), message, display;
    QList<Row> rows;
    bool end = false, cancel = false, fake = false;
    QList<std::pair<QString, int32_t>> answers;
    QList<std::optional<int32_t>> reports;
    int decimals = 2;
    std::optional<int> timeout, wait, descLen;

    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args.at(++i);
        };
        // Times, lengths and decimals are never negative; a register takes at most the
        // currency's four decimals.
        auto number = [&](std::optional<int>& into, int lowest = INT_MIN, int highest = INT_MAX) {
            const auto v = value();
            bool ok = false;
            const int n = v ? v->toInt(&ok) : 0;
            ok = ok && n >= lowest && n <= highest;
            if (ok)
                into = n;
            return ok;
        };
        std::optional<int> n;
        if (a == u"--type") {
            if (!number(n)) return usageError(QStringLiteral("--type needs a number"));
            type = *n;
        } else if (a == u"--port") {
            port = value().value_or(QString());
        } else if (a == u"--sim") {
            simName = value().value_or(QString());
        } else if (a == u"--fake") {
            fake = true;
        } else if (a == u"--answer") {
            const QStringList parts = value().value_or(QString()).split(u'=');
            bool ok = false;
            const int32_t result = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
            if (!ok || parts[0].isEmpty()) return usageError(QStringLiteral("--answer wants CALL=RESULT, e.g. RCHSend=1003"));
            answers.append({parts[0], result});
        } else if (a == u"--report") {
            const QString v = value().value_or(QString());
            bool ok = false;
            const int32_t status = v.toInt(&ok);
            if (!ok && v != u"none") return usageError(QStringLiteral("--report wants a status or none"));
            reports.append(ok ? std::optional<int32_t>(status) : std::nullopt);
        } else if (a == u"--settings") {
            lineSettings = value().value_or(lineSettings);
        } else if (a == u"--row") {
            const auto r = value() ? parseRow(args.at(i)) : std::nullopt;
            if (!r) return usageError(QStringLiteral("--row wants price:qty:desc:dept, e.g. 2.5:3::2"));
            rows.push_back(*r);
        } else if (a == u"--end") {
            end = true;
        } else if (a == u"--cancel") {
            cancel = true;
        } else if (a == u"--decimals") {
            if (!number(n, 0, 4)) return usageError(QStringLiteral("--decimals needs a number from 0 to 4"));
            decimals = *n;
        } else if (a == u"--timeout") {
            if (!number(timeout, 0)) return usageError(QStringLiteral("--timeout needs milliseconds"));
        } else if (a == u"--wait") {
            if (!number(wait, 0)) return usageError(QStringLiteral("--wait needs milliseconds"));
        } else if (a == u"--desc-len") {
            if (!number(descLen, 0)) return usageError(QStringLiteral("--desc-len needs a number"));
        } else if (a == u"--message") {
            message = value().value_or(QString());
        } else if (a == u"--display") {
            display = value().value_or(QString());
        } else {
            return usageError(QStringLiteral("unknown argument ") + a);
        }
    }
    if (type == INT32_MIN || int(!port.isEmpty()) + int(!simName.isEmpty()) + int(fake) != 1 || (end && cancel))
        return usageError(QStringLiteral("give --type, one of --port, --sim and --fake, and at most one of --end and --cancel"));

    // The user's own settings stay untouched: the register is described by the arguments.
    setSettingsStore(std::make_shared<MemorySettingsStore>());
    std::unique_ptr<RegisterSimulatorLine> line;
    if (!simName.isEmpty()) {
        auto simulator = CreateRegisterSimulator(simName);
        if (!simulator)
            return usageError(QStringLiteral("no simulator \"%1\"; there are: %2")
                                  .arg(simName, RegisterSimulatorNames().join(QStringLiteral(", "))));
        if (auto* sarema = dynamic_cast<SaremaSimulator*>(simulator.get()))
            sarema->setBusyMs(20);
        line = std::make_unique<RegisterSimulatorLine>(simulator);
        port = line->devicePath();
    }
    std::unique_ptr<FakeRegisterComponents> fakes;
    if (fake) {
        fakes = std::make_unique<FakeRegisterComponents>();
        fakes->setObserver([](const QString& call) { mvtool::out(QStringLiteral("component: ") + call); });
        for (const auto& [call, result] : answers)
            fakes->answerNext(call, result);
        for (const auto& status : reports)
            fakes->reportNext(status);
        port = QStringLiteral("the fakes");
    } else {
        settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM1"), port);
    }
    settings().FiscalPrinterParam = FiscalPrinterSettings{};
    settings().FiscalPrinterParam.Type = type;
    settings().FiscalPrinterParam.COMPortNumber = 1;
    settings().FiscalPrinterParam.COMPortParam = lineSettings;
    if (timeout) settings().FiscalPrinterParam.Timout = *timeout;
    if (wait) settings().FiscalPrinterParam.CommandWait = *wait;
    if (descLen) settings().FiscalPrinterParam.DescriptionLen = *descLen;

    setSerialChannelFactory([] {
        return std::make_unique<TracingSerialChannel>(createSystemSerialChannel(),
                                                      [](TrafficDirection d, const QByteArray& bytes) {
                                                          mvtool::out(FormatTraffic(d, bytes));
                                                      });
    });
    struct Restore {
        ~Restore() {
            InitFiscalPrinter(true);
            setSerialChannelFactory({});
        }
    } restore;

    mvtool::out(QStringLiteral("# type %1 (%2) on COM1 = %3, %4%5")
                    .arg(type)
                    .arg(RegisterTypeDescription(type).isEmpty() ? QStringLiteral("no driver") : RegisterTypeDescription(type))
                    .arg(port, lineSettings, simName.isEmpty() ? QString() : QStringLiteral(", simulator ") + simName));
    try {
        if (!InitFiscalPrinter(false)) {
            mvtool::err(QStringLiteral("register type %1: no driver was created").arg(type));
            return 1;
        }
        itfFiscalPrinter& printer = FiscalPrinter();
        mvtool::out(QStringLiteral("# NewSession(%1)").arg(decimals));
        printer.NewSession(int16_t(decimals));
        for (const Row& r : rows) {
            mvtool::out(QStringLiteral("# SendData(%1, %2, \"%3\", %4)")
                            .arg(r.price.toString()).arg(r.quantity).arg(r.description).arg(r.department));
            printer.SendData(r.price, r.quantity, r.description, r.department);
        }
        if (!message.isEmpty()) {
            mvtool::out(QStringLiteral("# SendMessage(\"%1\")").arg(message));
            printer.SendMessage(message);
        }
        if (!display.isEmpty()) {
            mvtool::out(QStringLiteral("# SendDisplay(\"%1\")").arg(display));
            printer.SendDisplay(display);
        }
        if (end) {
            mvtool::out(QStringLiteral("# EndSession"));
            printer.EndSession();
        } else if (cancel) {
            mvtool::out(QStringLiteral("# CancelSession"));
            printer.CancelSession();
        }
        mvtool::out(QStringLiteral("# done"));
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
