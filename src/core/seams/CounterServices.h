#pragma once
// What the sale, supply and article windows need of the main window's counter devices:
// the fiscal receipt of a sale, the code box that scanned barcodes go to, the device
// switches and the label command. The main window registers the implementation at start;
// tests register a fake. Like MainWindowServices, it keeps the lower layers from including
// the main window's headers.
#include <QString>
#include <memory>

class TableData;

// Where a scanned code goes: the code box of a document window.
class BarcodeTarget {
public:
    virtual ~BarcodeTarget() = default;
    // The box's window is the active window and one of its controls has the focus, so a
    // code put into the box now lands where the operator is working. A box whose window is
    // behind another (a message box over the sale) must not take it.
    virtual bool CanReceive() const = 0;
    // Replaces the box's text with `text` (the code and one CR); the window takes it from
    // there, as if it had been typed.
    virtual void Receive(const QString& text) = 0;
};

// A line edit as barcode target: LineEditBarcodeTarget.h, beside the windows.

class CounterServices {
public:
    virtual ~CounterServices() = default;
    // Prints the sale's rows (a data set of the sale's list "Articoli") as one fiscal receipt
    // on the register switched on. True when the receipt was issued, and when none is due (a
    // negative total); false when it was not, after telling the operator why. The sale
    // itself is never touched: it stays recorded whatever the register does.
    [[nodiscard]] virtual bool Send_Scontrino(TableData& rows) = 0;
    // The code box that scanned codes go to; null when the window registering it unloads.
    virtual void SetBarcodeControl(std::shared_ptr<BarcodeTarget> box) = 0;
    virtual void SetFiscalPrinter(bool on) = 0;
    virtual void SetBarcodeReader(bool on) = 0;
    virtual void SetBalance(bool on) = 0;
    // Labels for the rows chosen in the main window's view (the article search selects its
    // articles there first).
    virtual void mnuPrintLabel_Click() = 0;
};

// The registered implementation, or null when none is (tools, tests without one).
CounterServices* counterServices();
void setCounterServices(CounterServices* services);
