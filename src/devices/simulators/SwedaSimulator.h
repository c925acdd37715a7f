#pragma once
// The SWEDA register on its line: commands beginning with KX, ended by CR; EOT CR when
// carried out, an error code (E6, wrong sequence, for anything it does not know) otherwise.
#include "RegisterSimulator.h"

class SwedaSimulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("sweda"); }

protected:
    std::optional<Taken> take(QByteArray& pending) override;
};
