#include "MainWindowCommands.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>

namespace {
enum KeyCodes : int {
    kEnter = 13,
    kInsert = 45,
    kDelete = 46,
    kDigit0 = 48,
    kDigit9 = 57,
    kLetterA = 65,
    kLetterM = 77,
    kLetterZ = 90,
    kPad0 = 96,
    kPad9 = 105,
    kPadPlus = 107,
};
constexpr int kShiftCtrlAlt = 7;
}   // namespace

std::optional<int> MainWindowCommands::SearchColumn(const QString& findTag)
{
    bool numeric = false;
    const double value = findTag.trimmed().toDouble(&numeric);
    if (!numeric) return std::nullopt;
    return int(value);
}

void MainWindowCommands::ToolbarClick(const QString& key, bool pressed, const QString& findTag, CommandTarget& target)
{
    if (key == u"New")
        target.FileNew();
    else if (key == u"Properties")
        target.FileProperties();
    else if (key == u"Delete")
        target.FileDelete();
    else if (key == u"Related")
        target.PopupRelated();
    else if (key == u"Save")
        target.SaveExport();
    else if (key == u"Filter")
        target.FilterButton();
    else if (key == u"Find") {
        if (const std::optional<int> column = SearchColumn(findTag))
            target.SearchColumn(*column, QString());
        else
            target.PopupSearch();
    } else if (key == u"Supply")
        target.NewSupply();
    else if (key == u"Sale")
        target.NewSale();
    else if (key == u"Print")
        target.PopupPrint();
    else if (key == u"BarcodeReader")
        target.SetBarcodeReader(pressed);
    else if (key == u"FiscalPrinter")
        target.SetFiscalPrinter(pressed);
    else if (key == u"Exit")
        target.CloseProgram();
}

int MainWindowCommands::KeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? kPad0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kEnter;
    case Qt::Key_Insert: return kInsert;
    case Qt::Key_Delete: return kDelete;
    case Qt::Key_Plus: return keypad ? kPadPlus : 0;
    default: return 0;
    }
}

int MainWindowCommands::ShiftState(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers m = event.modifiers();
    return (m.testFlag(Qt::ShiftModifier) ? 1 : 0) | (m.testFlag(Qt::ControlModifier) ? 2 : 0)
        | (m.testFlag(Qt::AltModifier) ? 4 : 0);
}

bool MainWindowCommands::KeyDown(int keyCode, int shift, const QString& findTag, CommandTarget& target)
{
    if (keyCode == kLetterM && shift == kShiftCtrlAlt) {
        target.AssignSuppliersFromMarkers();
        return true;
    }
    if (shift != 0) return false;
    if (keyCode == kInsert || keyCode == kPadPlus) {
        target.FileNew();
        return true;
    }
    if (keyCode == kDelete) {
        target.FileDelete();
        return true;
    }
    if (keyCode == kEnter) {
        target.OpenSelectedRow();
        return true;
    }
    const bool letter = keyCode >= kLetterA && keyCode <= kLetterZ;
    const bool digit = keyCode >= kDigit0 && keyCode <= kDigit9;
    const bool padDigit = keyCode >= kPad0 && keyCode <= kPad9;
    if (!letter && !digit && !padDigit) return false;
    // Typing on the window starts a search on the last searched column, the key already typed.
    const std::optional<int> column = SearchColumn(findTag);
    if (!column) return false;
    const QChar typed = padDigit ? QChar(keyCode - kDigit0) : QChar(keyCode);
    target.SearchColumn(*column, QString(typed));
    return true;
}

void MainWindowCommands::HelpContents(const QString& helpFile, const QString& caption)
{
    if (helpFile.isEmpty()) {
        ui().msgBox(QString::fromLatin1(kNoHelp), Msg::Information, caption);
        return;
    }
    if (!ui().openUrl(helpFile))
        ui().msgBox(QStringLiteral("Impossibile visualizzare la guida <") + helpFile + QStringLiteral(">"), Msg::OKOnly,
                    caption);
}

QString MainWindowCommands::ProgramHelpFile()
{
    const QString path = BuildFilePath(AppFolder(), AppTitle(), QStringLiteral("html"));
    return QFileInfo::exists(path) ? path : QString();
}

QString MainWindowCommands::SupportRequestLink(const QString& address, const QString& messageTitle)
{
    const auto encoded = [](const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); };
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=")
        + encoded(messageTitle + QStringLiteral(" - Richiesta di supporto")) + QStringLiteral("&body=")
        + encoded(QStringLiteral("DATI DELLA RICHIESTA:"));
}
