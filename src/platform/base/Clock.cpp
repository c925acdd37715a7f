#include "Clock.h"
#include <QElapsedTimer>

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

int64_t SystemClock::monotonicMs() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

ManualClock::ManualClock(QDateTime start) : m_now(std::move(start)) { }

namespace {
std::shared_ptr<Clock>& current()
{
    static std::shared_ptr<Clock> c = std::make_shared<SystemClock>();
    return c;
}
}

Clock& appClock() { return *current(); }
void setAppClock(std::shared_ptr<Clock> c) { current() = c ? std::move(c) : std::make_shared<SystemClock>(); }
