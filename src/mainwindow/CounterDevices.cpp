#include "CounterDevices.h"

CounterDevices::CounterDevices(SelectionSource selection, ReceiptService receipts, LabelPrinting labels)
    : m_barcode(m_switches.BarcodeReaderPort()), m_receipts(std::move(receipts)), m_labels(std::move(labels)),
      m_selection(std::move(selection))
{ }

CounterDevices::~CounterDevices()
{
    if (counterServices() == this) setCounterServices(nullptr);
}

void CounterDevices::mnuPrintLabel_Click()
{
    if (!m_selection) return;
    const Selection s = m_selection();
    m_labels.mnuPrintLabel_Click(s.shown, s.selected);
}
