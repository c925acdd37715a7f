#pragma once
// While a library window changes rows, the refusals and warnings of the table rules are shown
// by the window itself (a message box, and its own message line) instead of the database's
// usual sink, so the operator sees each once, over the window that stays open to be put
// right. Every other notification goes on to the usual sink.
#include "objdb/Notify.h"
#include <QString>
#include <functional>

class Database;

class RuleMessages final : public itfNotifyEvent {
public:
    // show(text, refusal): refusal true for a refusal, false for a warning.
    RuleMessages(Database& db, std::function<void(const QString&, bool)> show);
    ~RuleMessages() override;
    RuleMessages(const RuleMessages&) = delete;
    RuleMessages& operator=(const RuleMessages&) = delete;

    bool refused() const { return m_refused; }

    void OnEvent(int action, const QString& source, const QString& detail) override;
    void OnInternalMessage(const QString& source, const QString& detail) override;
    void OnQueryMessage(const QString& source, int type, const QString& message, bool& cancel) override;
    void OnReportRequest(const QString& func, const QString& title, const QString& details) override;
    void OnRefusal(const QString& source, const QString& message) override;
    void OnWarning(const QString& source, const QString& message) override;

private:
    Database& m_db;
    itfNotifyEvent* m_previous;
    std::function<void(const QString&, bool)> m_show;
    bool m_refused = false;
};
