#pragma once
// CRF4600 register (type 0): STX command ETX, a pause before each command, the register's
// answer acknowledged. Sale rows and return rows print on separate receipts, so the driver
// closes and reopens the receipt when the kind of row changes.
#include "SerialRegisterDriver.h"

class clsCRF4600 : public SerialRegisterDriver {
public:
    clsCRF4600();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

    bool returnMode() const { return m_returnMode; }

    // The line command of a row (without framing); the amount is already rounded.
    static QByteArray LineCommand(Currency roundedPrice, int quantity, const QString& description,
                                  int descriptionLength);
    // A length-prefixed field: the character 32 + length, then the text.
    static QByteArray Field(const QByteArray& text);
    // "2.5", ".5", "3": point, no trailing zeros, no 0 before the point.
    static QByteArray AmountText(Currency value);

private:
    bool CrfSendCommand(const QByteArray& command);
    bool CrfOpenReceipt(bool returnMode);
    bool CrfCloseReceipt();
    bool CrfCancelReceipt();
    bool CrfSendItem(Currency price, int16_t quantity, const QString& description);

    bool m_returnMode = false;
};
