// A command given an option it does not know, or an option without its value, runs nothing:
// it says what is wrong, then its usage line once, and exits with status 2.
#include "MvtoolRun.h"
#include <gtest/gtest.h>

namespace {

#ifdef MV_MVTOOL_EXE

// What the tool wrote to stderr, without the platform's own notices.
QStringList complaints(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1String("QStandardPaths:"))) lines << line;
    return lines;
}

TEST(MvtoolOptions, AnUnknownOptionOrAMissingValueIsSaidBeforeTheUsage)
{
    // The usage line's own text (no "usage: mvtool ") stands for a complaint that is the usage.
    const QString asUsage = QStringLiteral("<usage>");
    struct Case {
        QStringList args;
        QString complaint;   // empty: the usage line alone
    };
    const Case cases[] = {
        {{"backup", "--bogus"}, asUsage},
        {{"backup", "--from"}, asUsage},
        {{"backup", "2007-03-01"}, asUsage},
        {{"reminders", "--bogus"}, asUsage},
        {{"reminders", "--at"}, asUsage},
        {{"card-code", "--bogus", "x"}, ""},
        {{"card-write", "CODE", "--prefix"}, ""},
        {{"fiscal", "--bogus", "--type", "x"}, "unknown argument --bogus"},
        {{"fiscal", "--type", "3", "word"}, "unknown argument word"},
        {{"fiscal", "--fake", "--type"}, "--type needs a number"},
        {{"fiscal", "--type", "3", "--row"}, "--row wants price:qty:desc:dept, e.g. 2.5:3::2"},
        {{"maint-save", "--bogus"}, "unknown option: --bogus"},
        {{"maint-check", "--root"}, "--root needs a value"},
        {{"update", "--bogus", "--mode", "x"}, "unknown option: --bogus"},
        {{"update", "--mode", "1", "--name"}, "--name needs a value"},
        {{"report", "a.mdb", "Articoli", "--pdf", "f.pdf", "--bogus"}, "unknown option: --bogus"},
        {{"report", "a.mdb", "Articoli", "--title"}, "--title needs a value"},
        {{"print-receipt", "a.mdb", "5", "--pdf"}, ""},
        {{"print-receipt", "a.mdb", "5", "--bogus"}, ""},
        {{"print-labels", "a.mdb", "A1", "--pdf"}, ""},
        {{"print-report", "a.mdb", "Vendite", "--pdf", "f.pdf", "--day"}, ""},
        {{"receipt", "a.mdb", "5", "--type", "3", "--settings"}, "--settings needs a value"},
        {{"receipt", "a.mdb", "5", "--bogus", "--type", "3", "--sim", "ellisse"},
         "give DB SALE, --type and one of --sim and --port"},
        {{"report-demo", "--pdf"}, "unknown argument: --pdf"},
        {{"report-demo", "--bogus"}, "unknown argument: --bogus"},
        {{"shot", "RowEditor", "x.png", "--bogus"}, ""},
        {{"shot", "RowEditor", "x.png", "--db"}, ""},
        {{"move", "Vendite", "5", "--bogus"}, ""},
        {{"viewquery", "Vendite", "--bogus"}, ""},
        {{"viewquery", "Vendite", "--run"}, ""},
        {{"viewtree", "--bogus"}, ""},
        {{"viewtree", "--db"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun r = mvtool(c.args);
        EXPECT_EQ(r.status, 2);
        const QStringList lines = complaints(r.err);
        ASSERT_FALSE(lines.isEmpty());
        const QString usage = QStringLiteral("usage: mvtool ") + c.args.first() + u' ';
        EXPECT_TRUE(lines.last().startsWith(usage)) << r.err.toStdString();
        EXPECT_EQ(r.err.count(usage), 1) << r.err.toStdString();
        const QString complaint = c.complaint == asUsage ? lines.last().mid(14) : c.complaint;
        EXPECT_EQ(lines.mid(0, lines.size() - 1), complaint.isEmpty() ? QStringList() : QStringList {complaint})
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

#endif

}   // namespace
