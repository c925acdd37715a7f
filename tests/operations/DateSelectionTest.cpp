// The date selection of the main window: the condition each mode gives a view, the commands
// that change the mode, and the texts of the date button with Italian month names.
#include "operations/DateSelection.h"
#include <gtest/gtest.h>
#include <ostream>

namespace {

const QDate kMarch5(2007, 3, 5);

DateSelection inMode(DateSelection::Mode mode)
{
    DateSelection s(kMarch5, false);
    switch (mode) {
    case DateSelection::Mode::Day: s.SelectDay(kMarch5); break;
    case DateSelection::Mode::Month: s.SelectMonth(kMarch5); break;
    case DateSelection::Mode::Period: s.SelectPeriod(QDate(2007, 3, 1), QDate(2007, 3, 31)); break;
    case DateSelection::Mode::All: break;
    }
    return s;
}

TEST(DateSelection, ConditionOfEachMode)
{
    struct Case {
        const char* why;
        DateSelection selection;
        const char* field;
        const char* condition;
    };
    DateSelection yearEnd(QDate(2007, 12, 31));
    DateSelection january(kMarch5, false);
    january.SelectPeriod(QDate(2007, 1, 1), QDate(2007, 1, 31));
    DateSelection openEnded(kMarch5, false);
    openEnded.SelectPeriod(QDate(2007, 1, 1), std::nullopt);
    DateSelection monthAndDay(kMarch5);
    monthAndDay.monthFlag = true;   // both flags: the month wins
    const Case cases[] = {
        {"day", inMode(DateSelection::Mode::Day), "DataVendita",
         "DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#"},
        {"day at the year's end", yearEnd, "DataVendita", "DataVendita >= #12/31/2007# AND DataVendita < #01/01/2008#"},
        {"month, numbers without leading zeros", inMode(DateSelection::Mode::Month), "DataFornitura",
         "Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007"},
        {"period: the day after the last, exclusive", january, "DataCarico",
         "DataCarico >= #01/01/2007# AND DataCarico < #02/01/2007#"},
        {"period with an unset bound", openEnded, "DataCarico", ""},
        {"all dates", inMode(DateSelection::Mode::All), "DataVendita", ""},
        {"month before day", monthAndDay, "DataVendita", "Month(DataVendita) = 3 AND Year(DataVendita) = 2007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.selection.Condition(QString::fromLatin1(c.field)), QString::fromLatin1(c.condition));
    }
}

TEST(DateSelection, RangeCoversWholeDaysTimesIncluded)
{
    const auto day = inMode(DateSelection::Mode::Day).range();
    ASSERT_TRUE(day);
    EXPECT_EQ(day->from, QDateTime(kMarch5, QTime(0, 0)));
    EXPECT_EQ(day->to, QDateTime(QDate(2007, 3, 6), QTime(0, 0)));
    const auto month = inMode(DateSelection::Mode::Month).range();
    ASSERT_TRUE(month);
    EXPECT_EQ(month->from, QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    EXPECT_EQ(month->to, QDateTime(QDate(2007, 4, 1), QTime(0, 0)));
    const auto period = inMode(DateSelection::Mode::Period).range();
    ASSERT_TRUE(period);
    EXPECT_EQ(period->to, QDateTime(QDate(2007, 4, 1), QTime(0, 0)));
    EXPECT_FALSE(inMode(DateSelection::Mode::All).range());
}

TEST(DateSelection, CommandsSetOneModeAndSayWhetherToRefresh)
{
    DateSelection s(kMarch5);   // day mode, as the configuration starts it
    EXPECT_EQ(s.mode(), DateSelection::Mode::Day);

    EXPECT_FALSE(s.SelectDay(std::nullopt)) << "a cancelled day dialog changes nothing";
    EXPECT_EQ(s.mode(), DateSelection::Mode::Day);
    EXPECT_EQ(s.selDate, kMarch5);

    EXPECT_TRUE(s.SelectMonth(QDate(2007, 4, 20)));
    EXPECT_TRUE(s.monthFlag);
    EXPECT_FALSE(s.dayFlag);
    EXPECT_EQ(s.selDate, QDate(2007, 4, 20));

    EXPECT_TRUE(s.SelectAll());
    EXPECT_EQ(s.mode(), DateSelection::Mode::All);
    EXPECT_FALSE(s.SelectAll()) << "already all dates: no refresh";

    EXPECT_FALSE(s.SelectPeriod(std::nullopt, std::nullopt)) << "a period dialog left with no bound";
    EXPECT_EQ(s.mode(), DateSelection::Mode::All);
    EXPECT_TRUE(s.SelectPeriod(QDate(2007, 2, 1), std::nullopt)) << "a start alone is accepted";
    EXPECT_EQ(s.mode(), DateSelection::Mode::Period);
    EXPECT_EQ(s.Condition("DataVendita"), "") << "but gives no condition";

    s.SelectPeriod(QDate(2007, 2, 1), QDate(2007, 2, 28));
    s.SelectDay(kMarch5);
    // A cancelled period dialog leaves the bounds it was given: the period set before comes back.
    EXPECT_TRUE(s.SelectPeriod(s.selFrom, s.selTo));
    EXPECT_EQ(s.Condition("DataVendita"), "DataVendita >= #02/01/2007# AND DataVendita < #03/01/2007#");
}

TEST(DateSelection, CaptionsWithItalianMonthNames)
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    struct Case {
        DateSelection::Mode mode;
        const char* button;
        const char* toolTip;
        const char* menu;
    };
    const Case cases[] = {
        {DateSelection::Mode::Day, "Vendita  < 05 mar 2007 >", "Dati del giorno 05/03/2007 relativi a Data Vendita",
         "Solo in data Vendita  < 05 mar 2007 >"},
        {DateSelection::Mode::Month, "Vendita  < marzo 2007 >", "Dati del mese 03/2007 relativi a Data Vendita",
         "Solo in data Vendita  < marzo 2007 >"},
        {DateSelection::Mode::Period, "< 01 mar 2007 - 31 mar 2007 >",
         "Dati del periodo < 01/03/2007 - 31/03/2007 > relativi a Data Vendita",
         "Solo in data < 01 mar 2007 - 31 mar 2007 >"},
        {DateSelection::Mode::All, "< tutti >", "Nessuna selezione per Data Vendita", "Seleziona per Data Vendita"},
    };
    for (const Case& c : cases) {
        const auto captions = inMode(c.mode).captions("Data Vendita", italian);
        SCOPED_TRACE(captions.button.toStdString());
        EXPECT_EQ(captions.button, QString::fromUtf8(c.button));
        EXPECT_EQ(captions.toolTip, QString::fromUtf8(c.toolTip));
        EXPECT_EQ(captions.menu, QString::fromUtf8(c.menu));
        EXPECT_EQ(captions.allChecked, c.mode == DateSelection::Mode::All);
        EXPECT_EQ(captions.dayChecked, c.mode == DateSelection::Mode::Day);
        EXPECT_EQ(captions.monthChecked, c.mode == DateSelection::Mode::Month);
        EXPECT_EQ(captions.periodChecked, c.mode == DateSelection::Mode::Period);
    }
    // Whatever the table, all dates read the same.
    EXPECT_EQ(inMode(DateSelection::Mode::All).captions("", italian).button, "< tutti >");
}

TEST(DateSelection, ShortLabelDropsALeadingData)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Data Vendita", "Vendita  "},
        {"data   fornitura", "fornitura  "},
        {"DATA", ""},
        {"Dataora", "ora  "},
        {"Scadenza", "Scadenza"},
        {"", ""},
        {"Dat", "Dat"},
    };
    for (const auto& [caption, label] : cases)
        EXPECT_EQ(DateSelection::ShortLabel(caption), QString::fromLatin1(label)) << caption;
}

}   // namespace
