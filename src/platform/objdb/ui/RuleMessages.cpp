#include "RuleMessages.h"
#include "objdb/Database.h"

RuleMessages::RuleMessages(Database& db, std::function<void(const QString&, bool)> show)
    : m_db(db), m_previous(db.Sink()), m_show(std::move(show))
{
    m_db.SetSink(this);
}

RuleMessages::~RuleMessages() { m_db.SetSink(m_previous); }

void RuleMessages::OnEvent(int action, const QString& source, const QString& detail)
{
    if (m_previous) m_previous->OnEvent(action, source, detail);
}
void RuleMessages::OnInternalMessage(const QString& source, const QString& detail)
{
    if (m_previous) m_previous->OnInternalMessage(source, detail);
}
void RuleMessages::OnQueryMessage(const QString& source, int type, const QString& message, bool& cancel)
{
    if (m_previous) m_previous->OnQueryMessage(source, type, message, cancel);
}
void RuleMessages::OnReportRequest(const QString& func, const QString& title, const QString& details)
{
    if (m_previous) m_previous->OnReportRequest(func, title, details);
}
void RuleMessages::OnRefusal(const QString&, const QString& message)
{
    m_refused = true;
    m_show(message, true);
}
void RuleMessages::OnWarning(const QString&, const QString& message) { m_show(message, false); }
