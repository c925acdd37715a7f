#pragma once
// What the RCH G600 and G1200/G2000 drivers share: the maker's component, a receipt as
// commands of key codes, and the wait for the register to report each command carried out.
// A command counts only when the register says it is done: a status the register reports
// instead is raised, and so is silence beyond the time-out (status 521).
#include "RegisterComponents.h"
#include "itfFiscalPrinter.h"
#include <memory>

class RchRegisterDriver : public itfFiscalPrinter {
public:
    ~RchRegisterDriver() override;
    RchRegisterDriver(const RchRegisterDriver&) = delete;
    RchRegisterDriver& operator=(const RchRegisterDriver&) = delete;

    // Opens the component's line and starts the receipt with the session key.
    void NewSession(int16_t decimals) override;
    // The end key, then the line is closed. A failure leaves the line open until the next
    // NewSession or SetParameters.
    void EndSession() override;
    // The void key, then the line is closed.
    void CancelSession() override;
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }
    // (0) port number, (1) speed code; the line is closed and opens at the next receipt.
    void SetParameters(const QVariantList& params) override;

    RchEcrComponent& RCHComm() { return *m_comm; }
    const RchEcrComponent& RCHComm() const { return *m_comm; }
    // The last status: of the last call, or what the register reported for the last command.
    int32_t Status() const { return m_status; }

    // The keys of the model's keyboard, as key codes.
    QString KeyOfChar(QChar c) const;
    QString DepartmentKey(int department) const;

protected:
    struct Keys {
        int digitZero;   // digits 0-9 follow it
        int separator;   // "," or "." of an amount
        int departmentZero;   // department n is departmentZero + n
        int returnKey;
        int sessionKey;   // starts a receipt after opening, and voids one
        int endKey;
    };
    RchRegisterDriver(const QString& description, int model, Keys keys);

    // Hands the command over and waits until the register has carried it out.
    [[nodiscard]] bool RchSendCommand(const QString& command);
    // The register has finished the command it reports `status` for.
    virtual bool IsCompleted(int32_t status) const { return status == 1010; }
    // The register is still on the command.
    virtual bool IsInProgress(int32_t status) const;
    // The key codes of every character of the amount's digits.
    QString AmountKeys(const QString& amount) const;
    // Raises the current status: its number over kObjectErrorBase and its text.
    [[noreturn]] void RaiseDriverError() const;

    int16_t decimals() const { return m_decimals; }
    const Keys& keys() const { return m_keys; }

private:
    [[nodiscard]] bool RchWaitResult();
    void OnRchResult(const QString& event, const QVariantMap& parameters);

    std::unique_ptr<RchEcrComponent> m_comm;
    Keys m_keys;
    int32_t m_status = 0;
    // What the register's event reported for the command under way; reset before the
    // command is handed over, so a report that comes during the handing over counts.
    int32_t m_reported = 0;
    int16_t m_decimals = 0;
};
