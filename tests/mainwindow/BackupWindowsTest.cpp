// The save/restore dialog and the reminder window over their logic classes.
#include "BackupShop.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/SqlConnection.h"
#include "mainwindow/frmBackupRestore.h"
#include "mainwindow/frmMemo.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

TEST(BackupDialogPeriod, LoadedFromTheReminderFrequencyAndTheLastSave)
{
    const struct {
        const char* what;
        bool restore;
        int frequency;
        std::optional<QDate> from, to;   // carried from an earlier opening
        std::optional<QDate> lastSaved;
        QDate today;
        std::optional<QDate> wantFrom;
        QDate wantTo;
    } cases[] = {
        {"daily", false, 1, {}, {}, {}, QDate(2007, 3, 10), QDate(2007, 3, 9), QDate(2007, 3, 10)},
        {"daily, saved earlier",
         false,
         1,
         {},
         {},
         QDate(2007, 3, 2),
         QDate(2007, 3, 10),
         QDate(2007, 3, 2),
         QDate(2007, 3, 10)},
        {"a restore never looks at the last save",
         true,
         1,
         {},
         {},
         QDate(2007, 3, 2),
         QDate(2007, 3, 10),
         QDate(2007, 3, 9),
         QDate(2007, 3, 10)},
        {"weekly on a Tuesday: the Monday of the week before",
         false,
         2,
         {},
         {},
         {},
         QDate(2006, 3, 14),
         QDate(2006, 3, 6),
         QDate(2006, 3, 14)},
        {"weekly: a Sunday goes to the Monday after",
         false,
         2,
         {},
         {},
         {},
         QDate(2007, 3, 18),
         QDate(2007, 3, 12),
         QDate(2007, 3, 18)},
        {"monthly", false, 3, {}, {}, {}, QDate(2007, 3, 10), QDate(2007, 2, 1), QDate(2007, 3, 10)},
        {"monthly in January", false, 3, {}, {}, {}, QDate(2007, 1, 20), QDate(2006, 12, 1), QDate(2007, 1, 20)},
        {"never: from the beginning, whatever the last save",
         false,
         0,
         {},
         {},
         QDate(2007, 3, 2),
         QDate(2007, 3, 10),
         std::nullopt,
         QDate(2007, 3, 10)},
        {"the period of the last opening",
         false,
         1,
         QDate(2007, 3, 3),
         QDate(2007, 3, 4),
         {},
         QDate(2007, 3, 10),
         QDate(2007, 3, 3),
         QDate(2007, 3, 4)},
        {"the last day never before the first",
         false,
         0,
         QDate(2007, 3, 12),
         {},
         {},
         QDate(2007, 3, 10),
         QDate(2007, 3, 12),
         QDate(2007, 3, 12)},
    };
    for (const auto& c : cases) {
        BackupSelections s;
        s.restore = c.restore;
        s.from = c.from;
        s.to = c.to;
        s.LoadPeriod(c.today, c.frequency, c.lastSaved);
        EXPECT_EQ(s.from, c.wantFrom) << c.what;
        EXPECT_EQ(s.to, c.wantTo) << c.what;
    }
}

class BackupDialog : public BackupShop {
protected:
    BackupDialog()
    {
        frmBackupRestore::Selections() = {};
        ::settings().BkpSaveNotify = 1;
        dialog.setDatePicker([this](const std::optional<QDate>&) { return picked; });
    }
    template <class W> W* child(const char* name) { return dialog.findChild<W*>(name); }

    frmBackupRestore dialog;
    std::optional<QDate> picked;
};

TEST_F(BackupDialog, OpensOnTheDefaultPeriodAndHandsTheChoiceOn)
{
    dialog.Prepare(false);
    EXPECT_EQ(child<QLineEdit>("txtFromDate")->text(), "09/03/2007");
    EXPECT_EQ(child<QLineEdit>("txtToDate")->text(), "10/03/2007");
    EXPECT_TRUE(child<QRadioButton>("optCopyData")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("chkRemoveData")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("chkCopyRelate")->isChecked())
        << "related data updated unless the store says otherwise";

    picked = QDate(2007, 3, 1);
    child<QPushButton>("cmdSelFromDate")->click();
    EXPECT_EQ(child<QLineEdit>("txtFromDate")->text(), "01/03/2007");
    picked.reset();
    child<QPushButton>("cmdSelToDate")->click();
    EXPECT_EQ(child<QLineEdit>("txtToDate")->text(), "10/03/2007") << "a cancelled picker changes nothing";

    child<QCheckBox>("chkCopyRelate")->setChecked(false);
    child<QPushButton>("cmdExecute")->click();
    ASSERT_TRUE(dialog.Confirmed());
    const BackupChoice c = frmBackupRestore::Selections().Choice();
    EXPECT_EQ(c.request.from, QDate(2007, 3, 1));
    EXPECT_EQ(c.request.to, QDate(2007, 3, 10));
    EXPECT_TRUE(c.request.deleteAtOrigin);
    EXPECT_FALSE(c.request.copyRelated);
    EXPECT_FALSE(c.request.allData || c.moveArchive || c.request.copyArticoli);
    EXPECT_EQ(settings->get("BackupRestore", "CopyRelated", ""), "False");

    // The next opening, even in a later run: the period stays, the related-data choice is read back.
    frmBackupRestore again;
    again.Prepare(false);
    EXPECT_EQ(again.findChild<QLineEdit*>("txtFromDate")->text(), "01/03/2007");
    EXPECT_FALSE(again.findChild<QCheckBox*>("chkCopyRelate")->isChecked());
}

TEST_F(BackupDialog, APeriodEndingBeforeItStartsIsRefused)
{
    dialog.Prepare(false);
    picked = QDate(2007, 3, 20);
    child<QPushButton>("cmdSelFromDate")->click();
    child<QPushButton>("cmdExecute")->click();
    EXPECT_FALSE(dialog.Confirmed());
    EXPECT_EQ(prompts->prompts(), QStringList {"Periodo impostato non corretto"});
    EXPECT_TRUE(settings->get("BackupRestore", "CopyRelated", "").isEmpty()) << "nothing stored";
}

TEST_F(BackupDialog, OptionsEnableTheirOwnControls)
{
    ::settings().BackupFuncEnableDelete = false;
    dialog.Prepare(false);
    auto* remove = child<QCheckBox>("chkRemoveData");
    EXPECT_FALSE(remove->isChecked());
    const QList<QWidget*> periodControls {child<QLineEdit>("txtFromDate"), child<QPushButton>("cmdSelToDate"),
                                          child<QCheckBox>("chkArticoli"), child<QCheckBox>("chkCopyRelate")};
    for (const char* option : {"optCopyAllData", "optMoveData", "optCopyData"}) {
        child<QRadioButton>(option)->click();
        const bool copyData = QLatin1String(option) == QLatin1String("optCopyData");
        for (QWidget* w : periodControls)
            EXPECT_EQ(w->isEnabled(), copyData) << option << " " << w->objectName().toStdString();
        EXPECT_FALSE(remove->isEnabled()) << "deleting is not allowed on this computer";
        EXPECT_EQ(child<QLabel>("lblMoveData")->isEnabled(), QLatin1String(option) == QLatin1String("optMoveData"));
    }
    child<QRadioButton>("optMoveData")->click();
    child<QPushButton>("cmdExecute")->click();
    EXPECT_TRUE(frmBackupRestore::Selections().Choice().moveArchive);
}

TEST_F(BackupDialog, CopyingTheWholeArticleTableIsConfirmedFirst)
{
    dialog.Prepare(false);
    auto* articoli = child<QCheckBox>("chkArticoli");
    prompts->addAnswer("No");
    articoli->click();
    EXPECT_FALSE(articoli->isChecked());
    prompts->addAnswer("Yes");
    articoli->click();
    EXPECT_TRUE(articoli->isChecked());
    EXPECT_EQ(prompts->prompts().value(0),
              "Questa opzione attiva la copia dell'intero magazzino articoli...\r\rConfermi ?");
    dialog.Prepare(false);
    EXPECT_FALSE(articoli->isChecked()) << "the check boxes start as designed at every opening";
}

TEST_F(BackupDialog, AHeadlessRunChoosesFromItsAnswerLine)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> lines;
        bool chosen;
        QDate from, to;
        bool deleteAtOrigin, copyRelated, copyArticoli, allData;
        const char* message;   // the refusal shown, if any
    };
    const QDate day9(2007, 3, 9), day10(2007, 3, 10), day1(2007, 3, 1), day5(2007, 3, 5);
    const Case cases[] = {
        {"what the dialog shows", {"Avvia"}, true, day9, day10, true, true, false, false, nullptr},
        {"a period and boxes of its own",
         {"avvia\ttxtFromDate=01/03/2007\ttxtToDate=05/03/2007\tchkRemoveData=0\tchkCopyRelate=0"},
         true,
         day1,
         day5,
         false,
         false,
         false,
         false,
         nullptr},
        {"the whole archive", {"Avvia\toptCopyAllData=1"}, true, day9, day10, true, true, false, true, nullptr},
        {"the article table, confirmed",
         {"Avvia\tchkArticoli=1", "Yes"},
         true,
         day9,
         day10,
         true,
         true,
         true,
         false,
         "Questa opzione attiva la copia dell'intero magazzino articoli...\r\rConfermi ?"},
        {"a day that is none, then the dates shown",
         {"Avvia\ttxtToDate=31/02/2007", "OK", "Avvia"},
         true,
         day9,
         day10,
         true,
         true,
         false,
         false,
         "\"31/02/2007\" non è un valore valido per \"txtToDate\"."},
        {"a period ending before it starts",
         {"Avvia\ttxtFromDate=20/03/2007", "OK", "<cancel>"},
         false,
         {},
         {},
         false,
         false,
         false,
         false,
         "Periodo impostato non corretto"},
        {"the period of another choice",
         {"Avvia\toptMoveData=1\ttxtFromDate=01/03/2007", "OK", "Esci"},
         false,
         {},
         {},
         false,
         false,
         false,
         false,
         "Il campo \"txtFromDate\" non è modificabile."},
        {"Esci", {"Esci"}, false, {}, {}, false, false, false, false, nullptr},
        {"cancelled", {"<cancel>"}, false, {}, {}, false, false, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmBackupRestore::Selections() = {};
        settings->set("BackupRestore", "CopyRelated", "True");   // as the case before may have left it
        prompts->clearLog();
        for (const char* line : c.lines) prompts->addAnswer(QString::fromUtf8(line));
        const std::optional<BackupChoice> choice = frmBackupRestore::QuerySelections(nullptr, "Salva", false);
        EXPECT_FALSE(prompts->hasAnswers());
        EXPECT_EQ(prompts->log().first(), "INPUT: [frmBackupRestore] Avvia / Esci");
        EXPECT_EQ(prompts->log().filter("MSGBOX: "),
                  c.message ? QStringList {"MSGBOX: " + QString::fromUtf8(c.message)} : QStringList());
        ASSERT_EQ(choice.has_value(), c.chosen);
        if (!choice) continue;
        EXPECT_EQ(choice->request.from, c.from);
        EXPECT_EQ(choice->request.to, c.to);
        EXPECT_EQ(choice->request.deleteAtOrigin, c.deleteAtOrigin);
        EXPECT_EQ(choice->request.copyRelated, c.copyRelated);
        EXPECT_EQ(choice->request.copyArticoli, c.copyArticoli);
        EXPECT_EQ(choice->request.allData, c.allData);
        EXPECT_FALSE(choice->moveArchive);
    }
}

class MemoWindow : public BackupShop {
protected:
    MemoWindow()
    {
        addArticle("A", 10);
        clock->set(kNow);
        select("ImpostazioniPromemoria")
            ->AddRow({"NomeTabella", "Forniture", "NomeCampoData", "DataFornitura", "GiorniDiPreavviso", 1,
                      "MessaggioDiNotifica", "Fornitura"});
        supply(kNow.addSecs(3600), true, "A", 1);
        clock->set(kNow);
        memo.setDatabase([this] { return &db(); });
        memo.setReminderSign([this](bool shown) { sign = shown; });
    }
    QListWidget* list() { return memo.findChild<QListWidget*>("lstMemo"); }
    QDateTime nextNotice() { return select("Promemoria")->GetValue("DataProssimaNotifica").toDateTime(); }

    const QDateTime kNow {QDate(2007, 3, 10), QTime(12, 0)};
    frmMemo memo;
    bool sign = false;
};

TEST_F(MemoWindow, ListsTheDueRemindersAndPostponesTheSelectedOnes)
{
    prompts->addAnswer("No");
    memo.RunEngine();
    ASSERT_EQ(list()->count(), 1);
    EXPECT_TRUE(list()->item(0)->text().endsWith(" - Fornitura"));
    EXPECT_TRUE(sign) << "the reminder sign shows";

    prompts->clearLog();
    memo.PostponeSelected();
    EXPECT_EQ(prompts->prompts(), QStringList {"Devi selezionare almeno un elemento da posporre..."});
    list()->item(0)->setSelected(true);
    memo.PostponeSelected();
    EXPECT_EQ(prompts->prompts().last(), "Impostare un intervallo di tempo valido");
    EXPECT_EQ(nextNotice(), kNow);

    clock->set(kNow.addSecs(600));
    memo.findChild<QComboBox*>("cmbTimeReminder")->setCurrentText("1 settimana");
    memo.findChild<QPushButton*>("cmdPosponi")->click();
    EXPECT_EQ(nextNotice(), kNow.addSecs(600 + 10080 * 60));
    EXPECT_EQ(list()->count(), 0) << "not due any more";
    memo.findChild<QCheckBox*>("chkAll")->click();
    EXPECT_EQ(list()->count(), 1) << "every open one";
}

TEST_F(MemoWindow, ClosingClosesTheSelectedReminders)
{
    prompts->addAnswer("No");
    memo.RunEngine();
    memo.CloseSelected();
    EXPECT_EQ(prompts->prompts().last(), "Devi selezionare almeno un elemento da eliminare...");
    list()->item(0)->setSelected(true);
    memo.findChild<QPushButton*>("cmdDelete")->click();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(select("Promemoria")->GetBoolValue("Chiuso"));
}

TEST_F(MemoWindow, TheCloseBoxOnlyHides)
{
    memo.show();
    QApplication::processEvents();
    sign = true;
    memo.close();
    EXPECT_FALSE(memo.isVisible());
    EXPECT_FALSE(sign) << "the sign goes with the window";
    EXPECT_TRUE(memo.Timer()->isActive()) << "the engine keeps running";

    // The announcement of a new reminder brings it back.
    supply(kNow.addSecs(7200), true, "A", 1);
    clock->set(kNow);
    prompts->clearLog();
    prompts->addAnswer("Yes");
    memo.RunEngine();
    EXPECT_TRUE(prompts->log().contains("MSGBOX: NUOVO PROMEMORIA...\r\rVuoi visualizzare i promemoria ?"));
    EXPECT_TRUE(memo.isVisible());
    memo.Unload();
    EXPECT_FALSE(memo.Timer()->isActive());
}

// The library's row editor, answered by its answer lines: "Field=value" pairs, then OK.
TEST_F(MemoWindow, NewAndEditGoThroughTheLibrarysRowEditor)
{
    prompts->addAnswer("TestoPromemoria=Telefonare\tDataProssimaNotifica=10/03/2007 11:30:00");
    prompts->addAnswer("No");
    memo.findChild<QPushButton*>("cmdNew")->click();
    ASSERT_TRUE(prompts->log().first().startsWith("INPUT: [RowEditor] ")) << prompts->log().first().toStdString();
    EXPECT_TRUE(prompts->log().first().contains("TestoPromemoria")) << "the editor offers the reminder's text";
    ASSERT_EQ(list()->count(), 2);
    const int mine = list()->item(0)->text().endsWith(" - Telefonare") ? 0 : 1;
    ASSERT_TRUE(list()->item(mine)->text().endsWith(" - Telefonare"));
    auto made = select("Promemoria", "TestoPromemoria = 'Telefonare'");
    EXPECT_EQ(made->GetValue("DataProssimaNotifica").toDateTime(), QDateTime(QDate(2007, 3, 10), QTime(11, 30)));
    EXPECT_FALSE(made->GetBoolValue("Chiuso")) << "the table's own defaults";

    // No entry selected: the current one is edited.
    list()->setCurrentRow(mine);
    list()->clearSelection();
    prompts->clearLog();
    prompts->addAnswer("TestoPromemoria=Telefonare subito");
    memo.findChild<QPushButton*>("cmdEdit")->click();
    EXPECT_EQ(prompts->log().filter("INPUT: [RowEditor]").size(), 1);
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i) texts << list()->item(i)->text();
    EXPECT_EQ(texts.filter(" - Telefonare subito").size(), 1) << "the current entry edited";

    // Several selected: the editor once for each, in list order; a cancelled one is left as it was.
    for (int i = 0; i < list()->count(); ++i) list()->item(i)->setSelected(true);
    const QString first = list()->item(0)->text();
    prompts->clearLog();
    prompts->addAnswer("<cancel>");
    prompts->addAnswer("TestoPromemoria=Secondo");
    memo.EditReminders();
    EXPECT_EQ(prompts->log().filter("INPUT: [RowEditor]").size(), 2);
    texts.clear();
    for (int i = 0; i < list()->count(); ++i) texts << list()->item(i)->text();
    EXPECT_TRUE(texts.contains(first)) << "the first, cancelled, unchanged";
    EXPECT_EQ(texts.filter(" - Secondo").size(), 1);

    // A cancelled new reminder makes no row.
    const qint64 before = select("Promemoria")->RowCount();
    prompts->addAnswer("<cancel>");
    memo.NewReminder();
    EXPECT_EQ(select("Promemoria")->RowCount(), before);
}

// A failure while editing is reported and ends the command without the run that would
// rebuild the list.
TEST_F(MemoWindow, AnErrorOfTheEditIsReportedAndTheListStays)
{
    prompts->addAnswer("No");
    memo.RunEngine();
    ASSERT_EQ(list()->count(), 1);
    list()->setCurrentRow(0);
    SqlConnection& sql = db().GetEngine()->sql();
    sql.execute("ALTER TABLE Promemoria RENAME TO PromemoriaAltrove");
    prompts->clearLog();
    prompts->addAnswer("OK");
    memo.EditReminders();
    sql.execute("ALTER TABLE PromemoriaAltrove RENAME TO Promemoria");
    EXPECT_EQ(prompts->log().filter("INPUT: [RowEditor]").size(), 0);
    ASSERT_EQ(prompts->prompts().size(), 1) << "reported";
    EXPECT_TRUE(prompts->prompts().first().contains("Promemoria")) << prompts->prompts().first().toStdString();
    EXPECT_EQ(list()->count(), 1);
}

}   // namespace
