#pragma once
// A crash at a chosen moment: the work runs in a child process (a fork of the test) that is
// killed outright (SIGKILL: no destructor, no catch, no clean-up) at the chosen file
// operation, so that what it leaves on disk is exactly what a power cut or kill -9 leaves.
#include "base/FileOps.h"
#include <functional>

namespace testenv {

// The program's file operations, killing the process on entry to the `step`-th operation
// that changes a file (rename, remove, copy, write); the ones before it run as usual.
class KillingFileOps : public FileOps {
public:
    explicit KillingFileOps(int step) : m_step(step) { }
    bool copy(const QString& from, const QString& to) override;
    bool rename(const QString& from, const QString& to) override;
    bool remove(const QString& path) override;
    bool writeFile(const QString& path, const QByteArray& data) override;

private:
    void reached();
    int m_step;
    int m_calls = 0;
};

// Runs `work` in a forked child, which the work is expected to kill (raise(SIGKILL)) at the
// moment the test is about. True when the child died so; false when the work ended first (the
// child then exits by itself, whatever the work threw).
bool KilledInChild(const std::function<void()>& work);

// Runs `work` in a forked child with the program's file operations killing it at `step`.
// True when the child was killed there; false when the work ended before the step (the
// child then exits by itself, whatever the work threw).
bool KilledAtFileStep(int step, const std::function<void()>& work);

}   // namespace testenv
