// Pictures of windows through the developer's tool: every window it knows at its default
// size, the main window and the error report, windows as the stored settings make them,
// the shop file given, and a run that says nothing of the platform.
#ifdef MV_MVTOOL_EXE
#include "MvtoolRun.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {
// The tool in settings of its own (a fresh configuration folder), offscreen.
class ShotTool {
public:
    ShotTool() : m_dir(testenv::newDir(QStringLiteral("shots"))), m_data(testenv::newDir(QStringLiteral("shot-data")))
    {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), testenv::newDir(QStringLiteral("shot-settings")));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_data);
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    ToolRun run(const QStringList& args) const { return mvtool(args, m_env); }
    void set(const QString& setting) const
    {
        EXPECT_EQ(run({QStringLiteral("config-set"), setting}).status, 0) << setting.toStdString();
    }
    // The picture of `window` (with `more` arguments); a null image when the tool failed.
    QImage shot(const QString& window, const QStringList& more = {}) const
    {
        const QString file = m_dir + QStringLiteral("/%1-%2.png").arg(window).arg(++m_count);
        if (run(QStringList {QStringLiteral("shot"), window, file} + more).status != 0) return QImage();
        return QImage(file);
    }
    const QProcessEnvironment& env() const { return m_env; }
    QString dir() const { return m_dir; }
    // Where the program keeps its working database under this tool's settings.
    QString workingDatabase() const { return m_data + QStringLiteral("/Mirtavolia/Mirtavolia.mdb"); }

private:
    QString m_dir, m_data;
    QProcessEnvironment m_env;
    mutable int m_count = 0;
};
}   // namespace

// Every window the tool knows, pictured as it opens (the object library's row editor over
// three tables, as the administrator and as a plain operator), with the least size its
// picture may have: a window that collapsed, lost its layout or drew nothing shows.
namespace {
struct WindowShot {
    const char* window;
    std::vector<const char*> more;   // further arguments of the tool
    int minWidth, minHeight;
};

void PrintTo(const WindowShot& s, std::ostream* os)
{
    *os << s.window;
    for (const char* a : s.more) *os << ' ' << a;
}

const WindowShot kWindowShots[] = {
    // The object library's windows.
    {"RowEditor", {"--table", "Articoli", "--level", "0"}, 400, 150},
    {"RowEditor", {"--table", "Articoli", "--level", "1"}, 400, 150},
    {"RowEditor", {"--table", "Vendite", "--level", "0"}, 400, 150},
    {"RowEditor", {"--table", "Vendite", "--level", "1"}, 400, 150},
    {"RowEditor", {"--table", "Operatori", "--level", "0"}, 400, 150},
    {"RowEditor", {"--table", "Operatori", "--level", "1"}, 400, 150},
    {"PickRowDialog", {}, 400, 300},
    {"ObjDataGrid", {}, 500, 200},
    {"ViewWindow", {}, 500, 300},
    {"FieldSequenceDialog", {}, 400, 250},
    {"FilterEditor", {}, 400, 250},
    // The program's shared dialogs.
    {"frmAbout", {}, 200, 80},
    {"frmDateSetting", {}, 200, 80},
    {"frmFromDateToDate", {}, 200, 80},
    {"frmMessage", {}, 200, 80},
    {"frmMsgBeep", {}, 200, 80},
    {"frmSearchText", {}, 200, 80},
    {"frmSelectDir", {}, 200, 80},
    {"frmOptions", {}, 450, 400},
    {"frmOptionsAdvanced", {}, 400, 200},
    {"frmOptionsRound", {}, 600, 200},
    {"frmPassword", {}, 300, 100},
    {"frmSelectOper", {}, 300, 80},
    {"frmShowException", {}, 400, 250},
    {"frmSplash", {}, 350, 150},
    // The devices' settings and consoles.
    {"frmOptionsBarcode", {}, 300, 150},
    {"frmMagneticDev", {}, 300, 150},
    {"frmMagneticOptions", {}, 300, 150},
    {"frmFiscalOptions", {}, 300, 150},
    {"frmEllisseTest", {}, 300, 150},
    {"frmBalanceTest", {}, 300, 150},
    // Printing: a strip of two labels is far wider than high, a receipt page higher than wide.
    {"frmLabelPrintSetting", {}, 500, 400},
    {"frmTicketPrintSetting", {}, 500, 450},
    {"frmLabelPreview", {}, 300, 40},
    {"frmTicketPreview", {}, 150, 300},
    // Documents and articles.
    {"frmVendite", {}, 700, 450},
    {"frmForniture", {}, 700, 450},
    {"frmImportData", {}, 600, 350},
    {"frmSearch_Articoli", {}, 300, 60},
    {"frmArticoli", {}, 300, 60},
    // The main window and its own windows.
    {"frmMain", {}, 300, 300},
    {"frmBackupRestore", {}, 300, 200},
    {"frmMemo", {}, 300, 200},
};

// Whether the picture holds more than its background.
bool HoldsADrawing(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        if (std::any_of(line, line + rgb.width(), [first](QRgb p) { return p != first; })) return true;
    }
    return false;
}

class EveryWindow : public ::testing::TestWithParam<WindowShot> { };
}   // namespace

TEST_P(EveryWindow, IsPicturedAtItsDefaultSize)
{
    const WindowShot& c = GetParam();
    const QString file
        = testenv::newDir(QStringLiteral("shots")) + u'/' + QString::fromLatin1(c.window) + QStringLiteral(".png");
    QStringList args {QStringLiteral("shot"), QString::fromLatin1(c.window), file};
    for (const char* a : c.more) args << QString::fromLatin1(a);
    const ToolRun run = mvtool(args);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage picture(file);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), c.minWidth);
    EXPECT_GE(picture.height(), c.minHeight);
    EXPECT_TRUE(HoldsADrawing(picture));
}

INSTANTIATE_TEST_SUITE_P(MvtoolShot, EveryWindow, ::testing::ValuesIn(kWindowShots),
                         [](const ::testing::TestParamInfo<WindowShot>& info) {
                             std::string name = info.param.window;
                             for (const char* a : info.param.more)
                                 if (a[0] != '-') name += std::string("_") + a;
                             return name;
                         });

// A window the tool learns to picture gets its line above.
TEST(MvtoolShot, EveryWindowItListsIsPictured)
{
    const ToolRun list = mvtool({QStringLiteral("shot"), QStringLiteral("--list")});
    ASSERT_EQ(list.status, 0);
    QStringList listed = list.lines;
    QStringList pictured;
    for (const WindowShot& s : kWindowShots) pictured << QString::fromLatin1(s.window);
    pictured.removeDuplicates();
    listed.sort();
    pictured.sort();
    EXPECT_EQ(listed, pictured);
}

TEST(MvtoolShot, ListsTheMainWindowAndTheErrorReport)
{
    const ToolRun list = mvtool({QStringLiteral("shot"), QStringLiteral("--list")});
    ASSERT_EQ(list.status, 0);
    EXPECT_TRUE(list.lines.contains(QStringLiteral("frmMain")));
    EXPECT_TRUE(list.lines.contains(QStringLiteral("frmShowException")));
}

TEST(MvtoolShot, PicturesTheMainWindowAtTheAskedSize)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/frmMain.png");
    const ToolRun shot = mvtool(
        {QStringLiteral("shot"), QStringLiteral("frmMain"), png, QStringLiteral("--size"), QStringLiteral("1280x800")});
    ASSERT_EQ(shot.status, 0);
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(1280, 800));

    EXPECT_EQ(mvtool({QStringLiteral("shot"), QStringLiteral("frmMain"), png, QStringLiteral("--size"),
                      QStringLiteral("big")})
                  .status,
              2);

    // A section is named by its caption (it has no key) and pictured with its buttons; a
    // name the tree lacks is refused, never pictured as the default view.
    const QString section = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/section.png");
    struct Case {
        const char* node;
        int status;
    };
    for (const Case& c : {Case {"Operazioni effettuate", 0}, Case {"Clienti", 0}, Case {"Nessuna sezione", 1}}) {
        EXPECT_EQ(mvtool({QStringLiteral("shot"), QStringLiteral("frmMain"), section, QStringLiteral("--table"),
                          QString::fromUtf8(c.node)})
                      .status,
                  c.status)
            << c.node;
    }
}

// A size no screen has is a wrong argument: the offscreen surface of 100000x100000 pixels
// could not be made and the tool died drawing on nothing.
TEST(MvtoolShot, ASizeNoScreenHasIsAWrongArgument)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/RowEditor.png");
    for (const char* size : {"0x0", "-5x10", "640x", "100000x100000", "8193x600", "800x8193"}) {
        const ToolRun shot = mvtool({QStringLiteral("shot"), QStringLiteral("RowEditor"), png, QStringLiteral("--size"),
                                     QString::fromLatin1(size)});
        EXPECT_EQ(shot.status, 2) << size;
        EXPECT_FALSE(QFile::exists(png)) << size;
    }
}

TEST(MvtoolShot, AWindowItDoesNotKnowIsAWrongArgument)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/x.png");
    for (const char* name : {"frmNonEsiste", "rowEditor", ""}) {
        const ToolRun shot = mvtool({QStringLiteral("shot"), QString::fromLatin1(name), png});
        EXPECT_EQ(shot.status, 2) << name;
        EXPECT_FALSE(QFile::exists(png)) << name;
    }
}
// A window is pictured as the program shows it: with the settings stored, not the defaults.
TEST(MvtoolShot, PicturesWindowsWithTheStoredSettings)
{
    struct Case {
        const char* window;
        const char* setting;
    };
    for (const Case& c : {Case {"frmFiscalOptions", "FiscalPrinterParam/Type=3"},
                          Case {"frmOptionsBarcode", "BarcodeReaderParam/COMPortNumber=2"},
                          Case {"frmMagneticOptions", "MagneticDevParam/Type=9999"},
                          Case {"frmVendite", "Configuration/Use_PuntiPremio=True"}}) {
        SCOPED_TRACE(c.window);
        const ShotTool tool;
        const QImage before = tool.shot(QString::fromLatin1(c.window));
        ASSERT_FALSE(before.isNull());
        EXPECT_EQ(tool.shot(QString::fromLatin1(c.window)), before) << "two pictures of one state differ";
        tool.set(QString::fromLatin1(c.setting));
        const QImage after = tool.shot(QString::fromLatin1(c.window));
        ASSERT_FALSE(after.isNull());
        EXPECT_NE(after, before);
    }

    // The supplies' payments bring the inventory report into the main window's tree.
    const ShotTool tool;
    const QStringList inventory {QStringLiteral("--table"), QStringLiteral("Inventario Magazzino")};
    EXPECT_TRUE(tool.shot(QStringLiteral("frmMain"), inventory).isNull());
    tool.set(QStringLiteral("Configuration/Use_PagamentoForniture=True"));
    EXPECT_FALSE(tool.shot(QStringLiteral("frmMain"), inventory).isNull());
}

// --db pictures the main window and the deposit dialog over that shop file; a file that is
// not there is refused, never pictured as the sample shop.
TEST(MvtoolShot, TheShopFileGivenIsTheOnePictured)
{
    const ShotTool tool;
    const QString file = tool.dir() + QStringLiteral("/Mirtavolia.mdb");
    ASSERT_EQ(tool.run({QStringLiteral("db-init"), file}).status, 0);
    QProcess run;
    run.setProcessEnvironment(tool.env());
    run.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), file});
    run.write("select Depositi\nset Deposito=SEDE\nsave\n");
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString();

    for (const char* window : {"frmMain", "frmArticoli"}) {
        SCOPED_TRACE(window);
        const QString name = QString::fromLatin1(window);
        const QImage sample = tool.shot(name);
        ASSERT_FALSE(sample.isNull());
        const QImage shop = tool.shot(name, {QStringLiteral("--db"), file});
        ASSERT_FALSE(shop.isNull());
        EXPECT_NE(shop, sample);
        const ToolRun missing = tool.run({QStringLiteral("shot"), name, tool.dir() + QStringLiteral("/x.png"),
                                          QStringLiteral("--db"), tool.dir() + QStringLiteral("/assente.mdb")});
        EXPECT_EQ(missing.status, 1);
    }
}

// Without --db the deposit dialog stands on the working database, found as the program finds
// it; with none there, on the sample shop: never on no database, where "Aggiungi" would do
// nothing.
TEST(MvtoolShot, TheDepositDialogWithoutAFileStandsOnTheWorkingDatabase)
{
    const ShotTool tool;
    const QImage sample = tool.shot(QStringLiteral("frmArticoli"));
    ASSERT_FALSE(sample.isNull());
    const QString working = tool.workingDatabase();
    QDir().mkpath(QFileInfo(working).absolutePath());
    ASSERT_EQ(tool.run({QStringLiteral("db-init"), working}).status, 0);
    QProcess run;
    run.setProcessEnvironment(tool.env());
    run.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), working});
    run.write("select Depositi\nset Deposito=MAGAZZINO NORD\nsave\n");
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString();

    const QImage onWorking = tool.shot(QStringLiteral("frmArticoli"));
    ASSERT_FALSE(onWorking.isNull());
    EXPECT_EQ(onWorking, tool.shot(QStringLiteral("frmArticoli"), {QStringLiteral("--db"), working}));
    EXPECT_NE(onWorking, sample);
}

// The consoles' exchange log is empty once they have loaded; sample exchanges only when asked.
TEST(MvtoolShot, ConsolesShowSampleExchangesOnlyWhenAsked)
{
    const ShotTool tool;
    for (const char* window : {"frmEllisseTest", "frmBalanceTest"}) {
        SCOPED_TRACE(window);
        const QString name = QString::fromLatin1(window);
        const QImage plain = tool.shot(name);
        const QImage sample = tool.shot(name, {QStringLiteral("--sample-log")});
        ASSERT_FALSE(plain.isNull());
        ASSERT_FALSE(sample.isNull());
        EXPECT_NE(plain, sample);
    }
    EXPECT_EQ(tool.run({QStringLiteral("shot"), QStringLiteral("frmFiscalOptions"),
                        tool.dir() + QStringLiteral("/x.png"), QStringLiteral("--sample-log")})
                  .status,
              2);
}

// A headless run shows and raises windows on a platform that cannot do everything, often
// from a shell with no session's runtime folder: the platform's complaints about either are
// not the tool's to print.
TEST(MvtoolShot, SaysNothingOfThePlatform)
{
    const ShotTool tool;
    QProcess p;
    QProcessEnvironment env = tool.env();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MV_MVTOOL_EXE),
            {QStringLiteral("shot"), QStringLiteral("frmVendite"), tool.dir() + QStringLiteral("/sale.png")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString errors = QString::fromUtf8(p.readAllStandardError());
    EXPECT_FALSE(errors.contains(QStringLiteral("This plugin does not support"))) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("XDG_RUNTIME_DIR"))) << errors.toStdString();
}
#endif
