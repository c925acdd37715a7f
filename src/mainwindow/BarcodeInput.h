#pragma once
// The serial barcode reader's input: each line the reader sends is shown in the status bar
// and put, with one CR, into the code box a document window registered, when that window is
// the one the operator works in; otherwise the reader beeps and the code goes nowhere.
// Codes go as read: the article search applies the user's filter on its own.
#include <QMetaObject>
#include <memory>

class BarcodeTarget;
class SerialChannel;

class BarcodeInput {
public:
    // Reads `port` at each of its receive events; the port is opened and closed elsewhere
    // (DeviceSwitches) and must outlive this object.
    explicit BarcodeInput(SerialChannel& port);
    ~BarcodeInput();
    BarcodeInput(const BarcodeInput&) = delete;
    BarcodeInput& operator=(const BarcodeInput&) = delete;

    void SetBarcodeControl(std::shared_ptr<BarcodeTarget> box) { m_target = std::move(box); }
    const std::shared_ptr<BarcodeTarget>& BarcodeControl() const { return m_target; }

    // Delivers every complete line waiting on the port, in order; a line still without its
    // end waits for it. Pending events run between lines, so a receive event may arrive
    // while this runs: that nested call returns at once, and this one reads what came.
    void MSComm_OnComm();

private:
    void deliver(const QString& code);

    SerialChannel& m_port;
    std::shared_ptr<BarcodeTarget> m_target;
    bool m_receiving = false;
    QMetaObject::Connection m_connection;
};
