#pragma once
// The SAX register on its line: STX command check ETX, the check the XOR of STX and the
// command in hexadecimal; "F" resets the sequence, every other command carries the next
// three-digit number. ACK accepts, NAK refuses a bad check, CR refuses a number out of turn.
#include "RegisterSimulator.h"

class SaxSimulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("sax"); }

protected:
    std::optional<Taken> take(QByteArray& pending) override;

private:
    int m_expectedSequence = 0;
};
