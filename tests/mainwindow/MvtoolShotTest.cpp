// Pictures of the main window and of the error report through the developer's tool.
#ifdef MV_MVTOOL_EXE
#include "MvtoolRun.h"
#include "TestEnvironment.h"
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

TEST(MvtoolShot, ListsTheMainWindowAndTheErrorReport)
{
    const ToolRun list = mvtool({QStringLiteral("shot"), QStringLiteral("--list")});
    ASSERT_EQ(list.status, 0);
    EXPECT_TRUE(list.lines.contains(QStringLiteral("frmMain")));
    EXPECT_TRUE(list.lines.contains(QStringLiteral("frmShowException")));
}

TEST(MvtoolShot, PicturesTheMainWindowAtTheAskedSize)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/frmMain.png");
    const ToolRun shot = mvtool({QStringLiteral("shot"), QStringLiteral("frmMain"), png, QStringLiteral("--size"),
                              QStringLiteral("1280x800")});
    ASSERT_EQ(shot.status, 0);
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(1280, 800));

    EXPECT_EQ(mvtool({QStringLiteral("shot"), QStringLiteral("frmMain"), png, QStringLiteral("--size"), QStringLiteral("big")})
                  .status,
              2);

    // A section is named by its caption (it has no key) and pictured with its buttons; a
    // name the tree lacks is refused, never pictured as the default view.
    const QString section = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/section.png");
    struct Case {
        const char* node;
        int status;
    };
    for (const Case& c : {Case{"Operazioni effettuate", 0}, Case{"Clienti", 0}, Case{"Nessuna sezione", 1}}) {
        EXPECT_EQ(mvtool({QStringLiteral("shot"), QStringLiteral("frmMain"), section, QStringLiteral("--table"),
                          QString::fromUtf8(c.node)})
                      .status,
                  c.status)
            << c.node;
    }
}

// A size no screen has is a wrong argument: the offscreen surface of 100000x100000 pixels
// could not be made and the tool died drawing on nothing.
TEST(MvtoolShot, ASizeNoScreenHasIsAWrongArgument)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/RowEditor.png");
    for (const char* size : {"0x0", "-5x10", "640x", "100000x100000", "8193x600", "800x8193"}) {
        const ToolRun shot = mvtool({QStringLiteral("shot"), QStringLiteral("RowEditor"), png, QStringLiteral("--size"),
                                  QString::fromLatin1(size)});
        EXPECT_EQ(shot.status, 2) << size;
        EXPECT_FALSE(QFile::exists(png)) << size;
    }
}

TEST(MvtoolShot, AWindowItDoesNotKnowIsAWrongArgument)
{
    const QString png = testenv::newDir(QStringLiteral("shot")) + QStringLiteral("/x.png");
    for (const char* name : {"frmNonEsiste", "rowEditor", ""}) {
        const ToolRun shot = mvtool({QStringLiteral("shot"), QString::fromLatin1(name), png});
        EXPECT_EQ(shot.status, 2) << name;
        EXPECT_FALSE(QFile::exists(png)) << name;
    }
}
#endif
