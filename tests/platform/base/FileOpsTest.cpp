// The one checked write every file of the program goes through, and the paths no operation
// may take: a path holding a NUL would be read by the system only up to it, so each operation
// refuses it instead of working on the shorter name.
#include "base/FileOps.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(FileOpsWrite, ReplacesTheFileWholeOrNotAtAll)
{
    const QString dir = testenv::newDir(QStringLiteral("write"));
    const QString path = dir + QStringLiteral("/impostazioni.txt");
    testenv::writeFile(path, "the old content");
    FileOps ops;
    EXPECT_TRUE(ops.writeFile(path, "the new content"));
    EXPECT_EQ(testenv::readFile(path), QByteArray("the new content"));

    // A disk that takes the first bytes and then refuses (a size limit): short writes of every
    // size, above and below the buffers the writer could hide them in.
    for (const qsizetype size : {qsizetype(5000), qsizetype(100000)}) {
        SCOPED_TRACE(size);
        bool written = true;
        {
            testenv::FileSizeLimit limit(2048);
            written = ops.writeFile(path, QByteArray(size, 'x'));
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(ops.lastError(), QStringLiteral("file troppo grande per il limite consentito"));
        EXPECT_EQ(testenv::readFile(path), QByteArray("the new content"));
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList {QStringLiteral("impostazioni.txt")})
            << "no temporary file left";
    }
}

// A device or a pipe is written where it stands: renaming a new file over it would replace it
// (as the superuser, even /dev/full).
TEST(FileOpsWrite, APipeIsWrittenInPlaceAndStaysAPipe)
{
    const QString fifo = testenv::newDir(QStringLiteral("fifo")) + QStringLiteral("/stampante");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    FileOps ops;
    EXPECT_TRUE(ops.writeFile(fifo, "ticket"));
    char buffer[16] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 6);
    EXPECT_EQ(QByteArray(buffer, 6), QByteArray("ticket"));
    ::close(reader);
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(FileOpsWrite, AFolderIsNoFile)
{
    const QString dir = testenv::newDir(QStringLiteral("folder"));
    FileOps ops;
    EXPECT_FALSE(ops.writeFile(dir, "x"));
    EXPECT_EQ(ops.lastError(), QStringLiteral("è una cartella"));
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

TEST(FileOpsRename, ReplacesTheTargetInOneStep)
{
    const QString dir = testenv::newDir(QStringLiteral("rename"));
    testenv::writeFile(dir + QStringLiteral("/nuovo"), "new");
    testenv::writeFile(dir + QStringLiteral("/vecchio"), "old");
    FileOps ops;
    EXPECT_TRUE(ops.rename(dir + QStringLiteral("/nuovo"), dir + QStringLiteral("/vecchio")));
    EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/vecchio")), QByteArray("new"));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/nuovo")));
    EXPECT_FALSE(ops.rename(dir + QStringLiteral("/manca"), dir + QStringLiteral("/vecchio")));
    EXPECT_EQ(ops.lastError(), QStringLiteral("file o cartella inesistente"));
    EXPECT_EQ(testenv::readFile(dir + QStringLiteral("/vecchio")), QByteArray("new"));
}

TEST(FileOpsPaths, PathHoldingANulIsRefusedNeverCut)
{
    const QString dir = testenv::newDir(QStringLiteral("nul"));
    const QString missing = dir + QStringLiteral("/dati");   // what a cut name would make
    const QString present = dir + QStringLiteral("/esiste");   // what a cut name would find
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("tenuto");
    file.close();
    auto nul = [](const QString& path) { return path + QChar(0) + QStringLiteral("sub"); };
    FileOps ops;
    struct Case {
        const char* name;
        std::function<bool()> op;
    };
    const Case cases[] = {
        {"write", [&] { return ops.writeFile(nul(missing), "x"); }},
        {"make folder", [&] { return ops.mkpath(nul(missing)); }},
        {"copy to", [&] { return ops.copy(present, nul(missing)); }},
        {"rename to", [&] { return ops.rename(present, nul(missing)); }},
        {"remove", [&] { return ops.remove(nul(present)); }},
        {"read",
         [&] {
             bool ok = true;
             (void)ops.readFile(nul(present), &ok);
             return ok;
         }},
        {"exists", [&] { return ops.exists(nul(present)); }},
        {"writable", [&] { return ops.isWritable(nul(present)); }},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.op()) << c.name;
        EXPECT_FALSE(QFile::exists(missing)) << c.name;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(file.readAll(), QByteArray("tenuto")) << c.name;
        file.close();
    }
    EXPECT_TRUE(ops.lastError().contains(QStringLiteral("carattere nullo")));
}
