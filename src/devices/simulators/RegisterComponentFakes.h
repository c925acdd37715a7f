#pragma once
// The makers' register software played from a script, for the tests and the developer's
// tool: while a FakeRegisterComponents lives, the RCH, RCH Nucleo and ELA components and
// the SID register program's DDE link are its fakes. Every call a driver makes is logged
// as one line of text, in order, with what the fake answered:
//   Mode = 1                                      a property set
//   RCHSend("100", ["12001202", ""], "") = 1001   a call and its result
//   RCHResult(mStatus = 1010)                     an event the component raised
//   Execute("[CASH]") -> error 282                a call that raised
// Every call succeeds unless the script says otherwise; an RCH command the component
// accepts is reported carried out (1010) on the next turn of the event loop.
#include "base/AppError.h"
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class FakeRegisterComponents {
public:
    // When the RCH component reports a command's result: on the next turn of the event
    // loop, as a register does, or already while the command is handed over.
    enum class Delivery { Later, DuringSend };

    FakeRegisterComponents();   // installs the fakes as the components' back-ends
    ~FakeRegisterComponents();   // restores the production back-ends
    FakeRegisterComponents(const FakeRegisterComponents&) = delete;
    FakeRegisterComponents& operator=(const FakeRegisterComponents&) = delete;

    QStringList calls() const;
    void clearCalls();
    // Called with each line as it is logged.
    void setObserver(std::function<void(const QString&)> observer);

    // The next call named `call` ("RCHSend", "PrintRecItem", "DevOpen", ...) answers
    // `result`. Queued per name, one call each.
    void answerNext(const QString& call, int32_t result);
    // What the RCH register reports for the next command the component accepts; nullopt:
    // nothing, ever (a register that never completes). Queued, one command each.
    void reportNext(std::optional<int32_t> status);
    void setReportDelivery(Delivery delivery);
    // RCH Nucleo: the reason it gives for failed calls, and its own description.
    void setResultCodes(int32_t code, int32_t extended);
    void setDeviceDescription(const QString& description);
    // The DDE link: the next call named `call` ("Open", "Execute") raises `error`.
    void failNext(const QString& call, const AppError& error);

    struct State;

private:
    std::shared_ptr<State> m_state;
};
