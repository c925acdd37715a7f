// What the main window's toolbar clicks and keys run, and the small commands of its help menu.
#include "mainwindow/MainWindowCommands.h"
#include "base/UiServices.h"
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

// Records each command as a line.
class Recorder final : public CommandTarget {
public:
    QStringList calls;
    void FileNew() override { calls << "FileNew"; }
    void FileProperties() override { calls << "FileProperties"; }
    void FileDelete() override { calls << "FileDelete"; }
    void OpenSelectedRow() override { calls << "OpenSelectedRow"; }
    void PopupRelated() override { calls << "PopupRelated"; }
    void SaveExport() override { calls << "SaveExport"; }
    void FilterButton() override { calls << "FilterButton"; }
    void SearchColumn(int column, const QString& typed) override
    {
        calls << QStringLiteral("SearchColumn %1 '%2'").arg(column).arg(typed);
    }
    void PopupSearch() override { calls << "PopupSearch"; }
    void NewSupply() override { calls << "NewSupply"; }
    void NewSale() override { calls << "NewSale"; }
    void PopupPrint() override { calls << "PopupPrint"; }
    void SetBarcodeReader(bool on) override { calls << QStringLiteral("SetBarcodeReader %1").arg(on); }
    void SetFiscalPrinter(bool on) override { calls << QStringLiteral("SetFiscalPrinter %1").arg(on); }
    void CloseProgram() override { calls << "CloseProgram"; }
    void AssignSuppliersFromMarkers() override { calls << "AssignSuppliersFromMarkers"; }
};

}   // namespace

TEST(MainWindowCommands, ToolbarButtonsRunTheirCommands)
{
    struct Case {
        const char* key;
        bool pressed;
        const char* findTag;
        const char* call;
    };
    const Case cases[] = {
        {"New", false, "", "FileNew"},
        {"Properties", false, "", "FileProperties"},
        {"Delete", false, "", "FileDelete"},
        {"Related", false, "", "PopupRelated"},
        {"Save", false, "", "SaveExport"},
        {"Filter", false, "", "FilterButton"},
        {"Find", false, "3", "SearchColumn 3 ''"},
        {"Find", false, "", "PopupSearch"},
        {"Find", false, "Descrizione", "PopupSearch"},
        {"Supply", false, "", "NewSupply"},
        {"Sale", false, "", "NewSale"},
        {"Print", false, "", "PopupPrint"},
        {"BarcodeReader", true, "", "SetBarcodeReader 1"},
        {"BarcodeReader", false, "", "SetBarcodeReader 0"},
        {"FiscalPrinter", true, "", "SetFiscalPrinter 1"},
        {"FiscalPrinter", false, "", "SetFiscalPrinter 0"},
        {"Exit", false, "", "CloseProgram"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Recorder r;
        MainWindowCommands::ToolbarClick(QString::fromLatin1(c.key), c.pressed, QString::fromLatin1(c.findTag), r);
        EXPECT_EQ(r.calls, QStringList {QString::fromLatin1(c.call)});
    }
    Recorder none;
    MainWindowCommands::ToolbarClick(QStringLiteral("Sconosciuto"), false, QString(), none);
    EXPECT_TRUE(none.calls.isEmpty());
}

TEST(MainWindowCommands, EveryToolbarKeyIsDispatched)
{
    for (const ToolbarButtonEntry& b : kToolbarButtons) {
        SCOPED_TRACE(b.key);
        Recorder r;
        MainWindowCommands::ToolbarClick(QString::fromLatin1(b.key), false, QString(), r);
        EXPECT_EQ(r.calls.size(), 1);
    }
}

TEST(MainWindowCommands, KeysOfTheWindow)
{
    struct Case {
        int keyCode;
        int shift;
        const char* findTag;
        const char* call;   // nullptr: the key goes on to the control
    };
    const Case cases[] = {
        {45, 0, "", "FileNew"},   // Insert
        {107, 0, "", "FileNew"},   // keypad +
        {46, 0, "", "FileDelete"},
        {13, 0, "", "OpenSelectedRow"},
        {65, 0, "3", "SearchColumn 3 'A'"},   // a letter starts the search, capital
        {55, 0, "3", "SearchColumn 3 '7'"},
        {101, 0, "3", "SearchColumn 3 '5'"},   // keypad 5 types the digit
        {65, 0, "", nullptr},   // before any search the key does nothing here
        {45, 1, "", nullptr},   // with a modifier nothing is taken
        {46, 2, "", nullptr},
        {77, 7, "", "AssignSuppliersFromMarkers"},   // Ctrl+Shift+Alt+M
        {77, 3, "", nullptr},
        {112, 0, "3", nullptr},   // F1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keyCode << " shift " << c.shift);
        Recorder r;
        const bool taken = MainWindowCommands::KeyDown(c.keyCode, c.shift, QString::fromLatin1(c.findTag), r);
        EXPECT_EQ(taken, c.call != nullptr);
        EXPECT_EQ(r.calls, c.call ? QStringList {QString::fromLatin1(c.call)} : QStringList());
    }
}

TEST(MainWindowCommands, QtKeysReadAsTheClassicCodes)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
        int shift;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 65, 0},
        {Qt::Key_M, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 77, 7},
        {Qt::Key_5, Qt::KeypadModifier, 101, 0},
        {Qt::Key_5, Qt::NoModifier, 53, 0},
        {Qt::Key_Plus, Qt::KeypadModifier, 107, 0},
        {Qt::Key_Plus, Qt::NoModifier, 0, 0},
        {Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
        {Qt::Key_Return, Qt::NoModifier, 13, 0},
        {Qt::Key_Insert, Qt::NoModifier, 45, 0},
        {Qt::Key_Delete, Qt::ControlModifier, 46, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const QKeyEvent e(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(MainWindowCommands::KeyCode(e), c.code);
        EXPECT_EQ(MainWindowCommands::ShiftState(e), c.shift);
    }
}

TEST(MainWindowCommands, HelpWithoutAFileSaysSo)
{
    auto prompts = std::make_shared<ScriptedUiServices>();
    setUiServices(prompts);
    MainWindowCommands::HelpContents(QString(), QStringLiteral("Mirtavolia"));
    EXPECT_EQ(prompts->log(),
              QStringList {QStringLiteral("MSGBOX: ") + QString::fromLatin1(MainWindowCommands::kNoHelp)});
    setUiServices(nullptr);
}

TEST(MainWindowCommands, SupportLinkHasTheSubjectAndBodyEncoded)
{
    EXPECT_EQ(
        MainWindowCommands::SupportRequestLink(QStringLiteral("assistenza@example.it"), QStringLiteral("Cassa & Co")),
        QStringLiteral("mailto:assistenza@example.it?subject=Cassa%20%26%20Co%20-%20Richiesta%20di%20supporto"
                       "&body=DATI%20DELLA%20RICHIESTA%3A"));
}
