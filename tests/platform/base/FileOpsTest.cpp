// Paths holding a NUL: the system would read them only up to it, so each operation refuses
// them instead of working on the shorter name.
#include "FileOps.h"
#include "TestEnvironment.h"
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

TEST(FileOpsPaths, PathHoldingANulIsRefusedNeverCut) {
    const QString dir = testenv::newDir(QStringLiteral("nul"));
    const QString missing = dir + QStringLiteral("/dati");          // what a cut name would make
    const QString present = dir + QStringLiteral("/esiste");        // what a cut name would find
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("tenuto");
    file.close();
    auto nul = [](const QString& path) { return path + QChar(0) + QStringLiteral("sub"); };
    FileOps ops;
    struct Case { const char* name; std::function<bool()> op; };
    const Case cases[] = {
        {"write", [&] { return ops.writeFile(nul(missing), "x"); }},
        {"make folder", [&] { return ops.mkpath(nul(missing)); }},
        {"copy to", [&] { return ops.copy(present, nul(missing)); }},
        {"rename to", [&] { return ops.rename(present, nul(missing)); }},
        {"remove", [&] { return ops.remove(nul(present)); }},
        {"read", [&] { bool ok = true; (void)ops.readFile(nul(present), &ok); return ok; }},
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
