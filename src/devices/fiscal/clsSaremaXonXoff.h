#pragma once
// Sarema register (type 10): key sequences written as they are, no framing and no answer;
// the register paces the line with XON/XOFF. The only family with a message line and a
// customer display.
#include "SerialRegisterDriver.h"

class clsSaremaXonXoff : public SerialRegisterDriver {
public:
    clsSaremaXonXoff();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;
    void SendMessage(const QString& text) override;
    void SendDisplay(const QString& text) override;

private:
    bool SendCmd(const QByteArray& command);
};
