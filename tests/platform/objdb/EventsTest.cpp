// Field events, refusals and atomicity.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/ObjDbError.h"
#include <gtest/gtest.h>

using namespace fixture;

namespace {
Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

qint64 addArticle(Shop& s, const QString& code, const char* price, double stock)
{
    auto a = s.select("Articolo");
    return a->AddRow({"Codice", code, "Descrizione", "Articolo " + code, "Prezzo", QVariant::fromValue(eur(price)),
                      "Scorta", stock});
}
}

TEST(ObjDbEvents, RulesSettingAFieldReachAFixedPoint)
{
    trace() = Trace();
    Shop s(newDatabasePath("fixedpoint"));
    auto a = s.select("Articolo");
    a->NewRow();
    a->SetValue("Codice", "FP");
    trace().priceUpdates = 0;
    a->SetValue("Prezzo", 1.234);
    EXPECT_EQ(a->GetCurrencyValue("Prezzo"), eur("1.23"));
    EXPECT_EQ(trace().priceUpdates, 2) << "the rule's own change raises the event once more, which finds nothing to do";
    trace().priceUpdates = 0;
    a->SetValue("Prezzo", QVariant::fromValue(eur("1.23")));
    EXPECT_EQ(trace().priceUpdates, 0) << "an unchanged value raises no event";
}

TEST(ObjDbEvents, RulesThatNeverSettleStopWithAnErrorAndLeaveTheValue)
{
    trace() = Trace();
    Shop s(newDatabasePath("runaway"));
    auto c = s.select("Ciclo");
    c->AddRow({"Contatore", 1});
    trace().runawayLoop = true;
    try {
        c->SetValue("Contatore", 2);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, objdb::errorNumber(objdb::RunawayRules));
    }
    trace().runawayLoop = false;
    EXPECT_EQ(c->GetFieldValue("Contatore").toLongLong(), 1);
}

TEST(ObjDbEvents, RefusedSaveChangesNothingAndReportsTheMessage)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("refusesave"), &sink);
    auto a = s.select("Articolo");
    a->NewRow();
    a->SetValue("Codice", "M0");
    a->SetValue("Misura", 0.0);
    try {
        a->Update();
        FAIL() << "saved";
    } catch (const AppError& e) {
        EXPECT_TRUE(objdb::isRefusal(e));
    }
    EXPECT_EQ(sink.refusals, QStringList {"Il campo <Misura> deve essere maggiore di 0"});
    EXPECT_EQ(s.count("Articolo"), 1);
    EXPECT_TRUE(a->IsNewRow()) << "the user can correct the row and save again";
    a->SetValue("Misura", 2.0);
    a->Update();
    EXPECT_EQ(s.count("Articolo"), 2);
}

TEST(ObjDbEvents, RefusedFieldChangeGivesBackEveryDerivedValue)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("refusefield"), &sink);
    addArticle(s, "A", "400", 10);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "vendita"});
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    ASSERT_TRUE(lines->SetParentByKey("A"));
    lines->SetValue("Quantita", 2.0);
    lines->Update();
    ASSERT_EQ(lines->GetCurrencyValue("Importo"), eur("800"));
    ASSERT_EQ(lines->GetFieldValue("Scorta").toDouble(), 8.0);
    // The unit amount stays 400, but a price of 1200 makes it over the maximum.
    lines->SetValue("Prezzo", 1200);
    EXPECT_TRUE(lines->WasRefused());
    EXPECT_EQ(sink.refusals, QStringList {"Importo superiore al massimo consentito (1000)"});
    EXPECT_EQ(lines->GetCurrencyValue("Prezzo"), eur("400"));
    EXPECT_EQ(lines->GetCurrencyValue("Importo"), eur("800"));
    EXPECT_EQ(lines->GetFieldValue("Scorta").toDouble(), 8.0);
    lines->SetValue("Quantita", 3.0);
    EXPECT_FALSE(lines->WasRefused());
    lines->Update();
    EXPECT_EQ(s.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(), 7.0);
}

// The rules give a refused change back by hearing it undone, but a line that lost its article
// has no price left to compute its amount from: a new line goes back as it was before.
TEST(ObjDbEvents, ARefusedChangeOnANewLineLeavesNothingForItsDocument)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("refusenew"), &sink);
    addArticle(s, "A", "1500", 10);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "vendita"});
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    lines->SetValue("Quantita", 2.0);
    ASSERT_TRUE(lines->SetParentByKey("A"));
    EXPECT_TRUE(lines->WasRefused());
    EXPECT_EQ(sink.refusals, QStringList {"Importo superiore al massimo consentito (1000)"});
    EXPECT_TRUE(lines->GetParentKey().isNull());
    EXPECT_TRUE(lines->IsFieldNull("Importo"));
    EXPECT_EQ(lines->GetFieldValue("Quantita").toDouble(), 2.0);

    lines->Update();
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), Currency());
    EXPECT_EQ(s.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(), 10.0);
    EXPECT_TRUE(s.scalar("SELECT Importo FROM Riga").isNull());
}

// A save rolled back after the line was written (its document refused it) leaves every row
// buffer as before the save: the line is new again and joins the list when saved later, the
// document's total and the article's stock are what they were.
TEST(ObjDbEvents, ARolledBackSaveGivesEveryRowItsStateBeforeTheSave)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("rollback"), &sink);
    addArticle(s, "A", "400", 10);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "chiuso"});
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    ASSERT_TRUE(lines->SetParentByKey("A"));
    lines->SetValue("Quantita", 2.0);
    ASSERT_EQ(lines->GetFieldValue("Scorta").toDouble(), 8.0);

    EXPECT_THROW(lines->Update(), AppError);
    EXPECT_EQ(sink.refusals, QStringList {"Documento chiuso"});
    EXPECT_EQ(s.count("Riga"), 0);
    EXPECT_EQ(s.scalar("SELECT count(*) FROM [Documento$Righe]").toLongLong(), 0);
    EXPECT_EQ(s.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(), 10.0);
    EXPECT_TRUE(lines->IsNewRow());
    EXPECT_TRUE(lines->IsChanged());
    EXPECT_EQ(lines->GetFieldValue("Scorta").toDouble(), 8.0)
        << "the line still carries its stock, to be saved with it";
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), Currency()) << "the total the refused save counted went with it";

    doc->SetValue("Note", "aperto");
    lines->Update();
    EXPECT_EQ(s.count("Riga"), 1);
    EXPECT_EQ(s.scalar("SELECT count(*) FROM [Documento$Righe]").toLongLong(), 1);
    EXPECT_EQ(s.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(), 8.0);
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("800"));
}

TEST(ObjDbEvents, ARefusedOperationLeavesNoWriteOfItsRulesBehind)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("atomic"), &sink);
    s.select("Cliente")->AddRow({"Nome", "Rossi"});
    auto doc = s.select("Documento");
    doc->NewRow();
    doc->SetReferenceByKey("Cliente", "Rossi");
    doc->SetValue("Note", "rifiuta");
    EXPECT_THROW(doc->Update(), AppError);
    EXPECT_EQ(sink.refusals.value(0), "Documento rifiutato");
    EXPECT_EQ(s.scalar("SELECT Punti FROM Cliente WHERE Nome='Rossi'").toLongLong(), 0)
        << "the customer written by the refused rule was rolled back";
    EXPECT_EQ(s.count("Documento"), 0);
}

TEST(ObjDbEvents, OutsideAnOperationARefusalIsAnError)
{
    Shop s(newDatabasePath("outside"));
    auto a = s.select("Articolo");
    try {
        a->CancelWithMessage("Operazione interrotta");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_TRUE(objdb::isRefusal(e));
        EXPECT_EQ(e.description, "Operazione interrotta");
    }
}
