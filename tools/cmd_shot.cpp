#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "MvTool.h"
#include "ShotOptions.h"
#include "dialogs/WindowRegistry.h"
#include <QPlainTextEdit>
#include <QSize>
#include <QWidget>

mvtool::ShotOptions& mvtool::shotOptions()
{
    static ShotOptions o;
    return o;
}

namespace {
constexpr auto kUsage
    = "usage: mvtool shot WINDOW FILE.png [--size WxH] [--table T] [--level N] [--db PATH] [--new] [--sample-log] | "
      "mvtool shot --list";

// The exchanges --sample-log shows in a console's log, which is empty once the console has
// loaded: one that went through and one that did not.
const struct {
    const char* window;
    const char* lines;
} kSampleLogs[] = {
    {"frmEllisseTest", "064 Ok\n710 err\n"},
    {"frmBalanceTest", "P Ok\n err\n"},
};

// The largest side a screen has: beyond it the offscreen surface cannot be made (or takes
// gigabytes) and drawing on it would bring the tool down.
constexpr int kLargestSide = 8192;

// "WxH" as a size; nullopt when malformed or larger than any screen.
std::optional<QSize> parseSize(const QString& text)
{
    const QStringList wh = text.split(u'x');
    bool okWidth = false, okHeight = false;
    const QSize size = wh.size() == 2 ? QSize(wh.at(0).toInt(&okWidth), wh.at(1).toInt(&okHeight)) : QSize();
    if (!okWidth || !okHeight || size.isEmpty()) return std::nullopt;
    if (size.width() > kLargestSide || size.height() > kLargestSide) return std::nullopt;
    return size;
}

int usage()
{
    mvtool::err(QString::fromLatin1(kUsage));
    return 2;
}

// The options into shotOptions() and the size; the words, or nothing (and the usage) when wrong.
std::optional<QStringList> shotArguments(const QStringList& all, QSize& size)
{
    mvtool::ShotOptions& o = mvtool::shotOptions();
    const auto wrong = [](const QString&) { usage(); };
    const auto takeSize = [&size](const QString& text) {
        const std::optional<QSize> s = parseSize(text);
        if (s) size = *s;
        return s.has_value();
    };
    return mvtool::OptionParser()
        .value("--table", o.table)
        .value("--db", o.database)
        .flag("--new", o.newRow)
        .flag("--sample-log", o.sampleLog)
        .value("--size", takeSize, wrong)
        .value("--level", mvtool::number(o.level), wrong)
        .onUnknown(wrong)
        .parse(all);
}

int shot(const QStringList& all)
{
    if (all.size() == 1 && all.first() == QStringLiteral("--list")) {
        for (const QString& name : windows::names()) mvtool::out(name);
        return 0;
    }
    QSize size;
    const std::optional<QStringList> words = shotArguments(all, size);
    if (!words) return 2;
    const QStringList& args = *words;
    const mvtool::ShotOptions& o = mvtool::shotOptions();
    if (args.size() != 2) return usage();
    // A name the tool does not know is a wrong argument, as a wrong option is.
    if (!windows::names().contains(args.at(0))) {
        mvtool::err(QStringLiteral("no window named %1; known windows: %2")
                        .arg(args.at(0), windows::names().join(QStringLiteral(", "))));
        return 2;
    }
    const char* sampleLog = nullptr;
    for (const auto& s : kSampleLogs)
        if (args.at(0) == QLatin1String(s.window)) sampleLog = s.lines;
    if (o.sampleLog && !sampleLog) {
        mvtool::err(
            QStringLiteral("--sample-log is for the consoles with an exchange log (frmEllisseTest, frmBalanceTest)"));
        return 2;
    }
    // The window as the program shows it: with the stored settings, over the shop file given.
    LoadConfiguration();
    struct Release {
        ~Release() { ReleaseDatabaseObjects(); }   // before the tool's SQL drivers go
    } release;
    if (!o.database.isEmpty())
        mvtool::OpenShotDatabase();
    else if (args.at(0) == QLatin1String("frmArticoli"))
        mvtool::OpenWorkingShop();
    std::unique_ptr<QWidget> window = windows::create(args.at(0));
    if (!window) {
        mvtool::err(QStringLiteral("the window %1 could not be made").arg(args.at(0)));
        return 1;
    }
    if (sampleLog && o.sampleLog)
        if (auto* log = window->findChild<QPlainTextEdit*>(QStringLiteral("txtResult")))
            log->setPlainText(QString::fromLatin1(sampleLog));
    if (!size.isEmpty()) window->resize(size);
    QString error;
    if (!windows::renderToFile(*window, args.at(1), &error)) {
        mvtool::err(error);
        return 1;
    }
    mvtool::out(args.at(1));
    return 0;
}
}

MV_COMMAND(
    "shot",
    "shot WINDOW FILE.png [--size WxH] [--table T] [--level N] [--db PATH] [--new] [--sample-log] | shot --list   "
    "render a window offscreen to a PNG (sides up to 8192), with the stored settings; --db pictures a shop file "
    "instead of a sample shop; --sample-log fills the ELLISSE and scale consoles' exchange log with sample lines "
    "(empty otherwise, as the console is after loading)",
    shot);
