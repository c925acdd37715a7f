#pragma once
// ELLISSE register (type 4) in its extended on-line mode: each row is a sale record that
// the register confirms in two phases; frames the register sends on its own are answered.
#include "SerialRegisterDriver.h"

class clsEllisseExt : public SerialRegisterDriver {
public:
    clsEllisseExt();
    ~clsEllisseExt() override;

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

    // The records, as the register reads them.
    static QByteArray SaleRecord(char flag, const QString& amount, int department, int quantity);
    static QByteArray DescriptionRecord(const QString& cleanedDescription);
    static QByteArray ClosingRecord();
    static QByteArray CancellingRecord();

private:
    void onReceived();
    // Runs one exchange with the busy flag set, so the receive handler stands aside.
    bool exchange(const std::function<bool(QByteArray&)>& run);

    bool m_busy = false;
    bool m_firstRow = true;
};
