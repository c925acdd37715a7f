#pragma once
// SAX register (type 7): STX command check ETX frames, where the check is the XOR of STX
// and the command's bytes in hexadecimal; every command after the counter reset carries a
// three-digit sequence number.
#include "SerialRegisterDriver.h"

// The frame of a command: STX, the command, the check (upper-case hexadecimal without
// leading zeros, so one digit below 16), ETX.
QByteArray SaxBuildFrame(const QByteArray& command);

class clsOmegaSAX : public SerialRegisterDriver {
public:
    clsOmegaSAX();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

private:
    bool SaxSendCommand(const QByteArray& command);
    bool SaxReadReply();
    QByteArray SaxNumberCommand(const QByteArray& command);

    int m_sequence = 0;
};
