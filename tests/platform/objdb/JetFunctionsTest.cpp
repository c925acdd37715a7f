#include "base/Clock.h"
#include "JetTestSupport.h"
#include "objdb/JetTranslator.h"
#include <gtest/gtest.h>

namespace {

// Each case is a Jet SQL expression, translated and run as SELECT <expression> with the
// functions registered on the connection; the result is its text (NULL for Null,
// "ERROR: " and the message when the statement fails).
struct Case {
    const char* jet;
    const char* result;
};

class JetFunctions : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        setAppClock(std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 5), QTime(14, 7, 9))));
    }
    void TearDown() override
    {
        setAppClock(std::make_shared<SystemClock>());
        QLocale::setDefault(QLocale::c());
    }
    std::string eval(const char* jet)
    {
        const QString sql = QStringLiteral("SELECT ") + JetTranslator().translate(QString::fromUtf8(jet));
        return db.rows(sql).value(0).toStdString();
    }
    void check(const std::vector<Case>& cases)
    {
        for (const auto& c : cases) EXPECT_EQ(eval(c.jet), c.result) << c.jet;
    }
    JetFixtureDb db;
};

TEST_F(JetFunctions, LikeMatchesWithoutCaseOrAccents)
{
    check({
        {"'pàne' Like 'PÀN*'", "1"},
        {"'Panettone' Like 'pan*'", "1"},
        {"'PANE' Like 'pàn?'", "1"},
        {"'Crème brûlée' Like '*CREME*BRULEE'", "1"},
        {"'Ärger' Like '[a-c]*'", "1"},
        {"'Pane' Like 'p[aeiou]ne'", "1"},
        {"'Pine' Like 'p[!a]ne'", "1"},
        {"'Pane' Like 'p[!a]ne'", "0"},
        {"'P1ne' Like 'p#ne'", "1"},
        {"'Pxne' Like 'p#ne'", "0"},
        {"'a*b' Like 'a[*]b'", "1"},
        {"'axb' Like 'a[*]b'", "0"},
        {"'abc' Like 'ab'", "0"},
        // "%" and "_" are what the operator typed, not wildcards.
        {"'abc' Like 'a%'", "0"},
        {"'a%' Like 'a%'", "1"},
        {"'Sconto 50%' Like '*50%*'", "1"},
        {"'Sconto 500 promo' Like '*50%*'", "0"},
        {"'a_c' Like 'a_c'", "1"},
        {"'abc' Like 'a_c'", "0"},
        {"'aXbXc' Like '*X*X*c'", "1"},
        {"'aXbXd' Like '*X*X*c'", "0"},
        {"12.5 Like '12*'", "1"},
        {"Null Like 'a'", "NULL"},
        {"'x' Like '[abc'", "ERROR: Criterio di ricerca non valido: manca ']' in «[abc»"},
    });
}

// A query matches one pattern against row after row: every row is decided as the first one
// is, whether its text is plain ASCII or not, and a number as its text.
TEST_F(JetFunctions, LikeDecidesEveryRowOfAQueryAlike)
{
    const QString matching = JetTranslator().translate(QStringLiteral("column1 Like 'PÀN?[!x]*#'"));
    const QStringList rows
        = db.rows(QStringLiteral("SELECT group_concat(column1, '|') FROM (VALUES ('pane e 1'), ('Pane 2'), ('PÀNE 3'), "
                                 "('panex4'), ('pane'), ('pan'), ('crème'), ('pane e 12'), ('pane 1x'), (1234), "
                                 "('PANNA 5'), ('Pàne 6')) WHERE ")
                  + matching);
    EXPECT_EQ(rows, QStringList {QString::fromUtf8("pane e 1|Pane 2|PÀNE 3|pane e 12|PANNA 5|Pàne 6")});
}

TEST_F(JetFunctions, ArithmeticFollowsJet)
{
    check({
        {"7 / 2", "3.5"},
        {"7 \\ 2", "3"},
        {"7.5 \\ 2", "4"},   // operands rounded half to even first
        {"6.5 \\ 2", "3"},
        {"-7 Mod 3", "-1"},
        {"10 Mod 2.5", "0"},
        {"2 ^ 10", "1024"},
        {"2 ^ -1", "0.5"},
        {"5 / 0", "NULL"},
        {"5 \\ 0", "NULL"},
        {"'a' & Null & 5.5 & 2", "a5.52"},
        {"Null & Null", ""},
        {"True Xor False", "1"},
        {"Null Xor True", "NULL"},
        {"False Imp Null", "1"},
        {"True Imp Null", "NULL"},
        {"True Eqv True", "1"},
        {"IIf(1 > 2, 'a', 'b')", "b"},
        {"IIf(Null, 'a', 'b')", "b"},
        {"Nz(Null, 7)", "7"},
        {"Nz(Null)", ""},
        {"Nz(3, 7)", "3"},
        {"Abs(-2) + Sgn(-3)", "1"},
        {"Sqr(16)", "4"},
        {"Sqr(-1)", "ERROR: Chiamata di routine o argomento non validi"},
    });
}

TEST_F(JetFunctions, DatesReadAndWriteTheStoredForm)
{
    check({
        {"Year(#03/05/2007 14:07:09#) & '-' & Month(#03/05/2007#) & '-' & Day(#03/05/2007#)", "2007-3-5"},
        {"Hour(#03/05/2007 14:07:09#) & ':' & Minute(#03/05/2007 14:07:09#) & ':' & Second(#03/05/2007 14:07:09#)",
         "14:7:9"},
        {"Year(Null)", "NULL"},
        {"Year('abc')", "ERROR: Tipo non corrispondente"},
        {"Year(39146)", "2007"},
        // The stored text read directly: the calendar is checked, not only the digits.
        {"Year('2024-02-29 23:59:59') & '-' & Month('2024-02-29 23:59:59') & '-' & Day('2024-02-29')", "2024-2-29"},
        {"Month('2023-02-29 00:00:00')", "ERROR: Tipo non corrispondente"},
        {"Day('2023-13-01')", "ERROR: Tipo non corrispondente"},
        {"Month('2023-04-31')", "ERROR: Tipo non corrispondente"},
        {"Year('2023-04-30 24:00:00')", "ERROR: Tipo non corrispondente"},
        {"Now()", "2007-03-05 14:07:09"},
        {"Date()", "2007-03-05 00:00:00"},
        {"Time()", "1899-12-30 14:07:09"},
        {"DateSerial(2007, 13, 0)", "2007-12-31 00:00:00"},
        {"DateSerial(7, 2, 29)", "2007-03-01 00:00:00"},
        {"DateAdd('m', 1, #01/31/2007#)", "2007-02-28 00:00:00"},
        {"DateAdd('d', -1, #03/01/2008#)", "2008-02-29 00:00:00"},
        {"DateAdd('h', 30, #03/05/2007 20:00#)", "2007-03-07 02:00:00"},
        {"DateAdd('h', 1, #03/25/2007 01:30:00#)", "2007-03-25 02:30:00"},   // no daylight-saving gap
        {"DateAdd('x', 1, #03/05/2007#)", "ERROR: Chiamata di routine o argomento non validi"},
        {"DateDiff('d', #03/05/2007 23:59#, #03/06/2007 00:01#)", "1"},
        {"DateDiff('h', #03/05/2007 10:59#, #03/05/2007 11:01#)", "1"},
        {"DateDiff('m', #01/31/2007#, #02/01/2007#)", "1"},
        {"DateDiff('yyyy', #12/31/2006#, #01/01/2007#)", "1"},
        {"DateDiff('ww', #03/03/2007#, #03/05/2007#)", "1"},
        {"DateDiff('w', #03/01/2007#, #03/14/2007#)", "1"},
        {"DateDiff('d', #03/06/2007#, #03/05/2007#)", "-1"},
        {"Weekday(#03/05/2007#)", "2"},
        {"Weekday(#03/05/2007#, 2)", "1"},
        {"DatePart('ww', #12/31/2007#, 2, 2)", "1"},
        {"DatePart('ww', #01/01/2005#, 2, 2)", "53"},
        {"DatePart('ww', #03/05/2007#)", "10"},
        {"DatePart('q', #08/15/2007#)", "3"},
        {"DatePart('y', #02/01/2007#)", "32"},
        {"DateValue(#03/05/2007 14:07:09#)", "2007-03-05 00:00:00"},
        {"CDate(39146.5)", "2007-03-05 12:00:00"},
        {"IsDate('2007-03-05')", "1"},
        {"IsDate('ieri')", "0"},
        {"MonthName(3)", "March"},
    });
}

TEST_F(JetFunctions, FormatWritesDatesNumbersAndTexts)
{
    check({
        {"Format(#03/05/2007 14:07:09#, 'dd/mm/yyyy hh:nn:ss')", "05/03/2007 14:07:09"},
        {"Format(#03/05/2007#, 'mm/dd/yyyy')", "03/05/2007"},
        {"Format(#03/05/2007 14:07:09#, 'd/m/yy h:mm AM/PM')", "5/3/07 2:07 PM"},
        {"Format(#03/05/2007#, '\"Q\"q ww')", "Q1 10"},
        {"Format(39146, 'dd/mm/yyyy')", "05/03/2007"},
        {"Format(1234.5, '#.000')", "1234.500"},
        {"Format(0.5, '#.000')", ".500"},
        {"Format(1234567.891, '#,##0.00')", "1,234,567.89"},
        {"Format(2.5, '0')", "3"},
        {"Format(-2.5, '0')", "-3"},
        {"Format(0.256, '0.0%')", "25.6%"},
        {"Format(-0.001, '0.00')", "0.00"},
        {"Format(-5, '0;(0)')", "(5)"},
        {"Format(0, '0;(0);\"zero\"')", "zero"},
        {"Format(12345.678, '0.00E+00')", "1.23E+04"},
        {"Format(1234.5, 'Standard')", "1,234.50"},
        {"Format(0.5, 'Percent')", "50.00%"},
        {"Format(1, 'Yes/No')", "Yes"},
        {"Format(0, 'True/False')", "False"},
        {"Format('abc', '>')", "ABC"},
        {"Format('12', '@@@@')", "  12"},
        {"Format(Null, '0')", "NULL"},
        {"Format(2.5)", "2.5"},
    });
}

TEST_F(JetFunctions, FormatAndTextFollowTheItalianLocale)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    check({
        {"Format(1234.5, '#,##0.000')", "1.234,500"},
        {"Format(0.5, '#.000')", ",500"},
        {"Format(#03/05/2007#, 'dddd d mmmm yyyy')", "lunedì 5 marzo 2007"},
        {"Format(#03/05/2007#, 'Short Date')", "05/03/2007"},
        {"Format(1, 'Yes/No')", "Sì"},
        {"CStr(2.5)", "2,5"},
        {"Str(2.5)", " 2.5"},
        {"Val('2,5')", "2"},
        {"'x' & 2.5", "x2,5"},
    });
}

TEST_F(JetFunctions, RoundingAndConversions)
{
    check({
        {"Round(2.5)", "2"},
        {"Round(3.5)", "4"},
        {"Round(-2.5)", "-2"},
        {"Round(2.675, 2)", "2.68"},
        {"Round(0.125, 2)", "0.12"},
        {"Round(1.005, 2)", "1"},
        {"Round(2.5, -1)", "ERROR: Chiamata di routine o argomento non validi"},
        {"CCur(1.23455)", "1.2346"},
        {"CCur(1.23445)", "1.2344"},
        {"CCur(1e20)", "ERROR: Overflow"},
        {"CLng(2.5)", "2"},
        {"CLng(3.5)", "4"},
        {"CLng(3e9)", "ERROR: Overflow"},
        {"CInt(40000)", "ERROR: Overflow"},
        {"Int(-2.5)", "-3"},
        {"Fix(-2.5)", "-2"},
        {"Int('7.9')", "7"},
        {"CDbl('2.5')", "2.5"},
        {"CSng(0.1)", "0.1"},
        {"CStr(1e16)", "1E+16"},
        {"CStr(0.1 + 0.2)", "0.3"},
        {"CBool('Vero')", "1"},
        {"Val(' 1 2.5abc')", "12.5"},
        {"Val('&H1F')", "31"},
        {"Val('abc')", "0"},
        {"Val('1e3x')", "1000"},
        {"Str(5)", " 5"},
        {"Str(-5)", "-5"},
        {"IsNumeric('12.5') & IsNumeric('x')", "10"},
    });
}

TEST_F(JetFunctions, TextFunctions)
{
    check({
        {"Left('Mirtavolia', 4) & '|' & Right('Mirtavolia', 4) & '|' & Mid('Mirtavolia', 5, 3) & '|' & "
         "Mid('Mirtavolia', 5)",
         "Mirt|olia|avo|avolia"},
        {"Left('abc', -1)", "ERROR: Chiamata di routine o argomento non validi"},
        {"Mid('abc', 0)", "ERROR: Chiamata di routine o argomento non validi"},
        {"Left(Null, 2)", "NULL"},
        {"Len('àèì')", "3"},
        {"UCase('pàne') & LCase('ÀB')", "PÀNEàb"},
        {"'[' & Trim('  a  ') & '|' & LTrim('  a ') & '|' & RTrim(' a  ') & ']'", "[a|a | a]"},
        {"InStr('Mirtavolia', 'VOL')", "6"},
        {"InStr(3, 'abcabc', 'b')", "5"},
        {"InStr(7, 'abcabc', 'b')", "0"},
        {"InStr(1, 'abc', 'B', 0)", "0"},
        {"Replace('a-b-c', '-', '+')", "a+b+c"},
        {"Replace('a-b-c', '-', '+', 3, 1)", "b+c"},
        {"String(3, 'x') & Space(2) & '|'", "xxx  |"},
        {"StrComp('a', 'B')", "-1"},
        {"Asc('A') & Chr(66)", "65B"},
    });
}

}   // namespace
