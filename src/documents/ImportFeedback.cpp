#include "ImportFeedback.h"
#include "base/UiServices.h"
#include <algorithm>

ImportLoop::ImportLoop(ImportFeedback* feedback) : m_feedback(feedback ? feedback : &m_none) { }

void ImportLoop::setFeedback(ImportFeedback* feedback) { m_feedback = feedback ? feedback : &m_none; }

bool ImportLoop::checkpoint()
{
    m_feedback->letEventsRun();
    if (!m_stopRequested) return false;
    if (ui().msgBox(QStringLiteral("Vuoi interrompere? "), int(Msg::YesNo) | Msg::Question) == Msg::Yes) return true;
    m_stopRequested = false;
    return false;
}

namespace {
constexpr qint64 kPaceMs = 100;
}

ProgressPace::ProgressPace(qint64 total) : m_step(total > 0 ? std::max<qint64>(total / 100, 1) : 0) { m_clock.start(); }

bool ProgressPace::due(qint64 done)
{
    if ((m_step > 0 && done - m_last >= m_step) || m_clock.elapsed() >= kPaceMs) {
        m_last = done;
        m_clock.restart();
        return true;
    }
    return false;
}
