#include "AppError.h"
#include "CabinetArchive.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList filesUnder(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next();
    return out;
}

TEST(CabinetArchive, WrittenEntriesComeBackUnpacked) {
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString cab = dir + QStringLiteral("/package.cab");
    QByteArray big;
    for (int i = 0; i < 20000; ++i) big += QByteArray::number(i) + ' ';
    CabinetArchive::write(cab, {{QStringLiteral("SETUP.BAT"), "echo ok\n", true},
                                {QStringLiteral("files\\data.bin"), big, false},
                                {QStringLiteral("vuoto.txt"), QByteArray(), false}});
    EXPECT_EQ(CabinetArchive::names(cab),
              (QStringList{QStringLiteral("SETUP.BAT"), QStringLiteral("files\\data.bin"), QStringLiteral("vuoto.txt")}));

    const QString target = dir + QStringLiteral("/out");
    const QStringList written = CabinetArchive::extract(cab, target);
    EXPECT_EQ(written.size(), 3);
    EXPECT_EQ(readAll(target + QStringLiteral("/SETUP.BAT")), QByteArray("echo ok\n"));
    EXPECT_EQ(readAll(target + QStringLiteral("/files/data.bin")), big);
    EXPECT_EQ(readAll(target + QStringLiteral("/vuoto.txt")), QByteArray());
    EXPECT_TRUE(QFile::permissions(target + QStringLiteral("/SETUP.BAT")) & QFile::ExeOwner);
}

TEST(CabinetArchive, EntryNamesThatLeaveTheFolderAreRefused) {
    struct Case { const char* name; bool safe; };
    const Case cases[] = {
        {"SETUP.BAT", true}, {"sub\\setup.exe", true}, {"a/b/c.txt", true}, {"..name", true}, {"a..b\\c", true},
        {"../x", false}, {"..\\x", false}, {"/etc/x", false}, {"\\x", false}, {"C:\\x", false}, {"c:x", false},
        {"sub\\..\\..\\x", false}, {"a/../x", false}, {"..", false}, {"", false}, {"dir\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CabinetArchive::isSafeEntryName(QString::fromLatin1(c.name)), c.safe) << c.name;
}

TEST(CabinetArchive, UnsafePackageWritesNothingAtAll) {
    for (const char* bad : {"../x", "sub\\..\\..\\x", "/x"}) {
        SCOPED_TRACE(bad);
        const QString dir = testenv::newDir(QStringLiteral("cab"));
        const QString cab = dir + QStringLiteral("/evil.cab");
        // The good entry comes first: it must not be written either.
        CabinetArchive::write(cab, {{QStringLiteral("SETUP.BAT"), "echo ok\n", false}, {QString::fromLatin1(bad), "escaped", false}});
        const QString target = dir + QStringLiteral("/deep/out");
        try {
            CabinetArchive::extract(cab, target);
            ADD_FAILURE() << "extracted";
        } catch (const AppError& e) {
            EXPECT_TRUE(e.description.contains(QStringLiteral("Voce non ammessa"))) << e.description.toStdString();
        }
        EXPECT_EQ(filesUnder(dir), QStringList{cab});
    }
}

TEST(CabinetArchive, OtherFilesAreNoCabinet) {
    const QString dir = testenv::newDir(QStringLiteral("cab"));
    const QString notCab = dir + QStringLiteral("/text.cab");
    QFile f(notCab);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MSCF but not really a cabinet at all");
    f.close();
    EXPECT_THROW(CabinetArchive::read(notCab), AppError);
    EXPECT_THROW(CabinetArchive::read(dir + QStringLiteral("/missing.cab")), AppError);
}

}  // namespace
