#include "core/lifecycle/SingleInstance.h"
#include "TestEnvironment.h"
#include <QFile>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstReleases)
{
    const QString dir = testenv::newDir(QStringLiteral("lock"));
    SingleInstanceLock first(dir);
    SingleInstanceLock second(dir);
    EXPECT_TRUE(first.TryAcquire());
    EXPECT_TRUE(first.TryAcquire());   // holding it already
    EXPECT_FALSE(second.TryAcquire());
    first.Release();
    EXPECT_TRUE(second.TryAcquire());
}

TEST(SingleInstanceLock, HolderThatDiedLeavesNoLockBehind)
{
    const QString dir = testenv::newDir(QStringLiteral("lock"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Takes the lock and dies without releasing it, as a killed copy would.
        SingleInstanceLock lock(dir);
        _exit(lock.TryAcquire() ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SingleInstanceLock next(dir);
    ASSERT_TRUE(QFile::exists(next.LockPath()));   // the dead copy's file is still there
    EXPECT_TRUE(next.TryAcquire());
}
