#include "base/AppError.h"
#include "devices/scale/modOmegaNet.h"
#include <gtest/gtest.h>

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values) out += char(v);
    return out;
}
}

TEST(ScaleFrame, KnownFrames)
{
    struct Case {
        const char* what;
        QByteArray data;
        QByteArray frame;
    };
    const Case cases[] = {
        {"P", "P", bytes({2, 80, 4, 214, 128, 3})},
        {"ABC", "ABC", bytes({2, 65, 66, 67, 4, 204, 128, 3})},
        {"nothing", "", bytes({2, 4, 134, 128, 3})},
        // A sum past 255 shows in the second check byte.
        {"two 255 bytes", bytes({255, 255}), bytes({2, 255, 255, 4, 132, 130, 3})},
        {"the longest sum that fits", QByteArray(256, char(255)),
         bytes({2}) + QByteArray(256, char(255)) + bytes({4, 134, 255, 3})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(NetBuildFrame(c.data).toHex(' '), c.frame.toHex(' '));
        EXPECT_EQ(NetParseFrame(c.frame), c.data);
    }
}

TEST(ScaleFrame, DataTheCheckCannotHoldAreRefused)
{
    EXPECT_THROW(NetBuildFrame(QByteArray(257, char(255))), AppError);
    EXPECT_THROW(NetBuildFrame(QStringLiteral("10 €")), AppError);   // no byte for the euro sign
    EXPECT_EQ(NetBuildFrame(QStringLiteral("è")), NetBuildFrame(QByteArray(1, char(0xE8))));
}

TEST(ScaleFrame, CorruptedOrIncompleteFramesGiveNoData)
{
    const QByteArray p = NetBuildFrame(QByteArray("P"));
    QByteArray wrongC1 = p;
    wrongC1[3] = char(215);
    QByteArray wrongC2 = p;
    wrongC2[4] = char(129);
    QByteArray changedData = p;
    changedData[1] = 'Q';
    struct Case {
        const char* what;
        QByteArray text;
        QByteArray data;
    };
    const Case cases[] = {
        {"noise around a frame", "xx\x04" + p + "\x03yy", "P"},
        {"the first of two frames", p + NetBuildFrame(QByteArray("Q")), "P"},
        {"first check byte changed", wrongC1, ""},
        {"second check byte changed", wrongC2, ""},
        {"data changed", changedData, ""},
        // The first EOT must stand three bytes before the end.
        {"data holding an EOT",
         NetBuildFrame(QByteArray("A\x04"
                                  "B")),
         ""},
        {"STX but no ETX", p.left(p.size() - 1), ""},
        {"no STX", p.mid(1), ""},
        {"nothing", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(NetParseFrame(c.text), c.data);
    }
}
