#pragma once
// The operator's toolbar clicks and keys on the main window, routed to the commands; and the
// small commands of the help menu. The window owns the buttons and menus and serves
// CommandTarget; what a click or a key runs is decided here.
#include <QString>
#include <array>
#include <optional>

class QKeyEvent;

struct ToolbarButtonEntry {
    const char* caption;
    const char* key;
    const char* toolTip;
    bool twoState;   // pressed means on
};

// The toolbar, in order.
inline constexpr std::array<ToolbarButtonEntry, 13> kToolbarButtons {{
    {"Nuovo", "New", "Nuovo", false},
    {"Vis./Mod.", "Properties", "Modifica", false},
    {"Elimina", "Delete", "Elimina", false},
    {"Associati", "Related", "Dati associati all'elemento selezionto", false},
    {"Salva/Esporta", "Save", "Salva / Esporta dati", false},
    {"Filtra", "Filter", "Filtra per selezionare una parte di dati", false},
    {"Cerca", "Find", "Cerca (F3 per successivo)", false},
    {"Fornitura", "Supply", "Fornitura Articoli", false},
    {"Vendita", "Sale", "Vendita Articoli", false},
    {"Stampa", "Print", "Stampa", false},
    {"Barcode", "BarcodeReader", "Attiva / Disattiva il lettore codici a barre seriale", true},
    {"Cassa", "FiscalPrinter", "Attiva / Disattiva il registratore di cassa", true},
    {"Esci", "Exit", "Chiude l'applicazione", false},
}};

// What the toolbar and the keys reach on the main window.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual void FileNew() = 0;   // "&Nuovo..."
    virtual void FileProperties() = 0;   // "Visualizza / &Modifica..."
    virtual void FileDelete() = 0;   // "&Elimina"
    virtual void OpenSelectedRow() = 0;   // the grid's double click
    virtual void PopupRelated() = 0;   // "Dati &associati"
    virtual void SaveExport() = 0;   // "&Esporta dati..."
    virtual void FilterButton() = 0;   // the Filter button's state, then its menu
    virtual void SearchColumn(int column, const QString& typed) = 0;   // the search dialog on a column
    virtual void PopupSearch() = 0;   // "&Cerca"
    virtual void NewSupply() = 0;
    virtual void NewSale() = 0;
    virtual void PopupPrint() = 0;
    virtual void SetBarcodeReader(bool on) = 0;
    virtual void SetFiscalPrinter(bool on) = 0;
    virtual void CloseProgram() = 0;   // "Chiudi": unloads the main window
    virtual void AssignSuppliersFromMarkers() = 0;
};

namespace MainWindowCommands {

// A toolbar button clicked; `pressed`: the two-state button's state after the click.
// `findTag`: the Find button's tag (a search column's number, or anything else when the view
// has no searchable field). Unknown keys do nothing.
void ToolbarClick(const QString& key, bool pressed, const QString& findTag, CommandTarget& target);

// Key codes and shift state as the classic key events carry them: shift 1, ctrl 2, alt 4.
int KeyCode(const QKeyEvent& event);
int ShiftState(const QKeyEvent& event);

// A key pressed anywhere in the main window, before its controls see it. True when the key
// was taken (the control does not get it).
bool KeyDown(int keyCode, int shift, const QString& findTag, CommandTarget& target);

// The Find button's tag as a column number; nothing when it holds none.
std::optional<int> SearchColumn(const QString& findTag);

// ---- Help menu ------------------------------------------------------------------------------
// "&Sommario": opens the help file; without one, the English notice under `caption`.
inline constexpr const char* kNoHelp
    = "Unable to display Help Contents. There is no Help associated with this project.";
void HelpContents(const QString& helpFile, const QString& caption);
// The help file shipped beside the program, empty when there is none.
QString ProgramHelpFile();
// "Richiesta di Supporto...": the mail link to the support address.
QString SupportRequestLink(const QString& address, const QString& messageTitle);

}   // namespace MainWindowCommands
