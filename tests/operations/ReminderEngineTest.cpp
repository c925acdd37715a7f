// Reminders made from dated rows by the reminder rules, listed, announced, closed and
// postponed.
#include "BackupShop.h"
#include "objdb/Notify.h"
#include "operations/ReminderEngine.h"
#include "objdb/TableObject.h"

namespace {

class MessageSink : public itfNotifyEvent {
public:
    void OnInternalMessage(const QString&, const QString& detail) override { messages << detail; }
    QStringList messages;
};

// The reminder window as the engine sees it.
class FakeWindow : public ReminderWindowPort {
public:
    bool IsShown() const override { return shown; }
    bool ShowWindow() override
    {
        ++showCalls;
        shown = canShow;
        return canShow;
    }
    void ShowSign() override { ++signs; }
    bool shown = false;
    bool canShow = true;
    int showCalls = 0;
    int signs = 0;
};

const QDateTime kNow(QDate(2007, 3, 10), QTime(12, 0));

class Reminders : public BackupShop {
protected:
    Reminders()
    {
        db().SetSink(&sink);
        addArticle("A", 10);
        clock->set(kNow);
    }

    // A supply dated `when` (the clock goes back to kNow afterwards).
    qint64 supplyAt(const QDateTime& when, const QString& note = QString())
    {
        const qint64 oid = supply(when, true, "A", 1);
        if (!note.isEmpty()) {
            auto s = select("Forniture", QString("OID = %1").arg(oid));
            s->SetValue("Note", note);
            s->Update();
        }
        clock->set(kNow);
        return oid;
    }
    qint64 rule(qint64 days, qint64 hours, qint64 minutes, const QString& message)
    {
        return select("ImpostazioniPromemoria")
            ->AddRow({"NomeTabella", "Forniture", "NomeCampoData", "DataFornitura", "GiorniDiPreavviso", days,
                      "OreDiPreavviso", hours, "MinutiDiPreavviso", minutes, "MessaggioDiNotifica", message});
    }
    QDateTime lastCheck(qint64 rule)
    {
        return select("ImpostazioniPromemoria", QString("OID = %1").arg(rule))
            ->GetValue("DataUltimoControllo")
            .toDateTime();
    }
    // Origin key -> reminder text.
    QMap<QString, QString> reminders()
    {
        QMap<QString, QString> out;
        auto rows = select("Promemoria");
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext())
            out.insert(rows->GetText("IDElementoOrigine"), rows->GetText("TestoPromemoria"));
        return out;
    }
    ReminderEngine::RunResult runAt(const QDateTime& when, bool all = false)
    {
        clock->set(when);
        return engine.Run(&db(), all, &window);
    }

    MessageSink sink;
    FakeWindow window;
    ReminderEngine engine;
};

TEST_F(Reminders, TemplatesExpandInOnePassLeftToRight)
{
    const qint64 oid = supplyAt(QDateTime(QDate(2007, 3, 5), QTime(9, 30)), "<%Note%> e <%DataFornitura%>");
    auto row = select("Forniture", QString("OID = %1").arg(oid));
    const QString date = row->GetText("DataFornitura");
    ASSERT_FALSE(date.isEmpty());
    const QString note = "<%Note%> e <%DataFornitura%>";
    const struct {
        QString text;
        QString expanded;
        bool malformed;
    } cases[] = {
        {"Nessun campo", "Nessun campo", false},
        {"Fornitura del <%DataFornitura%>", "Fornitura del " + date, false},
        {"<%DataFornitura%> e <%DataFornitura%>", date + " e " + date, false},
        // A value holding placeholders is text, not a template: no second round, no endless one.
        {"Nota: <%Note%>!", "Nota: " + note + "!", false},
        {"<%Mancante%> qui", "# Non identificato: Mancante# qui", false},
        {"<% Note %>", "# Non identificato:  Note #", false},
        {"Senza chiusura <%Note", "", true},
        {"Chiusura prima %> poi <%Note%>", "", true},
        {"<%>", "", true},
    };
    for (const auto& c : cases) {
        sink.messages.clear();
        EXPECT_EQ(ReminderEngine::ExpandMessageTemplate(*row, c.text), c.expanded) << c.text.toStdString();
        EXPECT_EQ(sink.messages,
                  c.malformed
                      ? QStringList {"Messaggio non corretto.\rImpossibile determinare il nome del campo della tabella"}
                      : QStringList {})
            << c.text.toStdString();
    }
}

TEST_F(Reminders, EachRowInTheWindowGetsOneReminderOnce)
{
    const qint64 r = rule(2, 0, 0, "Fornitura del <%DataFornitura%> da controllare");
    const qint64 tooOld = supplyAt(kNow.addDays(-3));
    const qint64 yesterday = supplyAt(kNow.addDays(-1));
    const qint64 tomorrow = supplyAt(kNow.addDays(1));
    const qint64 atTheEdge = supplyAt(kNow.addDays(2));
    const qint64 tooFar = supplyAt(kNow.addDays(2).addSecs(1));

    ReminderEngine::RunResult first = runAt(kNow);
    EXPECT_TRUE(first.ran);
    EXPECT_EQ(first.created, 3);
    const QMap<QString, QString> made = reminders();
    EXPECT_EQ(made.keys(),
              (QStringList {QString::number(yesterday), QString::number(tomorrow), QString::number(atTheEdge)}));
    auto row = select("Forniture", QString("OID = %1").arg(tomorrow));
    EXPECT_EQ(made.value(QString::number(tomorrow)),
              "Fornitura del " + row->GetText("DataFornitura") + " da controllare");
    auto reminder = select("Promemoria", QString("IDElementoOrigine = '%1'").arg(tomorrow));
    EXPECT_EQ(reminder->GetText("NomeTabellaOrigine"), "Forniture");
    EXPECT_EQ(reminder->GetText("NomeCampoDataOrigine"), "DataFornitura");
    EXPECT_EQ(reminder->GetValue("DataProssimaNotifica").toDateTime(), kNow) << "due at once, not at the row's date";
    EXPECT_EQ(reminder->GetValue("DataRiferimento").toDateTime(), kNow.addDays(1));
    EXPECT_FALSE(reminder->GetBoolValue("Chiuso"));
    EXPECT_EQ(engine.Entries().size(), 3u);
    EXPECT_EQ(lastCheck(r), kNow.addDays(2)) << "the date of the last row read";

    ReminderEngine::RunResult second = runAt(kNow);
    EXPECT_EQ(second.created, 0);
    EXPECT_FALSE(second.announced);
    EXPECT_EQ(reminders(), made);

    // A minute later the window reaches one second further; the row there is due at once.
    EXPECT_EQ(runAt(kNow.addSecs(60)).created, 1);
    EXPECT_TRUE(reminders().contains(QString::number(tooFar)));
    EXPECT_FALSE(reminders().contains(QString::number(tooOld)));
    reminder = select("Promemoria", QString("IDElementoOrigine = '%1'").arg(tooFar));
    EXPECT_EQ(reminder->GetValue("DataProssimaNotifica").toDateTime(), kNow.addSecs(60));
}

TEST(ReminderWindow, TheFirstScanLooksBackTheNoticeLaterOnesGoOnFromTheLastButNoFurtherBack)
{
    const qint64 day = 1440;
    const struct {
        const char* what;
        qint64 notice;
        std::optional<QDateTime> last;
        QDateTime lower;
    } cases[] = {
        {"first scan: the notice", 30, std::nullopt, kNow.addSecs(-30 * 60)},
        {"first scan of a long notice", 3 * day, std::nullopt, kNow.addDays(-3)},
        {"from the last scan", 30, kNow.addSecs(-2 * 3600), kNow.addSecs(-2 * 3600)},
        {"never more than a day back", 30, kNow.addSecs(-25 * 3600), kNow.addDays(-1)},
        {"or the notice when longer", 3 * day, kNow.addDays(-2), kNow.addDays(-2)},
        {"the notice bounds a longer gap", 3 * day, kNow.addDays(-4), kNow.addDays(-3)},
        {"a last row read in the future", 30, kNow.addSecs(20 * 60), kNow.addSecs(20 * 60)},
    };
    for (const auto& c : cases) {
        const ReminderEngine::ScanWindow w = ReminderEngine::Window(c.notice, c.last, kNow);
        EXPECT_EQ(w.lower, c.lower) << c.what;
        EXPECT_EQ(w.upper, kNow.addSecs(c.notice * 60)) << c.what;
    }
}

TEST_F(Reminders, ScansGoOnFromTheLastRowReadOrTheWindowsStart)
{
    const qint64 r = rule(0, 0, 30, "Controllo");
    supplyAt(kNow.addSecs(20 * 60));
    EXPECT_EQ(runAt(kNow).created, 1);
    EXPECT_EQ(lastCheck(r), kNow.addSecs(20 * 60));

    // Entered late with dates before the point the last scan reached: not found.
    const qint64 late = supplyAt(kNow.addSecs(-12 * 3600));
    const qint64 between = supplyAt(kNow.addSecs(10 * 60));
    EXPECT_EQ(runAt(kNow.addSecs(60)).created, 0);
    EXPECT_FALSE(reminders().contains(QString::number(late)));
    EXPECT_FALSE(reminders().contains(QString::number(between)));
    EXPECT_EQ(lastCheck(r), kNow.addSecs(20 * 60)) << "the same last row read again";

    // Two days on the window holds no row: the scan stores where it started, a day back.
    EXPECT_EQ(runAt(kNow.addDays(2)).created, 0);
    EXPECT_EQ(lastCheck(r), kNow.addDays(1));
    const qint64 next = supplyAt(kNow.addDays(1).addSecs(3600));
    EXPECT_EQ(runAt(kNow.addDays(2).addSecs(60)).created, 1);
    EXPECT_TRUE(reminders().contains(QString::number(next)));
    EXPECT_EQ(lastCheck(r), kNow.addDays(1).addSecs(3600));
}

TEST_F(Reminders, ClosedRemindersBlockTheirRowUntilPurged)
{
    rule(1, 0, 0, "Controllo");
    const qint64 s = supplyAt(kNow.addSecs(3600));
    runAt(kNow);
    ASSERT_EQ(engine.Entries().size(), 1u);
    EXPECT_TRUE(engine.CloseReminders(db(), engine.Entries()));
    runAt(kNow.addSecs(60));
    EXPECT_EQ(engine.Entries().size(), 0u) << "closed reminders are not listed";
    EXPECT_EQ(reminders().size(), 1) << "and the row gets no second one";

    // The purge keeps a closed reminder for the longest notice plus 15 days after its row's date.
    ReminderEngine purgedEarly;
    clock->set(kNow.addDays(16));
    purgedEarly.Run(&db(), false, &window);
    EXPECT_EQ(reminders().size(), 1);
    ReminderEngine purging;
    clock->set(kNow.addDays(17));
    purging.Run(&db(), false, &window);
    EXPECT_TRUE(reminders().isEmpty());
    (void)s;
}

TEST_F(Reminders, NewRemindersAreAnnounced)
{
    rule(1, 0, 0, "Controllo");
    supplyAt(kNow.addSecs(3600));
    prompts->addAnswer("Yes");
    ReminderEngine::RunResult r = runAt(kNow);
    EXPECT_TRUE(r.announced);
    EXPECT_EQ(prompts->log(),
              (QStringList {"BEEP: ", "MSGBOX: NUOVO PROMEMORIA...\r\rVuoi visualizzare i promemoria ?"}));
    EXPECT_EQ(window.signs, 1);
    EXPECT_EQ(window.showCalls, 1);

    // Shown already: beep and sign, no question.
    supplyAt(kNow.addSecs(7200));
    prompts->clearLog();
    runAt(kNow.addSecs(60));
    EXPECT_EQ(prompts->log(), QStringList {"BEEP: "});
    EXPECT_EQ(window.signs, 2);

    // Hidden and a modal window in the way.
    window.shown = false;
    window.canShow = false;
    supplyAt(kNow.addSecs(3 * 3600));
    prompts->clearLog();
    prompts->addAnswer("Yes");
    runAt(kNow.addSecs(120));
    EXPECT_EQ(
        prompts->prompts().last(),
        "Lo stato corrente non permette la visualizzazione dei promemoria.\r\rUscire dalle finestre e riprovare...");
}

TEST_F(Reminders, PostponingByAWeekMovesTheNextNoticeBy10080Minutes)
{
    rule(1, 0, 0, "Controllo");
    supplyAt(kNow.addSecs(3600));
    runAt(kNow);
    ASSERT_EQ(engine.Entries().size(), 1u);
    const ReminderEntry entry = engine.Entries().front();

    const QDateTime command = kNow.addSecs(25 * 60);
    clock->set(command);
    EXPECT_EQ(engine.Postpone(db(), {entry}, "1 settimana"), ReminderEngine::Postponed::Done);
    auto reminder = select("Promemoria", QString("OID = %1").arg(entry.key));
    EXPECT_EQ(reminder->GetValue("DataProssimaNotifica").toDateTime(), command.addSecs(10080 * 60))
        << "from the moment of the command, not from the old notice";

    runAt(command);
    EXPECT_TRUE(engine.Entries().empty()) << "not due until then";
    prompts->clearLog();
    runAt(command, true);
    EXPECT_EQ(engine.Entries().size(), 1u) << "every open reminder when all are asked for";
    EXPECT_EQ(prompts->log().value(0), "BEEP: ") << "the list grew";
    runAt(command.addSecs(10080 * 60));
    EXPECT_EQ(engine.Entries().size(), 1u) << "due again a week later";
}

TEST_F(Reminders, CommandsTellWhatIsMissing)
{
    rule(1, 0, 0, "Controllo");
    supplyAt(kNow.addSecs(3600));
    runAt(kNow);
    const ReminderEntry entry = engine.Entries().front();
    const ReminderEntry gone {entry.key + 1000, "10/03/2007 - Sparito"};
    prompts->clearLog();

    EXPECT_FALSE(engine.CloseReminders(db(), {}));
    EXPECT_EQ(engine.Postpone(db(), {}, "1 ora"), ReminderEngine::Postponed::NothingSelected);
    EXPECT_EQ(engine.Postpone(db(), {entry}, ""), ReminderEngine::Postponed::NoInterval);
    EXPECT_EQ(engine.Postpone(db(), {entry}, "3 anni"), ReminderEngine::Postponed::NoInterval);
    EXPECT_EQ(prompts->prompts(),
              (QStringList {"Devi selezionare almeno un elemento da eliminare...",
                            "Devi selezionare almeno un elemento da posporre...",
                            "Impostare un intervallo di tempo valido", "Impostare un intervallo di tempo valido"}));
    auto reminder = select("Promemoria", QString("OID = %1").arg(entry.key));
    EXPECT_EQ(reminder->GetValue("DataProssimaNotifica").toDateTime(), kNow) << "nothing changed";

    prompts->clearLog();
    EXPECT_EQ(engine.Postpone(db(), {gone, entry}, "1 ora"), ReminderEngine::Postponed::Done);
    EXPECT_EQ(prompts->prompts(),
              QStringList {
                  QString::fromUtf8("Il messaggio:\r10/03/2007 - Sparito\r\rNon è stato identificato nella tabella dei "
                                    "Promemoria; è possibile che sia già stato cancellato.\r\rIl messaggio non può "
                                    "pertanto essere posposto")});
    reminder = select("Promemoria", QString("OID = %1").arg(entry.key));
    EXPECT_EQ(reminder->GetValue("DataProssimaNotifica").toDateTime(), kNow.addSecs(3600))
        << "the others are still postponed";
    EXPECT_TRUE(engine.CloseReminders(db(), {gone, entry}));
    EXPECT_TRUE(select("Promemoria", QString("OID = %1").arg(entry.key))->GetBoolValue("Chiuso"));
}

TEST_F(Reminders, ALongExpansionIsCutToTheReminderText)
{
    rule(1, 0, 0, "<%Note%><%Note%>");
    const QString note(128, QChar(u'x'));
    supplyAt(kNow.addSecs(3600), note);
    EXPECT_EQ(runAt(kNow).created, 1);
    EXPECT_EQ(reminders().first(), QString(255, QChar(u'x')));
}

TEST_F(Reminders, AMissingReminderTableStopsTheTimer)
{
    db().RunQuery("DROP TABLE Promemoria");
    auto stored = LibraryGlobal::OpenExistingDatabase(db().GetEngine(), &sink);
    prompts->addAnswer("No");
    EXPECT_FALSE(engine.Run(stored.get(), false, &window).ran);
    EXPECT_FALSE(engine.TimerEnabled());
    EXPECT_EQ(prompts->prompts().size(), 1) << "the missing table reported once";
    EXPECT_EQ(engine.Run(nullptr, false, &window).ran, false) << "no database: nothing";
    stored->Close();
}

}   // namespace
