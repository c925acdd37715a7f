// How a command's arguments are read: in order, the first wrong one said and nothing after it.
#include "OptionParser.h"
#include <gtest/gtest.h>

namespace {

using mvtool::OptionParser;

// What a parse said, in order: "unknown X", "missing X", "wrong X".
struct Said {
    QStringList lines;
    OptionParser::Say as(const char* what)
    {
        return [this, what](const QString& a) { lines << QString::fromLatin1(what) + u' ' + a; };
    }
};

TEST(OptionParser, ReadsFlagsValuesAndWordsInAnyOrder)
{
    bool quiet = false;
    QString root;
    int level = 0;
    const auto words = OptionParser()
                           .flag("--quiet", quiet)
                           .value("--root", root)
                           .value("--level", mvtool::number(level, 0, 9))
                           .parse({"a", "--level", "3", "-5", "--root", "--quiet", "b"});
    ASSERT_TRUE(words);
    // The value is the next argument even when it looks like an option; "-5" is a word.
    EXPECT_EQ(*words, QStringList({"a", "-5", "b"}));
    EXPECT_FALSE(quiet);
    EXPECT_EQ(root, "--quiet");
    EXPECT_EQ(level, 3);
}

TEST(OptionParser, TheFirstWrongArgumentIsTheOneSaid)
{
    struct Case {
        const char* name;
        QStringList args;
        QStringList said;
    };
    const Case cases[] = {
        {"unknown option", {"--bogus", "--level", "x"}, {"unknown --bogus"}},
        {"wrong value", {"--level", "x", "--bogus"}, {"wrong --level"}},
        {"out of bounds", {"--level", "10"}, {"wrong --level"}},
        {"missing value", {"--level"}, {"missing --level"}},
        {"a word too many", {"a", "b", "--bogus"}, {"unknown b"}},
        {"an option written with =", {"--level=3"}, {"unknown --level=3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Said said;
        int level = 0;
        const auto words = OptionParser()
                               .value("--level", mvtool::number(level, 0, 9), said.as("wrong"))
                               .onUnknown(said.as("unknown"))
                               .onMissingValue(said.as("missing"))
                               .maxWords(1)
                               .parse(c.args);
        EXPECT_FALSE(words);
        EXPECT_EQ(said.lines, c.said);
    }
}

TEST(OptionParser, AMissingValueIsUnknownOrWrongAsTheCommandChooses)
{
    Said said;
    int n = 0;
    EXPECT_FALSE(
        OptionParser().value("--n", mvtool::number(n), said.as("wrong")).onUnknown(said.as("unknown")).parse({"--n"}));
    EXPECT_FALSE(OptionParser()
                     .value("--n", mvtool::number(n), said.as("wrong"))
                     .onUnknown(said.as("unknown"))
                     .missingValueIsWrong()
                     .parse({"--n"}));
    EXPECT_EQ(said.lines, QStringList({"unknown --n", "wrong --n"}));
}

TEST(OptionParser, AnOptionThatMayEndTheLineIsToldSo)
{
    std::optional<std::optional<QString>> seen;
    const OptionParser::TakeMaybe take = [&seen](const std::optional<QString>& v) {
        seen = v;
        return true;
    };
    EXPECT_TRUE(OptionParser().valueOrNothing("--port", take).parse({"--port"}));
    ASSERT_TRUE(seen);
    EXPECT_FALSE(*seen);
    EXPECT_TRUE(OptionParser().valueOrNothing("--port", take).parse({"--port", "/dev/ttyS0"}));
    EXPECT_EQ(*seen, QString("/dev/ttyS0"));
}

TEST(OptionParser, UnknownOptionsCanBeWords)
{
    bool ask = false;
    const auto words = OptionParser().flag("--ask", ask).unknownAreWords().parse({"--code", "--ask", "5"});
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, QStringList({"--code", "5"}));
    EXPECT_TRUE(ask);
}

}   // namespace
