#pragma once
// The DSProgress register on its line: key commands beginning with K, ended by CR, each
// answered with EOT CR.
#include "RegisterSimulator.h"

class DsProgressSimulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("dsprogress"); }

protected:
    std::optional<Taken> take(QByteArray& pending) override;
};
