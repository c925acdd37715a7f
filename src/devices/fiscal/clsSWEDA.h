#pragma once
// SWEDA register (type 11): plain-text commands beginning with KX, each ended by CR; the
// answer ends with CR, holds EOT when the command was carried out, and otherwise the
// register's error code, whose text goes into the error message.
#include "SerialRegisterDriver.h"

class clsSWEDA : public SerialRegisterDriver {
public:
    clsSWEDA();

    void NewSession(int16_t decimals) override;
    void EndSession() override;
    void CancelSession() override;
    void SendData(Currency price, int16_t quantity, const QString& description, int16_t department) override;

    // The operator's text for a register answer: the text of its error code, "Comando
    // eseguito con successo" for a plain EOT answer, else empty.
    static QString GetErrDescription(const QByteArray& answer);

private:
    // Sends one command; `answerText` gets what to tell the operator about the answer.
    bool SendCmd(const QByteArray& command, QString& answerText);
    bool ReadData(QString& answerText);
};
