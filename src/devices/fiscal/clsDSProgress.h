#pragma once
// DSProgress register (type 8): key commands in plain text beginning with K, each ended by
// CR, answered by a text that ends with EOT CR.
#include "SerialRegisterDriver.h"

class clsDSProgress : public SerialRegisterDriver {
public:
    clsDSProgress();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

    // The register has department keys 0 to 9 only.
    static constexpr int kLastDepartment = 9;
    static QByteArray DepartmentKey(int department);

private:
    bool DSP_SendCmd(const QByteArray& command);
    bool DSP_ReadData(QByteArray& reply);
};
