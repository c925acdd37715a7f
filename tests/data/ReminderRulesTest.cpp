// Reminder rules: the watched table and date field must exist, the message's placeholders
// must name fields of that table, the notice stays within its limits, and a change of the
// watched table or field restarts the rule's checks.
#include "ShopDatabase.h"
#include "HeadlessGuard.h"
#include "data/ImpostazioniPromemoria.h"
#include "objdb/TableObject.h"
#include <gtest/gtest.h>

namespace {

const QString kTableFirst = "Inserire prima il nome della tabella";

TEST(PlaceholderSplit, TakesTheFirstPlaceholderAndTheTextAfterIt)
{
    struct Case {
        const char* text;
        PlaceholderSplit outcome;
        const char* field;   // as left by the split; "?" : untouched
        const char* rest;
    };
    const Case cases[] = {
        {"Nessun campo", PlaceholderSplit::None, "", ""},
        {"", PlaceholderSplit::None, "", ""},
        {"<%Codice%>", PlaceholderSplit::Found, "Codice", ""},
        {"Art. <%Codice%> scade il <%Data%>.", PlaceholderSplit::Found, "Codice", " scade il <%Data%>."},
        {"<%%>dopo <%Data%>", PlaceholderSplit::Found, "", "dopo <%Data%>"},
        {"<%Co%>de%>", PlaceholderSplit::Found, "Co", "de%>"},
        {"<% Descrizione %>", PlaceholderSplit::Found, " Descrizione ", ""},
        // Only the exact marks count.
        {"< %Codice% >", PlaceholderSplit::None, "", ""},
        // Broken placeholders leave field and rest as they were.
        {"Scade il <%Data", PlaceholderSplit::Malformed, "?", "?"},
        {"%> prima di <%Data%>", PlaceholderSplit::Malformed, "?", "?"},
        {"<%>", PlaceholderSplit::Malformed, "?", "?"},
    };
    for (const Case& c : cases) {
        QString field = "?";
        QString rest = "?";
        EXPECT_EQ(Split_CampoMessaggio(QString::fromUtf8(c.text), field, rest), c.outcome) << c.text;
        EXPECT_EQ(field, QString::fromUtf8(c.field)) << c.text;
        EXPECT_EQ(rest, QString::fromUtf8(c.rest)) << c.text;
    }
}

class ReminderRules : public ::testing::Test {
protected:
    void SetUp() override { shop.open(); }
    void TearDown() override { shop.close(); }

    // A rule being typed in, not yet stored.
    std::unique_ptr<TableData> newRule()
    {
        auto rules = shop.select("ImpostazioniPromemoria");
        rules->NewRow();
        shop.sink().refusals.clear();
        shop.sink().warnings.clear();
        return rules;
    }
    // The rule stored, read back from the file.
    std::unique_ptr<TableData> stored(TableData& rule)
    {
        rule.Update();
        auto again = shop.select("ImpostazioniPromemoria", QString("OID = %1").arg(rule.GetOID()));
        again->MoveFirst();
        return again;
    }
    QStringList refusals() { return shop.sink().refusals; }
    QStringList warnings() { return shop.sink().warnings; }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    ShopDatabase shop;
};

TEST_F(ReminderRules, WatchedTableMustExist)
{
    struct Case {
        const char* table;
        const char* refusal;   // empty: accepted
    };
    const Case cases[] = {
        {"Pippo", "Tabella 'Pippo' inesistente"},
        {"Vendite", ""},
        {"Promemoria", ""},
        {"Vendite2", "Tabella 'Vendite2' inesistente"},
    };
    for (const Case& c : cases) {
        auto rule = newRule();
        rule->SetValue("NomeTabella", c.table);
        const QString refusal = QString::fromUtf8(c.refusal);
        if (refusal.isEmpty()) {
            EXPECT_TRUE(refusals().isEmpty()) << c.table;
            EXPECT_EQ(stored(*rule)->GetText("NomeTabella"), c.table);
        } else {
            EXPECT_EQ(refusals(), QStringList {refusal}) << c.table;
            EXPECT_TRUE(rule->WasRefused()) << c.table;
            // The refused name is not kept, not even in the stored row.
            EXPECT_TRUE(rule->IsFieldEmpty("NomeTabella")) << c.table;
            EXPECT_TRUE(stored(*rule)->IsFieldEmpty("NomeTabella")) << c.table;
        }
    }
}

TEST_F(ReminderRules, DateFieldMustBeADateOfTheWatchedTable)
{
    struct Case {
        const char* table;   // empty: none chosen yet
        const char* field;
        QString refusal;   // empty: accepted
    };
    const Case cases[] = {
        {"", "DataVendita", kTableFirst},
        {"Vendite", "Pippo", "Campo 'Pippo' inesistente nella tabella Vendite"},
        {"Vendite", "Note", QString::fromUtf8("Il campo 'Note' non è di tipo Data o Data/ora")},
        {"Vendite", "ImportoVendita", QString::fromUtf8("Il campo 'ImportoVendita' non è di tipo Data o Data/ora")},
        {"Vendite", "DataVendita", QString()},   // date and time
        {"Ricevute", "Data", QString()},   // date
        {"Promemoria", "DataProssimaNotifica", QString()},
    };
    for (const Case& c : cases) {
        auto rule = newRule();
        if (*c.table) rule->SetValue("NomeTabella", c.table);
        rule->SetValue("NomeCampoData", c.field);
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(refusals().isEmpty()) << c.table << "." << c.field;
            EXPECT_EQ(rule->GetText("NomeCampoData"), c.field);
        } else {
            EXPECT_EQ(refusals(), QStringList {c.refusal}) << c.table << "." << c.field;
            EXPECT_TRUE(rule->IsFieldEmpty("NomeCampoData")) << c.table << "." << c.field;
        }
    }
}

// The engine resumes a rule from DataUltimoControllo: another table or date field starts it
// afresh, the same one written again keeps its place. A refused name is looked at as a
// change too: the rule then starts afresh on what it watched before.
TEST_F(ReminderRules, ChangingTheWatchedTableOrDateFieldRestartsTheChecks)
{
    struct Case {
        const char* field;
        const char* value;
        bool restarted;
        const char* table;   // watched afterwards
        const char* dateField;
    };
    const Case cases[] = {
        {"NomeTabella", "Promemoria", false, "Promemoria", "DataProssimaNotifica"},
        {"NomeTabella", "Vendite", true, "Vendite", "DataProssimaNotifica"},
        {"NomeTabella", "Pippo", true, "Promemoria", "DataProssimaNotifica"},
        {"NomeCampoData", "DataProssimaNotifica", false, "Promemoria", "DataProssimaNotifica"},
        {"NomeCampoData", "DataRiferimento", true, "Promemoria", "DataRiferimento"},
        {"NomeCampoData", "Pippo", true, "Promemoria", "DataProssimaNotifica"},
    };
    const QDateTime lastCheck(QDate(2007, 2, 28), QTime(18, 0));
    for (const Case& c : cases) {
        auto rule = newRule();
        rule->SetValue("NomeTabella", "Promemoria");
        rule->SetValue("NomeCampoData", "DataProssimaNotifica");
        rule->SetValue("DataUltimoControllo", lastCheck);
        auto saved = stored(*rule);
        saved->SetValue(c.field, c.value);
        auto again = stored(*saved);
        const std::string label = std::string(c.field) + "=" + c.value;
        if (c.restarted)
            EXPECT_TRUE(again->IsFieldNull("DataUltimoControllo")) << label;
        else
            EXPECT_EQ(again->GetValue("DataUltimoControllo").toDateTime(), lastCheck) << label;
        EXPECT_EQ(again->GetText("NomeTabella"), c.table) << label;
        EXPECT_EQ(again->GetText("NomeCampoData"), c.dateField) << label;
    }
}

TEST_F(ReminderRules, MessagePlaceholdersMustNameFieldsOfTheWatchedTable)
{
    const QString malformed
        = "Messaggio non corretto.\rPer inserire il nome di un campo della tabella usare la specifica <%NomeCampo%> ";
    struct Case {
        const char* table;
        const char* message;
        QString refusal;   // empty: accepted
    };
    const Case cases[] = {
        {"Vendite", "Vendita del <%DataVendita%> di <%ImportoVendita%> euro", QString()},
        {"Vendite", "Nessun campo", QString()},
        {"Vendite", "<%DataVendita%> <%Pippo%> <%Pluto%>", "Campo 'Pippo' inesistente nella tabella Vendite"},
        {"Vendite", "Vendita del <%DataVendita", malformed},
        {"Vendite", "%> prima di <%DataVendita%>", malformed},
        {"Vendite", "<%DataVendita%> e <%Note", malformed},
        {"Vendite", "<%>", malformed},
        // An empty placeholder ends the check.
        {"Vendite", "<%%> poi <%Pippo%>", QString()},
        {"", "Vendita del <%DataVendita%>", kTableFirst},
        {"", "Nessun campo", kTableFirst},
    };
    for (const Case& c : cases) {
        auto rule = newRule();
        if (*c.table) rule->SetValue("NomeTabella", c.table);
        rule->SetValue("MessaggioDiNotifica", QString::fromUtf8(c.message));
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(refusals().isEmpty()) << c.message;
            EXPECT_EQ(rule->GetText("MessaggioDiNotifica"), QString::fromUtf8(c.message));
        } else {
            EXPECT_EQ(refusals(), QStringList {c.refusal}) << c.message;
            EXPECT_TRUE(rule->IsFieldEmpty("MessaggioDiNotifica")) << c.message;
        }
    }
}

TEST_F(ReminderRules, NoticeIsAtMostThirtyDaysAndAtLeastTenMinutes)
{
    struct Case {
        qint64 days, hours, minutes;
        qint64 storedDays, storedMinutes;
        QStringList warnings;
    };
    const QString tooManyDays = "I giorni di preavviso non possono essere maggiori di 30";
    const QString tooFewMinutes = "I minuti di preavviso TOTALI non possono essere inferiori a 10";
    const Case cases[] = {
        {31, 0, 0, 30, 0, {tooManyDays}},
        {365, 2, 5, 30, 5, {tooManyDays}},
        {30, 0, 0, 30, 0, {}},
        {0, 0, 5, 0, 10, {tooFewMinutes}},
        {0, 0, 0, 0, 10, {tooFewMinutes}},
        {0, 0, -20, 0, 10, {tooFewMinutes}},
        {0, 0, 10, 0, 10, {}},
        {0, 1, 0, 0, 0, {}},
        {1, 0, 0, 1, 0, {}},
    };
    for (const Case& c : cases) {
        auto rule = newRule();
        rule->SetValue("GiorniDiPreavviso", c.days);
        rule->SetValue("OreDiPreavviso", c.hours);
        rule->SetValue("MinutiDiPreavviso", c.minutes);
        auto saved = stored(*rule);
        const QString label = QString("%1 d %2 h %3 min").arg(c.days).arg(c.hours).arg(c.minutes);
        EXPECT_EQ(saved->GetValue("GiorniDiPreavviso").toLongLong(), c.storedDays) << label.toStdString();
        EXPECT_EQ(saved->GetValue("OreDiPreavviso").toLongLong(), c.hours) << label.toStdString();
        EXPECT_EQ(saved->GetValue("MinutiDiPreavviso").toLongLong(), c.storedMinutes) << label.toStdString();
        EXPECT_EQ(warnings(), c.warnings) << label.toStdString();
        EXPECT_TRUE(refusals().isEmpty()) << label.toStdString();
    }
}

TEST_F(ReminderRules, NewReminderIsOpenWithAnEmptyOrigin)
{
    auto reminders = shop.select("Promemoria");
    const qint64 oid = reminders->AddRow({"TestoPromemoria", "Scadenza"});
    auto r = shop.select("Promemoria", QString("OID = %1").arg(oid));
    r->MoveFirst();
    EXPECT_EQ(r->GetValue("Chiuso"), QVariant(false));
    EXPECT_EQ(r->GetValue("DataRiferimento").toDateTime(), QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    for (const char* origin : {"NomeTabellaOrigine", "NomeCampoDataOrigine", "IDElementoOrigine"}) {
        EXPECT_FALSE(r->IsFieldNull(origin)) << origin;
        EXPECT_EQ(r->GetText(origin), QString()) << origin;
    }
    EXPECT_TRUE(r->IsFieldNull("DataProssimaNotifica"));
}

}   // namespace
