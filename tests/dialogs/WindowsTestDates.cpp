#include "dialogs/MirtavoliaApplication.h"
#include "WindowsTestSupport.h"
#include "dialogs/frmDateSetting.h"
#include "dialogs/frmFromDateToDate.h"
#include <QCalendarWidget>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

class DateDialogs : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        showModalWindows();
        previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        clock->set(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    }
    void TearDown() override
    {
        QLocale::setDefault(previousLocale);
        WindowTest::TearDown();
    }
    QLocale previousLocale;
    template <class T> static T* child(QWidget& w, const char* name)
    {
        return w.findChild<T*>(QString::fromLatin1(name));
    }
};

// A system without a language (C, POSIX) gets the program's Italian; a system that names a
// language keeps it.
TEST_F(DateDialogs, CalendarsSpeakItalianUnderALocaleWithoutLanguage)
{
    EXPECT_EQ(ProgramLocale(QLocale::c()), QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(ProgramLocale(QLocale(QLocale::German, QLocale::Germany)), QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ProgramLocale(QLocale(QLocale::English, QLocale::UnitedStates)),
              QLocale(QLocale::English, QLocale::UnitedStates));

    QLocale::setDefault(QLocale::c());
    QLocale::setDefault(ProgramLocale(QLocale()));
    frmFromDateToDate w;
    const QList<QCalendarWidget*> calendars = w.findChildren<QCalendarWidget*>();
    ASSERT_FALSE(calendars.isEmpty());
    for (QCalendarWidget* c : calendars) {
        EXPECT_EQ(c->locale().standaloneMonthName(12), QStringLiteral("dicembre"));
        EXPECT_EQ(c->locale().dayName(1, QLocale::ShortFormat), QStringLiteral("lun"));
    }
}

TEST_F(DateDialogs, PeriodTextsAreCheckedStartFirst)
{
    struct Case {
        const char* from;
        const char* to;
        const char* error;
    };
    const Case cases[] = {
        {"01/03/2007", "31/03/2007", ""},
        {"31/03/2007", "01/03/2007", ""},   // order is the caller's business
        {"31/02/2007", "01/03/2007", "La data di inizio periodo non è valida."},
        {"ieri", "domani", "La data di inizio periodo non è valida."},
        {"", "01/03/2007", "La data di inizio periodo non è valida."},
        {"01/03/2007", "32/03/2007", "La data di fine periodo non è valida."},
    };
    for (const Case& c : cases) {
        const period::Check r = period::Validate(QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.from << " " << c.to;
    }
    const period::Check ok = period::Validate(QStringLiteral("31/03/2007"), QStringLiteral("01/03/2007"));
    EXPECT_EQ(ok.from, QDate(2007, 3, 31));
    EXPECT_EQ(ok.to, QDate(2007, 3, 1));
}

TEST_F(DateDialogs, DateTextReadsBackAsTheSameDate)
{
    for (const QDate d : {QDate(2007, 3, 1), QDate(1999, 12, 31), QDate(2031, 1, 9)}) {
        const QString text = period::DateText(d);
        EXPECT_EQ(period::ReadDateText(text), d) << text.toStdString();
    }
    QLocale::setDefault(QLocale::c());   // a locale whose short form spells the month out
    EXPECT_EQ(period::ReadDateText(period::DateText(QDate(2031, 1, 9))), QDate(2031, 1, 9));
}

TEST_F(DateDialogs, InvalidStartIsRefusedWithItsMessageAndTheWindowStays)
{
    frmFromDateToDate w;
    w.Prepare(QDate(2007, 3, 1), QDate(2007, 3, 31), -1, -1);
    w.show();
    child<QLineEdit>(w, "txtFromDate")->setText(QStringLiteral("30/02/2007"));
    child<QLineEdit>(w, "txtToDate")->setText(QStringLiteral("non valida"));
    child<QPushButton>(w, "cmdSet")->click();
    EXPECT_EQ(ui->prompts(), QStringList {QStringLiteral("La data di inizio periodo non è valida.")});
    EXPECT_FALSE(w.Confirmed());
    EXPECT_TRUE(w.isVisible());

    child<QLineEdit>(w, "txtFromDate")->setText(QStringLiteral("05/03/2007"));
    child<QPushButton>(w, "cmdSet")->click();
    EXPECT_EQ(ui->prompts().last(), QStringLiteral("La data di fine periodo non è valida."));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(DateDialogs, PeriodConfirmedAsTypedAndEscKeepsTheCallersValues)
{
    frmFromDateToDate w;
    std::optional<QDate> from, to = QDate(2007, 2, 10);
    wintest::whenModal([&] {
        EXPECT_EQ(child<QLineEdit>(w, "txtFromDate")->text(), QStringLiteral("01/03/2007"));   // empty: today
        EXPECT_EQ(child<QLineEdit>(w, "txtToDate")->text(), QStringLiteral("10/02/2007"));
        wintest::pressKey(&w, Qt::Key_Escape);
    });
    EXPECT_FALSE(w.SetDate(from, to));
    EXPECT_FALSE(from.has_value());
    EXPECT_EQ(to, QDate(2007, 2, 10));

    wintest::whenModal([&] {
        child<QLineEdit>(w, "txtFromDate")->setText(QStringLiteral("20/03/2007"));
        child<QPushButton>(w, "cmdSet")->click();
    });
    EXPECT_TRUE(w.SetDate(from, to));
    EXPECT_EQ(from, QDate(2007, 3, 20));   // after the end: returned as typed
    EXPECT_EQ(to, QDate(2007, 2, 10));
}

TEST_F(DateDialogs, CalendarAndTextFollowEachOther)
{
    frmFromDateToDate w;
    w.Prepare(std::nullopt, std::nullopt, -1, -1);
    w.show();
    auto* txtFrom = child<QLineEdit>(w, "txtFromDate");
    auto* calFrom = child<QCalendarWidget>(w, "calFromData");
    child<QLineEdit>(w, "txtToDate")->setText(QStringLiteral("rubbish"));

    txtFrom->setText(QStringLiteral("15/08/2006"));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(txtFrom, &out);
    EXPECT_EQ(calFrom->selectedDate(), QDate(2006, 8, 15));

    txtFrom->setText(QStringLiteral("not a date"));
    QApplication::sendEvent(txtFrom, &out);
    EXPECT_EQ(calFrom->selectedDate(), QDate(2006, 8, 15));   // ignored

    emit calFrom->clicked(QDate(2006, 9, 2));
    EXPECT_EQ(txtFrom->text(), QStringLiteral("02/09/2006"));
}

TEST_F(DateDialogs, SingleDateEmptyShowsTodayAndEscReturnsEmpty)
{
    frmDateSetting w;
    wintest::whenModal([&] {
        EXPECT_EQ(child<QCalendarWidget>(w, "calTimeSetting")->selectedDate(), QDate(2007, 3, 1));
        wintest::pressKey(&w, Qt::Key_Escape);
    });
    EXPECT_FALSE(w.SetDate(std::nullopt).has_value());

    wintest::whenModal([&] {
        auto* cal = child<QCalendarWidget>(w, "calTimeSetting");
        EXPECT_EQ(cal->selectedDate(), QDate(2006, 12, 24));
        emit cal->activated(QDate(2006, 12, 25));   // a double click on a day
    });
    EXPECT_EQ(w.SetDate(QDate(2006, 12, 24)), QDate(2006, 12, 25));

    wintest::whenModal([&] { child<QPushButton>(w, "cmdSetting")->click(); });
    EXPECT_EQ(w.SetDate(QDate(2005, 5, 5)), QDate(2005, 5, 5));
}

TEST_F(DateDialogs, CentredOrPlacedByTheCaller)
{
    frmDateSetting w;
    w.Prepare(std::nullopt, 1500, 3000);
    EXPECT_EQ(w.pos(), QPoint(200, 100));
    w.Prepare(std::nullopt, -1, -1);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(w.frameGeometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(w.frameGeometry().center().y(), screen.center().y(), 2);
}
