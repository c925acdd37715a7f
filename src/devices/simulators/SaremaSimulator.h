#pragma once
// The Sarema register on its line: key sequences with no framing and no answer ("K",
// "1T", quoted rows, messages and display texts, "9M" before a return). While it works on
// a sequence it may hold the line with XOFF and release it with XON.
#include "RegisterSimulator.h"
#include <atomic>

class SaremaSimulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("sarema"); }

    // After each sequence: XOFF at once, XON `ms` later (0: the line is never held).
    void setBusyMs(int ms) { m_busyMs = ms; }

protected:
    std::optional<Taken> take(QByteArray& pending) override;

private:
    SimulatorOutput pacing() const;
    std::atomic<int> m_busyMs {0};
};
