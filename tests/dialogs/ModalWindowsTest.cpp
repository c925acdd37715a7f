// The program's modal windows run headless through the answer file: each takes its line the
// way its own controls would, refuses what its OK refuses, and is never shown.
#include "WindowsTestSupport.h"
#include "dialogs/frmDateSetting.h"
#include "dialogs/frmFromDateToDate.h"
#include "dialogs/frmMsgBeep.h"
#include "dialogs/frmSearchText.h"
#include "dialogs/frmSelectDir.h"
#include "dialogs/frmShowException.h"
#include <QLocale>

namespace {
class ModalWindowsFromAnswers : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        clock->set(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
        frmSearchText::memory() = SearchTextMemory();
    }
    void TearDown() override
    {
        QLocale::setDefault(previousLocale);
        WindowTest::TearDown();
    }
    void answers(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) ui->addAnswer(QString::fromUtf8(l));
    }
    QLocale previousLocale;
};
}

TEST_F(ModalWindowsFromAnswers, DatesArePickedAsTyped)
{
    answers({"25/12/2006", "", "non è una data"});
    frmDateSetting day;
    EXPECT_EQ(day.SetDate(QDate(2006, 12, 24)), QDate(2006, 12, 25));
    EXPECT_EQ(day.SetDate(QDate(2005, 5, 5)), QDate(2005, 5, 5));   // an empty line takes the date shown
    EXPECT_FALSE(day.SetDate(std::nullopt).has_value());
    EXPECT_FALSE(day.isVisible());
    EXPECT_EQ(ui->log().last(), QStringLiteral("INPUT: [frmDateSetting] 01/03/2007"));

    // A period the window refuses is told, and the next line is typed in its place.
    answers({"30/02/2007\t10/03/2007", "OK", "05/03/2007\t20/03/2007"});
    frmFromDateToDate period;
    std::optional<QDate> from, to;
    EXPECT_TRUE(period.SetDate(from, to));
    EXPECT_EQ(from, QDate(2007, 3, 5));
    EXPECT_EQ(to, QDate(2007, 3, 20));
    EXPECT_EQ(ui->log().filter(QStringLiteral("MSGBOX")),
              QStringList {QStringLiteral("MSGBOX: La data di inizio periodo non è valida.")});
    EXPECT_FALSE(ui->hasAnswers());
}

TEST_F(ModalWindowsFromAnswers, QuestionsSearchesFoldersAndReports)
{
    answers({"OK", "No"});
    EXPECT_TRUE(frmMsgBeep::ShowMessage(nullptr, QStringLiteral("Vuoi inserirlo ?")));
    EXPECT_FALSE(frmMsgBeep::ShowMessage(nullptr, QStringLiteral("Vuoi inserirlo ?")));

    answers({"pane", "<cancel>"});
    EXPECT_TRUE(frmSearchText::GetSelection(nullptr, QStringLiteral("Descrizione"), true, true));
    EXPECT_EQ(frmSearchText::SearchText(), QStringLiteral("pane"));
    EXPECT_FALSE(frmSearchText::GetSelection(nullptr, QStringLiteral("Descrizione"), true, true));
    EXPECT_EQ(frmSearchText::memory().LastSearchText, QStringLiteral("pane"));

    // The folder as typed, even one not made yet; on this system "Dati" and "dati" differ.
    answers({"/srv/Negozio/Dati/", "<cancel>"});
    EXPECT_EQ(frmSelectDir::ChooseFolder(nullptr, QStringLiteral("/srv/Negozio")), QStringLiteral("/srv/Negozio/Dati"));
    EXPECT_EQ(frmSelectDir::ChooseFolder(nullptr, QStringLiteral("/srv/Negozio")), QString());
    EXPECT_TRUE(ui->log().contains(QStringLiteral("INPUT: [frmSelectDir] /srv/Negozio")));

    answers({""});
    frmShowException::showReport(QStringLiteral("7 (7)"), QStringLiteral("Testo"));
    EXPECT_EQ(ui->log().last(), QStringLiteral("INPUT: [frmShowException] 7 (7)"));
    EXPECT_FALSE(ui->hasAnswers());
}
