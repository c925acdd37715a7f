// Counter-device commands: the card reader in use (read and write a card as the card
// dialog does, the code in a card text), the barcode reader's filter, and the scale's
// frame; each through the same calls the program makes.
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "MvTool.h"
#include "base/UiServices.h"
#include "devices/cards/itfMagneticCard.h"
#include "devices/barcode/modBarcodeReader.h"
#include "devices/cards/modMagneticDev.h"
#include "devices/scale/modOmegaNet.h"
#include <optional>

namespace {

// What the operator would have been told (a filter's error), so a run can be read afterwards.
void printPrompts()
{
    auto* scripted = dynamic_cast<ScriptedUiServices*>(&ui());
    if (!scripted) return;
    for (QString line : scripted->log()) {
        line.replace(u'\r', QStringLiteral("\\r"));
        mvtool::out(line);
    }
}

// Control characters are hard to type on a command line: \r, \n, \t and \\ stand for them.
QString unescape(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar c = text[++i];
        out += c == u'r' ? QChar(u'\r') : c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c;
    }
    return out;
}

// --prefix P and --reversed (not --reverse: the application object takes that one for
// itself), then the positional arguments.
struct CardOptions {
    QString prefix;
    bool reverse = false;
    QStringList positional;
};
std::optional<CardOptions> cardOptions(const QStringList& args)
{
    CardOptions o;
    const std::optional<QStringList> words
        = mvtool::OptionParser().flag("--reversed", o.reverse).value("--prefix", o.prefix).parse(args);
    if (!words) return std::nullopt;
    o.positional = *words;
    return o;
}

// The configured reader's driver, its session started; nothing (and a message) without one.
itfMagneticCard* startReader()
{
    LoadConfiguration();
    if (!InitMagneticDevice(false) || !MagneticDeviceExists()) {
        mvtool::err(QStringLiteral("no card reader driver for type %1 (keyboard emulation or unknown type)")
                        .arg(settings().MagneticDevParam.Type));
        return nullptr;
    }
    itfMagneticCard& driver = objMagneticDevice();
    driver.NewSession(nullptr);
    return &driver;
}

int cardRead(const QStringList& args)
{
    const auto o = cardOptions(args);
    if (!o || !o->positional.isEmpty()) return 2;
    itfMagneticCard* driver = startReader();
    if (!driver) return 1;
    QString data1, data2;
    driver->ReadData(true, o->reverse, data1, data2);
    driver->EndSession();
    InitMagneticDevice(true);
    // As the card dialog takes it: Data1, already reversed by the driver.
    const QString code = ExtractCardCode(data1, o->prefix, false);
    mvtool::out(QStringLiteral("Data1: %1").arg(data1));
    mvtool::out(QStringLiteral("Data2: %1").arg(data2));
    mvtool::out(QStringLiteral("Code: %1").arg(code));
    printPrompts();
    return 0;
}

int cardWrite(const QStringList& args)
{
    const auto o = cardOptions(args);
    if (!o || o->positional.isEmpty() || o->positional.size() > 2) return 2;
    itfMagneticCard* driver = startReader();
    if (!driver) return 1;
    driver->WriteData(o->prefix + o->positional[0], o->positional.value(1), o->reverse, true);
    driver->EndSession();
    InitMagneticDevice(true);
    mvtool::out(QStringLiteral("written"));
    return 0;
}

int cardCode(const QStringList& args)
{
    const auto o = cardOptions(args);
    if (!o || o->positional.size() != 1) return 2;
    LoadConfiguration();
    mvtool::out(ExtractCardCode(unescape(o->positional[0]), o->prefix, o->reverse));
    printPrompts();
    return 0;
}

int barcodeFilter(const QStringList& args)
{
    if (args.size() != 1) return 2;
    LoadConfiguration();
    mvtool::out(GetFilteredBarcode(unescape(args[0])));
    printPrompts();
    return 0;
}

int scaleFrame(const QStringList& args)
{
    if (args.size() != 1) return 2;
    QStringList bytes;
    for (char b : NetBuildFrame(unescape(args[0]))) bytes << QString::number(static_cast<unsigned char>(b));
    mvtool::out(bytes.join(QStringLiteral(", ")));
    return 0;
}

}   // namespace

MV_COMMAND(
    "card-read",
    "card-read [--reversed] [--prefix P]  read a card on the configured reader (waits 3 s); print its texts and code",
    cardRead);
MV_COMMAND("card-write",
           "card-write [--reversed] [--prefix P] CODE [TEXT2]  write a code on a card with the configured reader",
           cardWrite);
MV_COMMAND("card-code",
           "card-code [--reversed] [--prefix P] TEXT  the customer code in a card text, through the stored filter (\\r "
           "\\n \\t escapes)",
           cardCode);
MV_COMMAND("barcode-filter",
           "barcode-filter TEXT  the code of a scanned line, through the stored filter (\\r \\n \\t escapes)",
           barcodeFilter);
MV_COMMAND("scale-frame", "scale-frame TEXT  the bytes of the scale's frame of a text", scaleFrame);
