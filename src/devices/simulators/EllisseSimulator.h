#pragma once
// The ELLISSE register on its line: every valid frame is acknowledged, a frame with a
// wrong check refused; records of code 70 and above also get their result in a frame of
// the register's own, which the program acknowledges and closes with "000".
#include "RegisterSimulator.h"
#include <atomic>

class EllisseSimulator final : public RegisterSimulator {
public:
    QString name() const override { return QStringLiteral("ellisse"); }

    // The status character of the results that follow ('0': carried out).
    void setResultStatus(char status);
    // A frame as the register writes it (its own check computation).
    static QByteArray frame(const QByteArray& text);
    // A frame the register sends on its own: the program acknowledges it, and closes the
    // exchange with "000" unless the text begins with 00, 88 or 89.
    QByteArray unsolicited(const QByteArray& text);

protected:
    std::optional<Taken> take(QByteArray& pending) override;
    void answerReplaced() override { m_state = State::Idle; }

private:
    enum class State { Idle, AwaitingAcknowledgement, AwaitingClose };
    State m_state = State::Idle;
    QByteArray m_expectedAcknowledgement;
    std::atomic<char> m_resultStatus {'0'};
};
