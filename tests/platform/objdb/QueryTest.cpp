// Conditions, orders and field lists in Jet SQL over a data set: names of the parent, of
// referenced tables and of the owner; literals; search, filters, totals, field information.
#include "Fixture.h"
#include "base/AppError.h"
#include "base/Currency.h"
#include "objdb/TableObject.h"
#include "objdb/SqlConnection.h"
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixture;

namespace {
Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

struct QueryShop {
    QueryShop() : s(newDatabasePath("query"))
    {
        auto a = s.select("Articolo");
        a->AddRow({"Codice", "P1", "Descrizione", "Pàne integrale", "Prezzo", 2.0, "Scorta", 50.0});
        a->AddRow({"Codice", "P2", "Descrizione", "Pasta", "Prezzo", 1.5, "Scorta", 30.0, "Unita", "KG"});
        a->AddRow({"Codice", "Q'1", "Descrizione", "O'Brien", "Prezzo", 3.0, "Scorta", 10.0});
        auto doc = s.select("Documento");
        doc->AddRow({"Note", "marzo", "Data", QDateTime(QDate(2007, 3, 5), QTime(14, 30))});
        auto lines = doc->GetReference("Righe");
        for (const char* code : {"P1", "P2", "P2"}) {
            lines->NewRow();
            EXPECT_TRUE(lines->SetParentByKey(code));
            lines->SetValue("Quantita", 2.0);
            lines->Update();
        }
        doc->Update();
        doc->AddRow({"Note", "aprile", "Data", QDateTime(QDate(2007, 4, 1), QTime(9, 0))});
    }
    Shop s;
};

QStringList column(TableData& td, const QString& field)
{
    QStringList values;
    for (td.MoveFirst(); !td.IsEOF(); td.MoveNext()) values << td.GetText(field);
    return values;
}
}

TEST(ObjDbQuery, ConditionsReachParentReferencedAndOwnerTables)
{
    trace() = Trace();
    QueryShop q;
    struct Case {
        QString table, condition;
        int rows;
    };
    const Case cases[] = {
        {"Articolo", "Descrizione Like \"PAN*\"", 1},   // without case and accents
        {"Riga", "Descrizione = 'Pasta'", 2},   // a parent's field named alone
        {"Riga", "Articolo.Codice = \"P1\"", 1},
        {"Riga", "Unita.Codice = 'KG'", 2},   // a table the parent refers to
        {"Riga", "Documento.Note = 'marzo'", 3},   // the owner of the line
        {"Documento", "Data >= #03/01/2007# AND Data < #04/01/2007#", 1},
        {"Documento", "Month(Data) = 4 AND Year(Data) = 2007", 1},
        {"Articolo", "Prezzo / 2 = 0.75", 1},   // a/b never truncates
        {"Riga", "Importo > 3 AND Not (Quantita = 0)", 1},
    };
    for (const Case& c : cases) {
        auto rows = q.s.select(c.table, c.condition);
        EXPECT_EQ(rows->RowCount(), c.rows) << c.condition.toStdString();
        EXPECT_EQ(column(*rows, "OID").size(), c.rows) << c.condition.toStdString();
    }
}

// A data set's condition or order that SQLite would refuse once the rows are asked for is
// refused by the translator as it is set: an aggregate (Jet has none in a WHERE, and a data
// set's rows are no groups to sort) and nesting past what SQLite's parser reads (found by
// fuzzing the data set's selection).
TEST(ObjDbQuery, ConditionsSQLiteCannotTakeAreRefusedAsTheyAreSet)
{
    trace() = Trace();
    QueryShop q;
    struct Case {
        QString condition;
        int number;
        QString order = QString();
    };
    const Case cases[] = {
        {"Count(*)", 3096},
        {"Prezzo > 1 AND Sum(Scorta) > 10", 3096},
        {QString(124, u'-') + "Prezzo", 3075},
        {QStringList(2000, "Prezzo > 0").join(" OR "), 3075},
        {"", 3096, "Count(*)"},
        {"Prezzo > 1", 3096, "Descrizione, Max(Prezzo) DESC"},
        {"", 3096, "Abs(Sum(Scorta))"},
    };
    for (const Case& c : cases) {
        try {
            auto rows = q.s.select("Articolo", c.condition, c.order);
            ADD_FAILURE() << rows->RowCount() << " rows for " << c.condition.left(60).toStdString();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number, c.number) << c.condition.left(60).toStdString() << ": " << e.description.toStdString();
        }
    }
}

// SQLite reads a number in an ORDER BY as a column's position; a data set's columns are the
// library's, so "589" failed with SQLite's "term out of range" (found by fuzzing).
TEST(ObjDbQuery, ANumberInADataSetsOrderSortsNothing)
{
    trace() = Trace();
    QueryShop q;
    auto all = q.s.select("Articolo");
    const QStringList byOid = column(*all, "Codice");
    for (const QString order : {"589", "-1", "(2)"}) {
        auto rows = q.s.select("Articolo", QString(), order);
        EXPECT_EQ(column(*rows, "Codice"), byOid) << order.toStdString();
    }
    auto byDescription = q.s.select("Articolo", QString(), "Descrizione DESC");
    auto sorted = q.s.select("Articolo", QString(), "1, Descrizione DESC, -1");
    EXPECT_EQ(column(*sorted, "Codice"), column(*byDescription, "Codice"));
}

// Jet writes True as -1; a Boolean is stored as 1. A filter, a search and a query must all
// read the program's conditions the same way, whichever form of True they use.
TEST(ObjDbQuery, JetTrueFindsTheSameRowsInFiltersSearchesAndQueries)
{
    trace() = Trace();
    QueryShop q;
    auto kg = q.s.select("Unita", "Codice = 'KG'");
    kg->SetValue("Attiva", false);
    kg->Update();
    struct Case {
        QString table, condition;
        int rows;
    };
    const Case cases[] = {
        {"Unita", "Attiva = -1", 2},        {"Unita", "Attiva = True", 2},
        {"Unita", "-1 = Attiva", 2},        {"Unita", "Attiva <> -1", 1},
        {"Unita", "Not Attiva = (-1)", 1},  {"Unita", "Attiva = False", 1},
        {"Riga", "Unita.Attiva = -1", 1},   // a table the parent refers to
        {"Riga", "Unita.Attiva = True", 1}, {"Articolo", "Unita.Attiva = -1 AND Codice Like 'P*'", 1},
    };
    for (const Case& c : cases) {
        const std::string what = (c.table + ": " + c.condition).toStdString();
        EXPECT_EQ(q.s.select(c.table, c.condition)->RowCount(), c.rows) << what;
        auto filtered = q.s.select(c.table);
        filtered->SetFilter(c.condition);
        EXPECT_EQ(column(*filtered, "OID").size(), c.rows) << what;
        auto searched = q.s.select(c.table);
        EXPECT_EQ(searched->FindFirst(c.condition), c.rows > 0) << what;
        const auto query = q.s.db->RunQuery("SELECT OID FROM " + c.table + " WHERE " + c.condition);
        EXPECT_EQ(query.rows.size(), c.rows) << what;
    }
}

// A bracketed name that no column has is an error: read as a text it would quietly select
// nothing (or everything) instead of telling the user the field is misspelt.
TEST(ObjDbQuery, AMissingFieldInAConditionFailsInsteadOfMatchingAText)
{
    trace() = Trace();
    QueryShop q;
    for (const QString& condition :
         {QStringLiteral("[Nonesiste] Like 'x*'"), QStringLiteral("[Nonesiste] = 'Nonesiste'")}) {
        const std::string what = condition.toStdString();
        EXPECT_THROW(q.s.select("Articolo", condition)->RowCount(), AppError) << what;
        EXPECT_THROW(q.s.db->RunQuery("SELECT OID FROM Articolo WHERE " + condition), AppError) << what;
    }
    // The operator reads what is wrong in Italian, with the name as typed.
    try {
        q.s.select("Articolo", QStringLiteral("[Nonesiste] = 1"))->RowCount();
        ADD_FAILURE() << "a condition on a missing field ran";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description.contains(QStringLiteral("campo inesistente: Nonesiste")))
            << e.description.toStdString();
    }
}

// Pages of a data set that many rows pass, or that is sorted, are read by their keys first:
// every row comes once, in the order one plain query over the whole table gives, going
// forward and back, across pages, with conditions and orders on the parent's fields and on a
// computed column.
TEST(ObjDbQuery, PagesGiveTheRowsOfOneQueryInItsOrder)
{
    trace() = Trace();
    QueryShop q;
    q.s.engine->sql().execScript(
        "INSERT INTO Riga (OID, objParent, Quantita, Importo, Progressivo) "
        "SELECT 5000 + x, (SELECT OID FROM Articolo WHERE Codice = CASE x % 3 WHEN 0 THEN 'P1' WHEN 1 THEN 'P2' ELSE "
        "'Q''1' END), "
        "x % 7, (x % 11) / 2, x "
        "FROM (WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 600) SELECT x FROM n)");
    // `plain`: the condition in the plain query, when it names a column of the field list.
    struct Case {
        QString condition, order, fields, plain;
    };
    const Case cases[] = {
        {"Quantita > 1", "Articolo.Descrizione DESC", ""},
        {"Articolo.Codice Like 'P*'", "Quantita, Importo DESC", ""},
        {"", "Descrizione", ""},
        {"Articolo.Codice = 'P2'", "", ""},
        {"Articolo.Codice = 'P1' OR Quantita = 0", "Quantita DESC", ""},
        {"Quantita >= 3", "Valore DESC", "*, (Prezzo * Quantita) AS Valore"},
        {"Valore > 4", "", "*, (Prezzo * Quantita) AS Valore", "Prezzo * Quantita > 4"},
        {"Quantita > 2", "", "*, Articolo.Codice, (Prezzo * Quantita) AS Valore"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition.toStdString() + " / " + c.order.toStdString());
        QString statement = "SELECT Riga.OID FROM Riga";
        if (!c.condition.isEmpty()) statement += " WHERE " + (c.plain.isEmpty() ? c.condition : c.plain);
        const QString order = c.order == "Valore DESC" ? QString("Prezzo * Quantita DESC") : c.order;
        statement += " ORDER BY " + (order.isEmpty() ? QString() : order + ", ") + "Riga.OID";
        QList<qint64> expected;
        for (const QVariantList& row : q.s.db->RunQuery(statement).rows) expected << row.value(0).toLongLong();
        ASSERT_GT(expected.size(), 128) << "more than one page";

        auto rows = q.s.db->Tables().Item("Riga")->Select(c.condition, c.order, c.fields);
        QList<qint64> forward, backward;
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) forward << rows->GetOID();
        for (rows->MoveLast(); !rows->IsBOF(); rows->MovePrevious()) backward.prepend(rows->GetOID());
        EXPECT_EQ(forward, expected);
        EXPECT_EQ(backward, expected);
    }
}

// Reading on past a page after the file changed gives the rows as they are now: a row
// deleted beyond the first page does not come back, one added comes, whether this program
// or another one changed the file.
TEST(ObjDbQuery, ReadingOnAfterAChangeGivesTheRowsAsTheyAreNow)
{
    for (const bool otherProgram : {false, true}) {
        SCOPED_TRACE(otherProgram ? "another program" : "this program");
        QueryShop q;
        q.s.engine->sql().execScript(
            "INSERT INTO Riga (OID, objParent, Quantita, Importo, Progressivo) "
            "SELECT 5000 + x, (SELECT OID FROM Articolo WHERE Codice = 'P1'), 2 + x % 5, 1, x "
            "FROM (WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 200) SELECT x FROM n)");
        auto rows = q.s.db->Tables().Item("Riga")->Select("Quantita > 1", "Quantita DESC");
        QList<qint64> seen;
        rows->MoveFirst();
        for (int i = 0; i < 10; ++i, rows->MoveNext()) seen << rows->GetOID();
        const QList<qint64> before = seen;

        // Both beyond the first page: the last row in this order goes, a new one comes.
        const qint64 last
            = q.s.engine->sql()
                  .scalar("SELECT OID FROM Riga WHERE Quantita > 1 ORDER BY Quantita ASC, OID DESC LIMIT 1")
                  .toLongLong();
        const QString change = QString("DELETE FROM Riga WHERE OID = %1; "
                                       "INSERT INTO Riga (OID, objParent, Quantita, Importo, Progressivo) "
                                       "VALUES (9999, (SELECT OID FROM Articolo WHERE Codice = 'P1'), 3, 1, 999);")
                                   .arg(last);
        if (otherProgram) {
            sqlite3* other = nullptr;
            ASSERT_EQ(sqlite3_open(q.s.engine->Path().toUtf8().constData(), &other), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(other, change.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(other);
        } else {
            q.s.engine->sql().execScript(change);
        }
        for (; !rows->IsEOF(); rows->MoveNext()) seen << rows->GetOID();

        QList<qint64> expected = before;
        for (const QVariantList& row :
             q.s.db->RunQuery("SELECT OID FROM Riga WHERE Quantita > 1 ORDER BY Quantita DESC, OID").rows)
            if (!before.contains(row.value(0).toLongLong())) expected << row.value(0).toLongLong();
        EXPECT_EQ(seen, expected);
        EXPECT_FALSE(seen.contains(last));
        EXPECT_TRUE(seen.contains(9999));
    }
}

namespace {
// Rows of Riga with Progressivo 1..n, Quantita cycling 1..5, their OIDs 5000 + Progressivo.
void addNumberedLines(Shop& s, int n)
{
    s.engine->sql().execScript(
        QString("INSERT INTO Riga (OID, objParent, Quantita, Importo, Progressivo) "
                "SELECT 5000 + x, (SELECT OID FROM Articolo WHERE Codice = 'P1'), 1 + x % 5, 1, x "
                "FROM (WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) SELECT x FROM n)")
            .arg(n));
}

QList<qint64> oidsToTheEnd(TableData& td)
{
    QList<qint64> oids;
    for (; !td.IsEOF(); td.MoveNext()) oids << td.GetOID();
    return oids;
}
}   // namespace

// A filter set again with other values reads the rows of the new values only, wherever the
// reading starts (keys found ahead for the old values stand for nothing); a filter naming a
// column the field list reaches through a join reads the rows it counts.
TEST(ObjDbQuery, AFilterReadsTheRowsOfItsOwnValuesAndColumns)
{
    trace() = Trace();
    QueryShop q;
    addNumberedLines(q.s, 600);
    auto rows = q.s.db->Tables().Item("Riga")->Select("", "Progressivo DESC");
    rows->SetFilter("Progressivo > ?", {0});
    rows->MoveFirst();
    for (int i = 0; i < 100; ++i) rows->MoveNext();
    const qint64 lastOfFirstPage = rows->GetOID();
    ASSERT_EQ(lastOfFirstPage, 5000 + 500);
    rows->SetFilter("Progressivo > ?", {450});
    ASSERT_TRUE(rows->MoveToOID(lastOfFirstPage));
    QList<qint64> expected;
    for (int p = 500; p > 450; --p) expected << 5000 + p;
    EXPECT_EQ(oidsToTheEnd(*rows), expected);

    struct Case {
        QString fields, filter, order;
    };
    const Case cases[] = {
        {"*, Unita.Attiva", "Attiva = True", "Progressivo DESC"},
        {"*, Unita.Attiva", "Attiva = True AND Quantita > 2", "Quantita, Progressivo"},
        {"*, Articolo.Codice, Unita.Attiva", "Attiva = False", "Progressivo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields.toStdString() + " / " + c.filter.toStdString());
        auto lines = q.s.db->Tables().Item("Riga")->Select("", c.order, c.fields);
        lines->SetFilter(c.filter);
        const int counted = lines->RowCount();
        lines->MoveFirst();
        EXPECT_EQ(oidsToTheEnd(*lines).size(), counted);
        EXPECT_EQ(counted, c.filter.contains("False") ? 0 : c.filter.contains("Quantita") ? 360 : 603);
    }
}

// Another program deletes and adds rows all along while a sorted view is read to its end,
// again and again: a page read meanwhile is read whole, and the reading never stops before
// the last rows, which nobody touches.
TEST(ObjDbQuery, AViewReadWhileAnotherProgramChangesItsRowsIsReadToItsEnd)
{
    trace() = Trace();
    QueryShop q;
    const int n = 3000;
    addNumberedLines(q.s, n);
    const QByteArray path = q.s.engine->Path().toUtf8();
    const pid_t writer = ::fork();
    if (writer == 0) {
        sqlite3* other = nullptr;
        if (sqlite3_open(path.constData(), &other) != SQLITE_OK) ::_exit(1);
        sqlite3_busy_timeout(other, 5000);
        // Rows in the middle go and come, a few at a time: the first and last 200 stay.
        for (qint64 next = 1000000;; next += 10) {
            const QByteArray change
                = QString(
                      "BEGIN IMMEDIATE; DELETE FROM Riga WHERE OID IN (SELECT OID FROM Riga WHERE Progressivo BETWEEN "
                      "200 AND %1 "
                      "ORDER BY random() LIMIT 10); "
                      "INSERT INTO Riga (OID, objParent, Quantita, Importo, Progressivo) SELECT %2 + x, objParent, 3, "
                      "1, "
                      "200 + abs(random()) % %3 FROM (SELECT 0 AS x UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL "
                      "SELECT 3 "
                      "UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7 UNION ALL SELECT 8 "
                      "UNION ALL SELECT 9), (SELECT objParent FROM Riga LIMIT 1); COMMIT;")
                      .arg(n - 200)
                      .arg(next)
                      .arg(n - 400)
                      .toUtf8();
            sqlite3_exec(other, change.constData(), nullptr, nullptr, nullptr);
        }
    }
    ASSERT_GT(writer, 0);
    QList<qint64> lastRows;
    for (int p = n; p > n - 200; --p) lastRows.prepend(5000 + p);
    int stoppedEarly = 0;
    for (int read = 0; read < 150; ++read) {
        auto rows = q.s.db->Tables().Item("Riga")->Select("Quantita > 0", "Progressivo");
        rows->MoveFirst();
        const QList<qint64> seen = oidsToTheEnd(*rows);
        if (seen.size() < lastRows.size() || seen.mid(seen.size() - lastRows.size()) != lastRows) ++stoppedEarly;
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_EQ(stoppedEarly, 0);
}

TEST(ObjDbQuery, LiteralsAreQuotedNeverPastedRaw)
{
    trace() = Trace();
    QueryShop q;
    auto a = q.s.select("Articolo");
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Descrizione", "O'Brien"))->RowCount(), 1);
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Codice", "x' OR 'a'='a"))->RowCount(), 0);
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Codice", "P*", true))->RowCount(), 2);
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Codice", "P*", false))->RowCount(), 0);
    // "%" is a plain character of a code, never a wildcard.
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Codice", "P%", true))->RowCount(), 0);
    // A reference's name stands for its row key: VARIE, made while the file was declared, has no unit.
    EXPECT_EQ(q.s.select("Articolo", a->BuildFieldCondition("Unita", QVariant()))->RowCount(), 1);
    EXPECT_EQ(q.s.select("Articolo", a->BuildReferenceCondition("Unita", QVariant()))->RowCount(), 1);
    const QDateTime when(QDate(2007, 3, 5), QTime(14, 30));
    EXPECT_EQ(q.s.select("Documento", "Data = " + q.s.db->FormatDateLiteral(when))->RowCount(), 1);
    EXPECT_EQ(q.s.select("Documento", a->BuildFieldCondition("Data", when))->RowCount(), 1);
    EXPECT_EQ(q.s.db->QuoteText("l'uovo"), "'l''uovo'");
}

// Values bound to a condition's "?" instead of written into it: the text stays the same for
// every value, and a value is never read as SQL.
TEST(ObjDbQuery, FilterValuesAreBoundToTheConditionsMarks)
{
    trace() = Trace();
    QueryShop q;
    auto a = q.s.select("Articolo", "", "Codice");
    const QString condition = "(Descrizione = ? OR Codice = ?) AND Prezzo > ?";
    ASSERT_TRUE(a->Find(condition, {"O'Brien", "P1", 1.0}));
    EXPECT_EQ(column(*a, "Codice"), QStringList({"P1", "Q'1"}));
    EXPECT_EQ(a->RowCount(), 2);
    EXPECT_EQ(a->Aggregate("Prezzo", 0).value<Currency>(), eur("5"));
    // A grid reads through a clone: it carries the bound values with the condition.
    ASSERT_TRUE(a->MoveToOID(a->GetTable()->Select("Codice = 'Q''1'")->GetOID()));
    auto clone = a->Clone();
    EXPECT_EQ(clone->GetText("Codice"), "Q'1");
    EXPECT_EQ(column(*clone, "Codice"), QStringList({"P1", "Q'1"}));
    EXPECT_EQ(clone->RowCount(), 2);
    ASSERT_FALSE(a->Find(condition, {"x' OR 'a'='a", "P9", 0.0}));
    EXPECT_EQ(a->RowCount(), 0);
    // Searching keeps every row and moves to the first that meets the condition.
    a->SetFilter("");
    ASSERT_TRUE(a->Find("Unita = ? AND Prezzo < ?",
                        {a->GetTable()->Select("Codice = 'P2'")->GetReferenceOID("Unita"), 2.0}, false));
    EXPECT_EQ(a->GetText("Codice"), "P2");
    EXPECT_EQ(a->RowCount(), 4);
}

TEST(ObjDbQuery, FieldListsShowComputedAndReachedColumns)
{
    trace() = Trace();
    QueryShop q;
    auto rows = q.s.db->Tables().Item("Riga")->Select(
        "", "Valore DESC, Codice", "*, Articolo.Codice, Unita.Descrizione AS NomeUnita, (Prezzo * Quantita) AS Valore");
    ASSERT_FALSE(rows->IsEmpty());
    EXPECT_EQ(rows->GetText("Codice"), "P1");
    EXPECT_EQ(rows->GetValue("Valore").toDouble(), 4.0);
    EXPECT_EQ(rows->GetText("NomeUnita"), "Pezzi");
    QStringList names;
    for (const FieldInfo& f : rows->GetFieldInfos()) names << f.Name;
    EXPECT_EQ(names, QStringList({"Quantita", "Importo", "Progressivo", "Codice", "NomeUnita", "Valore"}));
    auto docs = q.s.db->Tables().Item("Documento")->Select("", "", "Note, Cliente");
    EXPECT_EQ(docs->GetFieldInfos().size(), 2u);
}

// A report computes a column from another one, and one under a field's own name: the stock
// before the lines sold. Conditions, filters, searches, orders and totals name what is shown.
TEST(ObjDbQuery, AFieldListsColumnsAreNamedAsShownAndOneNamedLikeAFieldTakesItsPlace)
{
    trace() = Trace();
    QueryShop q;
    const QString fields = QStringLiteral(
        "*, (Scorta + IIF(Venduto Is Null, 0, Venduto)) AS Scorta, "
        "(SELECT SUM(Quantita) FROM Riga WHERE objParent = Articolo.OID) AS Venduto, (Prezzo * Venduto) AS Incasso");
    TableObject& articoli = *q.s.db->Tables().Item("Articolo");
    auto sold = articoli.Select("Venduto > 0", "Codice", fields);
    EXPECT_EQ(column(*sold, "Codice"), QStringList({"P1", "P2"}));
    EXPECT_EQ(column(*sold, "Scorta"), QStringList({"50", "30"})) << "the stock before the sales";
    EXPECT_EQ(column(*sold, "Incasso"), QStringList({"4", "6"}));

    QStringList names;
    for (const FieldInfo& f : sold->GetFieldInfos()) names << f.Name;
    EXPECT_EQ(names.count("Scorta"), 1) << "in the field's place, once";
    EXPECT_LT(names.indexOf("Scorta"), names.indexOf("Venduto"));
    const FieldInfo stock = sold->GetFieldInfo("Scorta");
    EXPECT_EQ(stock.TypeCode, FieldType::Number);
    EXPECT_FALSE(stock.Editable);
    EXPECT_EQ(sold->GetFieldInfo("Incasso").TypeCode, FieldType::Number) << "arithmetic gives a number";
    EXPECT_EQ(sold->GetFieldInfo("Venduto").TypeCode, -2) << "what a sub-select gives is not known";

    auto all = articoli.Select("", "", fields);
    all->SetFilter("Scorta >= 30");
    EXPECT_EQ(column(*all, "Codice"), QStringList({"P1", "P2"})) << "P2 has 26 in store, 30 before its sales";
    EXPECT_EQ(all->Aggregate("Scorta", 0).toDouble(), 80.0);
    EXPECT_EQ(all->Aggregate("Venduto", 0).toDouble(), 6.0);
    all->SetFilter("");
    all->SetOrder("Incasso DESC");
    all->MoveFirst();
    EXPECT_EQ(all->GetText("Codice"), "P2");
    ASSERT_TRUE(all->FindFirst("Scorta = 10"));
    EXPECT_EQ(all->GetText("Codice"), "Q'1");

    // A value set through the data set is the row's own.
    ASSERT_TRUE(all->FindFirst("Codice = 'P2'"));
    all->SetValue("Scorta", 99.0);
    EXPECT_EQ(all->GetValue("Scorta").toDouble(), 99.0);
    all->CancelUpdate();
}

TEST(ObjDbQuery, SearchFilterOrderAndTotals)
{
    trace() = Trace();
    QueryShop q;
    auto a = q.s.select("Articolo", "", "Codice");
    EXPECT_EQ(column(*a, "Codice"), QStringList({"P1", "P2", "Q'1", "VARIE"}));
    a->SetOrder("Prezzo DESC");
    EXPECT_EQ(column(*a, "Codice"), QStringList({"Q'1", "P1", "P2", "VARIE"}));
    EXPECT_FALSE(a->AllowsOrder("NonEsiste"));
    EXPECT_THROW(a->SetOrder("NonEsiste"), AppError);
    a->SetOrder("Codice");
    ASSERT_TRUE(a->FindFirst(a->BuildCondition("Codice", "P", "*")));
    EXPECT_EQ(a->GetText("Codice"), "P1");
    ASSERT_TRUE(a->FindFirst(a->BuildCondition("Codice", "P", "*"), 0, true));
    EXPECT_EQ(a->GetText("Codice"), "P2");
    EXPECT_FALSE(a->FindFirst(a->BuildCondition("Codice", "P", "*"), 0, true));
    EXPECT_EQ(a->GetText("Codice"), "P2") << "not found: the current row stays";
    a->SetFilter("Scorta < 40");
    EXPECT_EQ(column(*a, "Codice"), QStringList({"P2", "Q'1", "VARIE"}));
    EXPECT_EQ(a->Aggregate("Scorta", 0).toDouble(), 26.0 + 10.0) << "P2 sold twice 2 of its 30";
    // The same filter bound to other values reads, counts and totals by the new ones.
    a->SetFilter("Scorta < ?", {40});
    EXPECT_EQ(column(*a, "Codice"), QStringList({"P2", "Q'1", "VARIE"}));
    a->SetFilter("Scorta < ?", {20});
    EXPECT_EQ(column(*a, "Codice"), QStringList({"Q'1", "VARIE"}));
    EXPECT_EQ(a->RowCount(), 2);
    EXPECT_EQ(a->Aggregate("Scorta", 0).toDouble(), 10.0);
    a->SetFilter("Scorta < ?", {0});
    EXPECT_TRUE(a->IsEmpty());
    a->SetFilter("");
    auto lines = q.s.select("Riga");
    EXPECT_EQ(lines->Aggregate("Importo", 0).value<Currency>(), eur("10"));
    EXPECT_EQ(lines->Aggregate("Prezzo", 2).value<Currency>(), eur("2"))
        << "a parent's field totalled through the lines";
    EXPECT_EQ(q.s.select("Riga", "OID = 0")->Aggregate("Importo", 2).value<Currency>(), Currency()) << "0 without rows";
    EXPECT_EQ(lines->GetNextProgressive("Progressivo").toLongLong(), 4);
    auto clone = a->Clone();
    clone->MoveLast();
    EXPECT_NE(clone->GetOID(), a->GetOID()) << "a clone moves on its own";
}

TEST(ObjDbQuery, FieldInformationFollowsTheAccessLevel)
{
    trace() = Trace();
    QueryShop q;
    auto a = q.s.select("Articolo");
    EXPECT_FALSE(a->GetFieldInfo("Costo").Shown);
    q.s.db->SetAccessLevel(1);
    EXPECT_TRUE(a->GetFieldInfo("Costo").Shown);
    EXPECT_EQ(a->GetFieldInfo("Prezzo").DisplayFormat, "#,##0.00##");
    auto lines = q.s.select("Riga");
    EXPECT_FALSE(lines->GetFieldInfo("Progressivo").Editable) << "kept by the program";
    const QString html = a->ExportHtml("Codice,Descrizione");
    EXPECT_TRUE(html.contains("<th>Codice</th><th>Descrizione</th>"));
    EXPECT_TRUE(html.contains("<td>O&#x27;Brien</td>") || html.contains("<td>O'Brien</td>"));
    EXPECT_TRUE(html.contains("<td>Pàne integrale</td>"));
}
