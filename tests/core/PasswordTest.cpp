#include "base/FileOps.h"
#include "core/lifecycle/Password.h"
#include "StartupTestSupport.h"
#include <QFileInfo>
#include <random>

// ---- ScrambleString ----------------------------------------------------------------------------------
TEST(ScrambleString, KnownStoredForms)
{
    struct Case {
        const char16_t* clear;
        std::u16string stored;
    };
    const Case cases[] = {
        {u"A", {0x20}},   // 0x41, odd length: low bit 1 xor 1 = 0; stored as a blank
        {u"AB", {0xA0, 0x21}},   // even length: the low bit wraps unchanged
        {u"abc", {0x30, 0x31, 0x31}},   // odd length: positions 1 and 3 flip the wrapped bit
        {u"@@", {0x20, 0x20}},   // a stored form made of blanks
    };
    for (const Case& c : cases) {
        const QString clear = QString::fromUtf16(c.clear);
        const QString stored = QString::fromStdU16String(c.stored);
        EXPECT_EQ(ScrambleString(clear, false), stored) << clear.toStdString();
        EXPECT_EQ(ScrambleString(stored, true), clear) << clear.toStdString();
    }
}

TEST(ScrambleString, RoundTripsEveryLengthUpTo40)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> code(0, 255);
    for (int length = 0; length <= 40; ++length) {
        for (int sample = 0; sample < 50; ++sample) {
            QString text;
            for (int i = 0; i < length; ++i) text.append(QChar(char16_t(code(rng))));
            if (length > 0 && text.count(u' ') == length) continue;   // blanks only: no stored form
            const QString stored = ScrambleString(text, false);
            ASSERT_EQ(stored.size(), text.size());
            ASSERT_EQ(ScrambleString(stored, true), text) << "length " << length;
        }
    }
}

TEST(ScrambleString, BlanksAndTrailingBlanks)
{
    EXPECT_EQ(ScrambleString(QStringLiteral("   "), false), QString());
    EXPECT_EQ(ScrambleString(QString(), true), QString());
    // Trailing blanks of a real password are part of it.
    const QString withBlank = QStringLiteral("abc ");
    EXPECT_EQ(ScrambleString(withBlank, false).size(), 4);
    EXPECT_EQ(ScrambleString(ScrambleString(withBlank, false), true), withBlank);
}

// ---- The access-password file --------------------------------------------------------------------------
class AccessPasswordFileTest : public startuptest::StartupTest { };

TEST_F(AccessPasswordFileTest, MissingEmptyAndWrittenFiles)
{
    const QString path = workDir + QStringLiteral("/prtct1.sys");
    AccessPasswordFile f = ReadAccessPasswordFile(path);
    EXPECT_FALSE(f.exists);

    WriteAccessPasswordFile(QStringLiteral("Cassa1"), path);
    f = ReadAccessPasswordFile(path);
    EXPECT_TRUE(f.exists);
    EXPECT_EQ(f.stored, ScrambleString(QStringLiteral("Cassa1"), false));
    EXPECT_EQ(QFileInfo(path).size(), 6);   // one byte a character, nothing else
    EXPECT_FALSE(QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));

    // A read-only file is replaced all the same.
    WriteAccessPasswordFile(QString(), path);
    f = ReadAccessPasswordFile(path);
    EXPECT_TRUE(f.exists);
    EXPECT_TRUE(f.stored.isEmpty());
}

TEST_F(AccessPasswordFileTest, StoredFormKeepsCodesAbove127AsSingleBytes)
{
    const QString path = workDir + QStringLiteral("/prtct1.sys");
    const QString password = QStringLiteral("Perché");
    WriteAccessPasswordFile(password, path);
    EXPECT_EQ(QFileInfo(path).size(), password.size());
    EXPECT_EQ(ScrambleString(ReadAccessPasswordFile(path).stored, true), password);
}
