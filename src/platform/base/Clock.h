#pragma once
#include <QDateTime>
#include <cstdint>
#include <memory>

// Time as the program sees it. Injected so that midnight, long waits and dated rules
// can be tested.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;   // local wall-clock time
    QDate today() const { return now().date(); }
    virtual int64_t monotonicMs() const = 0;   // never jumps back, unaffected by midnight
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    int64_t monotonicMs() const override;
};

// A clock the test moves by hand; monotonic time advances with every move.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    QDateTime now() const override { return m_now; }
    int64_t monotonicMs() const override { return m_mono; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceMs(int64_t ms)
    {
        m_now = m_now.addMSecs(ms);
        m_mono += ms;
    }

private:
    QDateTime m_now;
    int64_t m_mono = 0;
};

// The clock the program uses; SystemClock unless a test installs another.
Clock& appClock();
void setAppClock(std::shared_ptr<Clock> c);
