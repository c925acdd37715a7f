#include "KilledChild.h"
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace testenv {

void KillingFileOps::reached()
{
    if (++m_calls == m_step) ::raise(SIGKILL);
}

bool KillingFileOps::copy(const QString& from, const QString& to)
{
    reached();
    return FileOps::copy(from, to);
}

bool KillingFileOps::rename(const QString& from, const QString& to)
{
    reached();
    return FileOps::rename(from, to);
}

bool KillingFileOps::remove(const QString& path)
{
    // Removing what is not there changes nothing: not a step.
    if (!exists(path)) return FileOps::remove(path);
    reached();
    return FileOps::remove(path);
}

bool KillingFileOps::writeFile(const QString& path, const QByteArray& data)
{
    reached();
    return FileOps::writeFile(path, data);
}

bool KilledInChild(const std::function<void()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            work();
        } catch (...) { }
        ::_exit(0);   // no exit handlers of the test in the child
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

bool KilledAtFileStep(int step, const std::function<void()>& work)
{
    return KilledInChild([&] {
        setFileOps(std::make_shared<KillingFileOps>(step));
        work();
    });
}

}   // namespace testenv
