// Reading a view page by page: every row once, in the view's order, whatever its sort,
// duplicates and empty values.
#include "base/AppError.h"
#include "operations/ViewRows.h"
#include "ViewShop.h"
#include <QSet>
#include <random>

namespace {

class ViewRowsTest : public ViewShop {
protected:
    // Articles with few distinct prices and additional codes, some of them empty (Null).
    void addArticles(int count)
    {
        std::mt19937 random(18);
        auto articles = select("Articoli");
        for (int i = 0; i < count; ++i) {
            const qint64 oid = addArticle({QString("A%1").arg(i), i % 4 == 0 ? "0.00" : "1.50", "0.50", double(i % 3)});
            ASSERT_TRUE(articles->MoveToOID(oid));
            const int code = int(random() % 4);
            articles->SetValue("CodiceAggiuntivo", code == 0 ? QVariant() : QVariant(QString("X%1").arg(code)));
            articles->Update();
        }
    }

    static QList<qint64> keys(const ViewRows::Page& page)
    {
        const int oid = int(page.columns.indexOf("OID"));
        QList<qint64> out;
        for (const auto& row : page.rows) out << row.value(oid).toLongLong();
        return out;
    }

    QList<qint64> byPages(const ViewRows& rows, int size)
    {
        ViewRows::Page page = rows.First(size);
        QList<qint64> out = keys(page);
        while (page.rows.size() == size) {
            page = rows.After(page, size - 1, size);
            out << keys(page);
        }
        return out;
    }
};

TEST_F(ViewRowsTest, PagesGiveEveryRowOnceInTheViewsOrder)
{
    addArticles(23);
    for (const char* sort : {"", "CodiceAggiuntivo", "CodiceAggiuntivo DESC", "PrezzoVendita DESC,CodiceAggiuntivo",
                             "[CodiceAggiuntivo] DESC, ValoreScorta, OID DESC"}) {
        SCOPED_TRACE(sort);
        ViewQuery q;
        q.Table = "Articoli";
        q.Sort = sort;
        const ViewRows rows(db(), q);
        const QList<qint64> whole = keys(rows.First(0));
        ASSERT_EQ(whole.size(), 23);
        EXPECT_EQ(QSet<qint64>(whole.begin(), whole.end()).size(), 23);
        for (int size : {1, 2, 5, 23, 30}) EXPECT_EQ(byPages(rows, size), whole) << "pages of " << size;
        EXPECT_EQ(rows.RowCount(), 23);
    }
}

TEST_F(ViewRowsTest, ConditionHoldsOnEveryPage)
{
    addArticles(12);
    ViewQuery q;
    q.Table = "Articoli";
    q.Where = "PrezzoVendita > 0";
    q.Sort = "ValoreScorta DESC";
    const ViewRows rows(db(), q);
    EXPECT_EQ(byPages(rows, 2), keys(rows.First(0)));
    EXPECT_EQ(rows.RowCount(), 9);
}

TEST_F(ViewRowsTest, OrderByAnExpressionCannotBePaged)
{
    addArticles(3);
    ViewQuery q;
    q.Table = "Articoli";
    q.Sort = "PrezzoVendita * 2";
    const ViewRows rows(db(), q);
    EXPECT_THROW(rows.First(2), AppError);
}

}   // namespace
