#pragma once
// The CRF4600 register on its line: STX command ETX, answered with STX status ETX, which
// the program acknowledges with ACK.
#include "RegisterSimulator.h"

class Crf4600Simulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("crf4600"); }

protected:
    std::optional<Taken> take(QByteArray& pending) override;
};
