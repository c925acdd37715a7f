#pragma once
// ELLISSE register (type 3) worked as its keyboard: every key press is one frame.
#include "SerialRegisterDriver.h"

class clsEllisse : public SerialRegisterDriver {
public:
    clsEllisse();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

    // The keys: digits and the decimal separator by their character, departments by number.
    static QByteArray CharacterKey(QChar c);
    static QByteArray DepartmentKey(int department);

private:
    bool sendKey(const QByteArray& key);
};
