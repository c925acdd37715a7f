// The developer's tool sends a stored sale through the receipt service to a simulated
// register and prints each driver call with the line's traffic.
#include "RegisterShop.h"
#include "MvtoolRun.h"

#ifdef MV_MVTOOL_EXE

class MvtoolReceipt : public RegisterShop { };

TEST_F(MvtoolReceipt, SendsAStoredSaleToASimulatedRegister)
{
    article(QStringLiteral("A"));
    article(QStringLiteral("B"), QStringLiteral("R2"));
    const qint64 s = sell({{"B", 1, "2.50"}, {"A", 3, "10.00"}});

    const ToolRun r = mvtool({"receipt", path(), QString::number(s), "--type", "3", "--sim", "ellisse"});
    ASSERT_EQ(r.status, 0);
    QStringList calls;
    for (const QString& l : r.lines)
        if (l.startsWith(QLatin1String("# ")) && !l.startsWith(QLatin1String("# sale"))) calls << l;
    EXPECT_EQ(calls,
              (QStringList {"# NewSession(2)", "# SendData(10, 1, \"Articolo A\", 1)",
                            "# SendData(2.5, 1, \"Articolo B\", 2)", "# EndSession", "# issued"}));
    EXPECT_TRUE(r.lines.contains("-> 02 30 30 35 04 39 42 03   <STX>005<EOT>9B<ETX>"));   // the total key

    EXPECT_EQ(mvtool({"receipt", path(), QString::number(s), "--sim", "ellisse"}).status, 2);
    EXPECT_EQ(
        mvtool({"receipt", path(), QString::number(s), "--type", "3", "--sim", "ellisse", "--timeout", "-1"}).status,
        2);
    EXPECT_EQ(mvtool({"receipt", path(), "1", "--type", "3", "--sim", "ellisse"}).status, 1);
    EXPECT_EQ(mvtool({"receipt", path() + ".missing", QString::number(s), "--type", "3", "--sim", "ellisse"}).status,
              1);
}

#endif
