#pragma once
// What the lower layers need of the main window. The main window implements this and
// registers itself at start; tests register a fake. Lower layers never include the main
// window's own headers.
#include <QString>

class QLineEdit;
class QWidget;
class TableData;

class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;
    virtual QWidget* mainWidget() = 0;                       // may be null (headless)
    virtual bool OptionsActive() const = 0;
    virtual void SetOptionsActive(bool active) = 0;
    virtual void SetStatusMsg(const QString& text) = 0;
    virtual void ReleaseDatabase() = 0;
    virtual void RefreshDetailView() = 0;
    // The caption: the program's title, "BACKUP - " before it in backup-archive mode.
    virtual void SetAppTitle() {}

    // Prints a sale's rows (a data set of the sale's list "Articoli") as one fiscal receipt on
    // the register switched on. ok: true when the receipt was issued, or when none is due (a
    // negative total). Without a main window that prints receipts nothing is issued.
    virtual void Send_Scontrino(TableData& rows, bool& ok)
    {
        (void)rows;
        ok = false;
    }
    // The code box that scanned barcodes go to; null when the window that registered one
    // unloads.
    virtual void SetBarcodeControl(QLineEdit* box) { (void)box; }
};

// The registered main window, or null when none is (tools, tests without one).
MainWindowServices* mainWindowServices();
void setMainWindowServices(MainWindowServices* services);
