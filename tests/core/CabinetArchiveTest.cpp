#include "base/AppError.h"
#include "core/lifecycle/CabinetArchive.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <malloc.h>

namespace {

QStringList filesUnder(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next();
    return out;
}

TEST(CabinetArchive, WrittenEntriesComeBackUnpacked)
{
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString cab = dir + QStringLiteral("/package.cab");
    QByteArray big;
    for (int i = 0; i < 20000; ++i) big += QByteArray::number(i) + ' ';
    CabinetArchive::write(cab,
                          {{QStringLiteral("SETUP.BAT"), "echo ok\n", true},
                           {QStringLiteral("files\\data.bin"), big, false},
                           {QStringLiteral("vuoto.txt"), QByteArray(), false}});
    EXPECT_EQ(
        CabinetArchive::names(cab),
        (QStringList {QStringLiteral("SETUP.BAT"), QStringLiteral("files\\data.bin"), QStringLiteral("vuoto.txt")}));

    const QString target = dir + QStringLiteral("/out");
    const QStringList written = CabinetArchive::extract(cab, target);
    EXPECT_EQ(written.size(), 3);
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/SETUP.BAT")), QByteArray("echo ok\n"));
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/files/data.bin")), big);
    EXPECT_EQ(testenv::readFile(target + QStringLiteral("/vuoto.txt")), QByteArray());
    EXPECT_TRUE(QFile::permissions(target + QStringLiteral("/SETUP.BAT")) & QFile::ExeOwner);
}

TEST(CabinetArchive, EntryNamesThatLeaveTheFolderAreRefused)
{
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"SETUP.BAT", true}, {"sub\\setup.exe", true},
        {"a/b/c.txt", true}, {"..name", true},
        {"a..b\\c", true},   {"../x", false},
        {"..\\x", false},    {"/etc/x", false},
        {"\\x", false},      {"C:\\x", false},
        {"c:x", false},      {"sub\\..\\..\\x", false},
        {"a/../x", false},   {"..", false},
        {"", false},         {"dir\\", false},
        {".", false},        {".\\.", false},
        {"sub\\.", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CabinetArchive::isSafeEntryName(QString::fromLatin1(c.name)), c.safe) << c.name;
}

TEST(CabinetArchive, UnsafePackageWritesNothingAtAll)
{
    // "." named the folder itself and was only found out after the entries before it were written.
    for (const char* bad : {"../x", "sub\\..\\..\\x", "/x", ".", ".\\."}) {
        SCOPED_TRACE(bad);
        const QString dir = testenv::newDir(QStringLiteral("cab"));
        const QString cab = dir + QStringLiteral("/evil.cab");
        // The good entry comes first: it must not be written either.
        CabinetArchive::write(
            cab, {{QStringLiteral("SETUP.BAT"), "echo ok\n", false}, {QString::fromLatin1(bad), "escaped", false}});
        const QString target = dir + QStringLiteral("/deep/out");
        try {
            CabinetArchive::extract(cab, target);
            ADD_FAILURE() << "extracted";
        } catch (const AppError& e) {
            EXPECT_TRUE(e.description.contains(QStringLiteral("Voce non ammessa"))) << e.description.toStdString();
        }
        EXPECT_EQ(filesUnder(dir), QStringList {cab});
    }
}

TEST(CabinetArchive, EntriesThatCannotAllBeWrittenWriteNone)
{
    const QList<QStringList> packages = {
        {QStringLiteral("a"), QStringLiteral("a\\b")},   // a file, then a file inside it
        {QStringLiteral("a\\b"), QStringLiteral("a")},   // a folder, then a file of its name
        {QStringLiteral("x\\y\\z"), QStringLiteral("x/y")},
    };
    for (const QStringList& names : packages) {
        SCOPED_TRACE(names.join(u' ').toStdString());
        const QString dir = testenv::newDir(QStringLiteral("cab"));
        const QString cab = dir + QStringLiteral("/clash.cab");
        QList<CabinetArchive::Entry> entries {{QStringLiteral("SETUP.BAT"), "echo ok\n", false}};
        for (const QString& name : names) entries.append({name, "data", false});
        CabinetArchive::write(cab, entries);
        EXPECT_THROW(CabinetArchive::extract(cab, dir + QStringLiteral("/out")), AppError);
        EXPECT_EQ(filesUnder(dir), QStringList {cab});
    }
}

TEST(CabinetArchive, ALinkInTheFolderLeadsNowhere)
{
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString outside = testenv::newDir(QStringLiteral("outside"));
    const QString target = dir + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(QFile::link(outside, target + QStringLiteral("/link")));
    const QString cab = dir + QStringLiteral("/link.cab");
    CabinetArchive::write(cab, {{QStringLiteral("link\\evil.txt"), "escaped", false}});
    EXPECT_THROW(CabinetArchive::extract(cab, target), AppError);
    EXPECT_EQ(filesUnder(outside), QStringList());
}

TEST(CabinetArchive, ReadingKeepsNoMemory)
{
    // Every read lost the lists of entries it walked; the update check reads packages again
    // and again while the program runs.
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString cab = dir + QStringLiteral("/package.cab");
    CabinetArchive::write(
        cab, {{QStringLiteral("SETUP.BAT"), "echo ok\n", true}, {QStringLiteral("files\\data.bin"), "data", false}});
    for (int i = 0; i < 100; ++i) (void)CabinetArchive::read(cab);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 3000; ++i) (void)CabinetArchive::read(cab);
    const size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + 32 * 1024) << "heap grew from " << before << " to " << after;
}

TEST(CabinetArchive, OtherFilesAreNoCabinet)
{
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString notCab = dir + QStringLiteral("/text.cab");
    QFile f(notCab);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MSCF but not really a cabinet at all");
    f.close();
    EXPECT_THROW(CabinetArchive::read(notCab), AppError);
    EXPECT_THROW(CabinetArchive::read(dir + QStringLiteral("/missing.cab")), AppError);
}

}   // namespace
