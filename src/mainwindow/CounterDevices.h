#pragma once
// The main window's counter devices as one object: the device switches, the barcode input
// on the reader's port, the fiscal receipt service and the label and receipt print
// commands. The main window owns one, binds its toolbar and menu to the switches' state,
// and registers it as the CounterServices the sale, supply and article windows call.
#include "BarcodeInput.h"
#include "core/seams/CounterServices.h"
#include "DeviceSwitches.h"
#include "LabelPrinting.h"
#include "operations/ReceiptService.h"

#include <QList>
#include <functional>
#include <memory>

class CounterDevices final : public CounterServices {
public:
    // What the label command prints: the view shown and the rows selected in its grid.
    struct Selection {
        TableData* shown = nullptr;
        QList<qint64> selected;
        // Kept while the labels print: the window's hold on the shown rows.
        std::shared_ptr<void> hold;
    };
    using SelectionSource = std::function<Selection()>;

    explicit CounterDevices(SelectionSource selection = {}, ReceiptService receipts = ReceiptService(),
                            LabelPrinting labels = LabelPrinting());
    ~CounterDevices() override;

    DeviceSwitches& Switches() { return m_switches; }
    BarcodeInput& Barcode() { return m_barcode; }
    ReceiptService& Receipts() { return m_receipts; }
    LabelPrinting& Labels() { return m_labels; }

    bool Send_Scontrino(TableData& rows) override { return m_receipts.Send_Scontrino(rows); }
    void SetBarcodeControl(std::shared_ptr<BarcodeTarget> box) override { m_barcode.SetBarcodeControl(std::move(box)); }
    void SetFiscalPrinter(bool on) override { m_switches.SetFiscalPrinter(on); }
    void SetBarcodeReader(bool on) override { m_switches.SetBarcodeReader(on); }
    void SetBalance(bool on) override { m_switches.SetBalance(on); }
    void mnuPrintLabel_Click() override;

private:
    DeviceSwitches m_switches;
    BarcodeInput m_barcode;
    ReceiptService m_receipts;
    LabelPrinting m_labels;
    SelectionSource m_selection;
};
