#include "ImportFeedback.h"
#include "UiServices.h"

ImportLoop::ImportLoop(ImportFeedback* feedback) : m_feedback(feedback ? feedback : &m_none) {}

void ImportLoop::setFeedback(ImportFeedback* feedback)
{
    m_feedback = feedback ? feedback : &m_none;
}

bool ImportLoop::checkpoint()
{
    m_feedback->letEventsRun();
    if (!m_stopRequested)
        return false;
    if (ui().msgBox(QStringLiteral("Vuoi interrompere? "), int(Msg::YesNo) | Msg::Question) == Msg::Yes)
        return true;
    m_stopRequested = false;
    return false;
}
