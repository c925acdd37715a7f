// The language, case by case: each script body sets T, and the case names what T must
// hold ("Type:text" with the Italian text conversion) or the error it must raise.
#include "base/Clock.h"
#include "ScriptTestSupport.h"

#include <gtest/gtest.h>

using scripttest::runBody;

namespace {

struct Case {
    const char* body;
    const char* expected;
    const char* extra = "";
};

void runCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const QString body = QString::fromUtf8(c.body);
        EXPECT_EQ(runBody(body, QString::fromUtf8(c.extra)).toStdString(), c.expected) << c.body;
    }
}

class ScriptLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 1), QTime(10, 0, 5)));
        setAppClock(clock);
    }
    void TearDown() override { setAppClock(std::make_shared<SystemClock>()); }
};

}   // namespace

TEST_F(ScriptLanguage, ArithmeticWidensAndDividesAsTheLanguageDoes)
{
    runCases({
        {"T = 1 + 2", "Integer:3"},
        {"T = 32767 + 1", "Long:32768"},
        {"T = 2147483647 + 1", "Double:2147483648"},
        {"T = 200 * 200", "Long:40000"},
        {"T = 7 / 2", "Double:3,5"},
        {R"(T = 7 \ 2)", "Integer:3"},
        {R"(T = -7 \ 2)", "Integer:-3"},
        {R"(T = 7.5 \ 2)", "Long:4"},
        {"T = -7 Mod 3", "Integer:-1"},
        {"T = 7 Mod -3", "Integer:1"},
        {"T = 6.5 Mod 4", "Long:2"},
        {"T = 2 ^ 10", "Double:1024"},
        {"T = -2 ^ 2", "Double:4"},
        {"T = -3 ^ 2", "Double:9"},
        {"T = -(3 ^ 2)", "Double:-9"},
        {"T = 2 * -3 ^ 2", "Double:18"},
        {"T = 2 ^ 3 ^ 2", "Double:64"},
        {"T = 2 ^ -1", "Double:0,5"},
        {"T = 2 + 3 * 4 - 10 / 5", "Double:12"},
        {"T = 10 - 2 - 3", "Integer:5"},
        {R"(T = 10 \ 3 * 2)", "Integer:1"},
        {"T = 1 + 10 Mod 4", "Integer:3"},
        {"T = 1 / 0", "#11"},
        {"T = 0 / 0", "#6"},
        {R"(T = 5 \ 0)", "#11"},
        {"T = 5 Mod 0", "#11"},
        {"T = 0.1 * 3", "Double:0,3"},
        {"T = 1E16", "Double:1E+16"},
        {"T = 1 / 3", "Double:0,333333333333333"},
        {"T = True + True", "Integer:-2"},
        {"T = CCur(1.1) + 1", "Currency:2,1"},
        {"T = CCur(0.1) * 3", "Currency:0,3"},
        {"T = CCur(2) * CCur(1.25)", "Currency:2,5"},
        {"T = CCur(1) * 0.5", "Double:0,5"},
        {"T = #12/10/2024# + 1", "Date:11/12/2024"},
        {"T = #12/10/2024# - #12/1/2024#", "Double:9"},
        {"T = &HFF + &O10", "Integer:263"},
        {"T = &HFFFF", "Integer:-1"},
        {"T = &HFFFF&", "Long:65535"},
    });
}

TEST_F(ScriptLanguage, TextAndNumbersMixByTheirRules)
{
    runCases({
        {R"(T = "3" + 4)", "Double:7"},
        {R"(T = "3" + "4")", "String:34"},
        {R"(T = "3" & 4)", "String:34"},
        {R"(T = "a" + 1)", "#13"},
        {R"(T = "1,5" * 2)", "Double:3"},
        {R"(T = "1.234,5" * 1)", "Double:1234,5"},
        {R"(T = 1.5 & "")", "String:1,5"},
        {R"(T = "x" & True)", "String:xTrue"},
        {R"(T = "&H10" + 0)", "Double:16"},
    });
}

TEST_F(ScriptLanguage, EmptyAndNullPropagate)
{
    runCases({
        {"T = Null + 1", "Null"},
        {"T = 1 - Null", "Null"},
        {R"(T = Null & "a")", "String:a"},
        {"T = Null & Null", "Null"},
        {"T = Null = Null", "Null"},
        {"T = Null <> 1", "Null"},
        {"T = Null And False", "Boolean:False"},
        {"T = Null And True", "Null"},
        {"T = Null Or True", "Boolean:True"},
        {"T = Null Or False", "Null"},
        {"T = Null Xor True", "Null"},
        {"T = False Imp Null", "Boolean:True"},
        {"T = Not Null", "Null"},
        {"T = -Null", "Null"},
        {"Dim x : T = x + 1", "Integer:1"},
        {R"(Dim x : T = x & "a")", "String:a"},
        {"Dim x : T = IsEmpty(x) And Not IsNull(x)", "Boolean:True"},
        {"T = IsNull(Null)", "Boolean:True"},
        {"If Null Then T = 1 Else T = 2", "Integer:2"},
        {"T = Len(Null)", "Null"},
        {"T = UCase(Null)", "Null"},
        {"T = Left(Null, 2)", "Null"},
        {"T = Int(Null)", "Null"},
        {"T = CStr(Null)", "#94"},
        {"T = CInt(Null)", "#94"},
    });
}

TEST_F(ScriptLanguage, ComparisonsBetweenTextAndNumbersDependOnLiterals)
{
    runCases({
        {"T = (1 = 1.0)", "Boolean:True"},
        {R"(T = ("abc" < "abd"))", "Boolean:True"},
        {R"(T = ("a" = "A"))", "Boolean:False"},
        {R"(T = ("B" < "a"))", "Boolean:True"},
        {R"(Dim s : s = "10" : T = (s = 10))", "Boolean:True"},
        {R"(Dim n : n = 10 : T = (n = "10"))", "Boolean:True"},
        {R"(Dim n : n = 1.5 : T = (n = "1,5"))", "Boolean:True"},
        {R"(Dim n, s : n = 10 : s = "10" : T = (n = s))", "Boolean:False"},
        {R"(Dim n, s : n = 10 : s = "9" : T = (n < s))", "Boolean:True"},
        {R"(Dim s : s = "abc" : T = (s = 1))", "#13"},
        {"Dim x : T = (x = 0)", "Boolean:True"},
        {R"(Dim x : T = (x = ""))", "Boolean:True"},
        {"T = (True = -1)", "Boolean:True"},
        {"T = (CCur(0.1) * 3 = CCur(0.3))", "Boolean:True"},
        {"T = Not 1 = 2", "Boolean:True"},
        {"T = 1 < 2 And 3 > 2", "Boolean:True"},
    });
}

TEST_F(ScriptLanguage, LogicalOperatorsWorkOnBitsAndBooleans)
{
    runCases({
        {"T = 5 And 3", "Integer:1"},
        {"T = 5 Or 3", "Integer:7"},
        {"T = 5 Xor 3", "Integer:6"},
        {"T = Not 0", "Integer:-1"},
        {"T = Not True", "Boolean:False"},
        {"T = True Xor False", "Boolean:True"},
        {"T = True Eqv False", "Boolean:False"},
        {"T = False Imp False", "Boolean:True"},
        {"T = 70000 And 65535", "Long:4464"},
        {"T = True Or 1 / 0", "#11"},
    });
}

TEST_F(ScriptLanguage, RoundingIsBankersForRoundAndCInt)
{
    runCases({
        {"T = Round(2.5)", "Double:2"},
        {"T = Round(3.5)", "Double:4"},
        {"T = Round(-2.5)", "Double:-2"},
        {"T = Round(0.125, 2)", "Double:0,12"},
        {"T = Round(1.2345678, 3)", "Double:1,235"},
        {"T = Round(CCur(2.665), 2)", "Currency:2,66"},
        {"T = Round(7)", "Integer:7"},
        {"T = Round(1.5, -1)", "#5"},
        {"T = CInt(2.5)", "Integer:2"},
        {"T = CInt(3.5)", "Integer:4"},
        {"T = CInt(-2.5)", "Integer:-2"},
        {R"(T = CInt("12,6"))", "Integer:13"},
        {"T = CInt(40000)", "#6"},
        {"T = CLng(2.5)", "Long:2"},
        {"T = CLng(CCur(3.5))", "Long:4"},
        {"T = CLng(3000000000)", "#6"},
        {"T = Int(-2.5)", "Double:-3"},
        {"T = Fix(-2.5)", "Double:-2"},
        {"T = Int(7)", "Integer:7"},
        {"T = Int(CCur(-1.5))", "Currency:-2"},
        {"T = Abs(-3)", "Integer:3"},
        {"T = Abs(-32768)", "Long:32768"},
        {"T = Sgn(-0.5)", "Integer:-1"},
        {"T = Hex(255)", "String:FF"},
        {"T = Hex(-1)", "String:FFFF"},
        {"T = Hex(70000)", "String:11170"},
        {"T = Oct(8)", "String:10"},
        {"T = Sqr(16)", "Double:4"},
        {"T = Sqr(-1)", "#5"},
    });
}

TEST_F(ScriptLanguage, ConversionsFollowTheItalianLocale)
{
    runCases({
        {"T = CStr(1.5)", "String:1,5"},
        {"T = CStr(-1234.25)", "String:-1234,25"},
        {R"(T = CDbl("1.234,5"))", "Double:1234,5"},
        {R"(T = CDbl(" 12 "))", "Double:12"},
        {R"(T = CDbl("12a"))", "#13"},
        {"T = CStr(True)", "String:True"},
        {R"(T = CBool("False"))", "Boolean:False"},
        {"T = CBool(0.1)", "Boolean:True"},
        {R"(T = CBool("x"))", "#13"},
        {"T = CStr(CCur(12.5))", "String:12,5"},
        {"T = CCur(\"1.234,5678\")", "Currency:1234,5678"},
        {"T = CStr(#12/10/2024 15:30:00#)", "String:10/12/2024 15:30:00"},
        {"T = CStr(#15:30:00#)", "String:15:30:00"},
        {R"(T = CDate("10/12/2024"))", "Date:10/12/2024"},
        {R"(T = CDate("2024-12-10 08:05"))", "Date:10/12/2024 08:05:00"},
        {R"(T = CDate("10 dicembre 2024"))", "Date:10/12/2024"},
        {R"(T = CDate("31/02/2024"))", "#13"},
        {R"(T = IsNumeric("12,5"))", "Boolean:True"},
        {R"(T = IsNumeric("abc"))", "Boolean:False"},
        {"T = IsNumeric(Empty)", "Boolean:True"},
        {"T = IsNumeric(Null)", "Boolean:False"},
        {R"(T = IsDate("31/12/2024"))", "Boolean:True"},
        {R"(T = IsDate("31/13/2024"))", "Boolean:False"},
        {"T = IsDate(#1/1/2000#)", "Boolean:True"},
        {"T = IsObject(Nothing)", "Boolean:True"},
        {"T = IsArray(Array())", "Boolean:True"},
        {"T = TypeName(1) & TypeName(70000) & TypeName(1.5)", "String:IntegerLongDouble"},
        {R"(T = TypeName("a") & TypeName(Null) & TypeName(Empty) & TypeName(Nothing))",
         "String:StringNullEmptyNothing"},
        {"T = TypeName(CCur(1)) & TypeName(Now) & TypeName(True) & TypeName(Array())",
         "String:CurrencyDateBooleanVariant()"},
        {"T = VarType(1.5) & VarType(Array(1)) & VarType(Null)", "String:582041"},
    });
}

TEST_F(ScriptLanguage, TextFunctions)
{
    runCases({
        {R"(T = Len("abc"))", "Long:3"},
        {"T = Len(123)", "Long:3"},
        {R"(T = Left("abcdef", 2) & Right("abcdef", 2))", "String:abef"},
        {R"(T = Left("abc", 10))", "String:abc"},
        {R"(T = Left("abc", -1))", "#5"},
        {R"(T = Mid("abcdef", 2, 3))", "String:bcd"},
        {R"(T = Mid("abcdef", 3))", "String:cdef"},
        {R"(T = Mid("abc", 5))", "String:"},
        {R"(T = Mid("abc", 0))", "#5"},
        {R"(T = "[" & Trim("  a b  ") & "][" & LTrim("  a ") & "][" & RTrim(" a  ") & "]")", "String:[a b][a ][ a]"},
        {R"(T = UCase("abc") & LCase("DEF"))", "String:ABCdef"},
        {R"(T = InStr("abcabc", "c"))", "Long:3"},
        {R"(T = InStr(4, "abcabc", "c"))", "Long:6"},
        {R"(T = InStr(1, "ABC", "b", vbTextCompare))", "Long:2"},
        {R"(T = InStr("abc", "x"))", "Long:0"},
        {R"(T = InStr("abc", ""))", "Long:1"},
        {R"(T = InStr(Null, "a"))", "Null"},
        {R"(T = InStrRev("abcabc", "b"))", "Long:5"},
        {R"(T = InStrRev("abcabc", "b", 4))", "Long:2"},
        {R"(T = Replace("a.b.c", ".", ","))", "String:a,b,c"},
        {R"(T = Replace("aaaa", "a", "b", 2, 2))", "String:bba"},
        {R"(T = Replace("AbA", "a", "x", 1, -1, vbTextCompare))", "String:xbx"},
        {R"(T = "[" & Space(3) & "]" & String(3, "xy") & String(2, 65))", "String:[   ]xxxAA"},
        {"T = Chr(65) & Chr(128) & Asc(\"A\") & Asc(\"\xE2\x82\xAC\")",
         "String:A\xE2\x82\xAC"
         "65128"},
        {R"(T = Asc(""))", "#5"},
        {"T = Chr(300)", "#5"},
        {"T = ChrW(8364) & AscW(\"a\")",
         "String:\xE2\x82\xAC"
         "97"},
        {R"(T = Split("a,b,c", ",")(1))", "String:b"},
        {R"(T = Split("a,b,c", ",", 2))", "Array(String:a,String:b,c)"},
        {R"(T = UBound(Split("")))", "Long:-1"},
        {R"(T = Join(Split("a b c"), "-"))", "String:a-b-c"},
        {R"(T = Join(Array(1, Empty, "x")))", "String:1  x"},
        {R"(T = StrComp("a", "b") & StrComp("b", "a") & StrComp("a", "A", 1))", "String:-110"},
        {R"(T = StrReverse("abc"))", "String:cba"},
    });
}

TEST_F(ScriptLanguage, FormattingIsItalian)
{
    runCases({
        {"T = FormatNumber(1234.5, 2)", "String:1.234,50"},
        {"T = FormatNumber(1234.5)", "String:1.234,50"},
        {"T = FormatNumber(1234567.891, 0)", "String:1.234.568"},
        {"T = FormatNumber(0.5, 2, 0)", "String:,50"},
        {"T = FormatNumber(0.5, 2, vbTrue)", "String:0,50"},
        {"T = FormatNumber(-1234.5, 1, , vbTrue)", "String:(1.234,5)"},
        {"T = FormatNumber(1234567, 0, , , vbFalse)", "String:1234567"},
        {"T = FormatNumber(2.5, 0)", "String:3"},
        {"T = FormatNumber(1.005, 2)", "String:1,01"},
        {"T = FormatNumber(-0.001, 2)", "String:0,00"},
        {"T = FormatNumber(CCur(1234.5), 2)", "String:1.234,50"},
        {R"(T = FormatNumber("1,5", 3))", "String:1,500"},
        {R"(T = FormatNumber("abc"))", "#13"},
        {"T = FormatNumber(Null)", "#13"},
        {"T = FormatCurrency(1234.5)", "String:\xE2\x82\xAC 1.234,50"},
        {"T = FormatCurrency(-3)", "String:-\xE2\x82\xAC 3,00"},
        {"T = FormatPercent(0.125)", "String:12,50%"},
        {"T = FormatPercent(0.5, 0)", "String:50%"},
        {"T = FormatDateTime(#12/10/2024 15:30:00#)", "String:10/12/2024 15:30:00"},
        {"T = FormatDateTime(#12/10/2024 15:30:00#, vbLongDate)", "String:marted\xC3\xAC 10 dicembre 2024"},
        {"T = FormatDateTime(#12/10/2024 15:30:00#, vbShortDate)", "String:10/12/2024"},
        {"T = FormatDateTime(#12/10/2024 15:30:00#, vbLongTime)", "String:15:30:00"},
        {"T = FormatDateTime(#12/10/2024 15:30:00#, vbShortTime)", "String:15:30"},
        {"T = FormatDateTime(#12/10/2024#, 7)", "#5"},
    });
}

TEST_F(ScriptLanguage, DateFunctions)
{
    runCases({
        {"T = CStr(Now)", "String:01/03/2007 10:00:05"},
        {"T = Date", "Date:01/03/2007"},
        {"T = Time", "Date:10:00:05"},
        {"T = Day(#12/10/2024#) & Month(#12/10/2024#) & Year(#12/10/2024#)", "String:10122024"},
        {"T = Hour(#1:02:03 PM#) & Minute(#1:02:03 PM#) & Second(#1:02:03 PM#)", "String:1323"},
        {"T = Weekday(#12/10/2024#)", "Integer:3"},
        {"T = Weekday(#12/10/2024#, vbMonday)", "Integer:2"},
        {R"(T = DateAdd("m", 1, #1/31/2024#))", "Date:29/02/2024"},
        {R"(T = DateAdd("yyyy", 1, #2/29/2024#))", "Date:28/02/2025"},
        {R"(T = DateAdd("d", -1, #1/1/2024#))", "Date:31/12/2023"},
        {R"(T = DateAdd("h", 25, #12/10/2024#))", "Date:11/12/2024 01:00:00"},
        {R"(T = DateAdd("ww", 2, #12/10/2024#))", "Date:24/12/2024"},
        {R"(T = DateAdd("x", 1, #12/10/2024#))", "#5"},
        {R"(T = DateDiff("d", #12/10/2024#, #12/25/2024#))", "Long:15"},
        {R"(T = DateDiff("m", #12/31/2024#, #1/1/2025#))", "Long:1"},
        {R"(T = DateDiff("yyyy", #12/31/2024#, #1/1/2025#))", "Long:1"},
        {R"(T = DateDiff("h", #12/10/2024 23:59:00#, #12/11/2024 00:01:00#))", "Long:1"},
        {R"(T = DateDiff("d", #12/25/2024#, #12/10/2024#))", "Long:-15"},
        {"T = DateSerial(2024, 14, 1)", "Date:01/02/2025"},
        {"T = DateSerial(2024, 3, 0)", "Date:29/02/2024"},
        {"T = DateSerial(24, 1, 1)", "Date:01/01/2024"},
        {"T = TimeSerial(25, 0, 0)", "Date:31/12/1899 01:00:00"},
        {"T = MonthName(3) & WeekdayName(1)", "String:marzodomenica"},
    });
}

TEST_F(ScriptLanguage, Arrays)
{
    runCases({
        {"Dim a(2) : a(0) = 1 : a(2) = 3 : T = UBound(a) & a(0) & a(1) & a(2)", "String:213"},
        {"Dim a() : ReDim a(1) : a(1) = 5 : ReDim Preserve a(3) : T = a(1) & UBound(a)", "String:53"},
        {"Dim a() : ReDim a(1) : a(1) = 5 : ReDim a(3) : T = IsEmpty(a(1))", "Boolean:True"},
        {"Dim a(1, 2) : a(1, 2) = 7 : ReDim b(1, 1) : T = UBound(a, 2) & a(1, 2) & UBound(b, 1)", "String:271"},
        {"ReDim a(1, 2) : a(1, 1) = 4 : ReDim Preserve a(1, 3) : T = a(1, 1) & UBound(a, 2)", "String:43"},
        {"ReDim a(1, 2) : ReDim Preserve a(2, 2)", "#9"},
        {"Dim a(2) : ReDim a(3)", "#10"},
        {"Dim a(3) : T = VarType(a)", "Integer:8204"},
        {"Dim a(1) : T = a(2)", "#9"},
        {"Dim a(1) : T = a(1, 1)", "#9"},
        {"Dim a : a = Array(1, 2) : T = UBound(a, 2)", "#9"},
        {"Dim a, b : a = Array(1, 2) : b = a : b(0) = 9 : T = a(0) & b(0)", "String:19"},
        {"T = LBound(Array(1)) & UBound(Array())", "String:0-1"},
        {"Dim a : a = Array(1, 2, 3) : For Each x In a : T = T + x : Next", "Integer:6"},
        {"Dim a(2) : a(1) = 4 : Erase a : T = UBound(a) & IsEmpty(a(1))", "String:2True"},
        {"Dim a() : ReDim a(2) : Erase a : T = UBound(a)", "#9"},
        {"T = UBound(5)", "#13"},
    });
}

TEST_F(ScriptLanguage, ControlFlow)
{
    runCases({
        {"Dim n : n = 5\r\nIf n < 3 Then\r\n T = \"a\"\r\nElseIf n < 10 Then\r\n T = \"b\"\r\nElse\r\n T = "
         "\"c\"\r\nEnd If",
         "String:b"},
        {"If 1 = 2 Then\r\n T = 1\r\nElse T = 2\r\nEnd If", "Integer:2"},
        {"If 1 = 2 Then T = 1 Else T = 2 : T = T + 10", "Integer:12"},
        {"If 1 = 1 Then T = 1 : T = T + 1", "Integer:2"},
        {"If 1 = 1 Then T = 1 : End If", "Integer:1"},
        {"Select Case 3\r\nCase 1, 2\r\n T = \"x\"\r\nCase 3, 4\r\n T = \"y\"\r\nCase Else\r\n T = \"z\"\r\nEnd Select",
         "String:y"},
        {"Select Case \"b\"\r\nCase \"a\": T = 1\r\nCase \"b\": T = 2\r\nEnd Select", "Integer:2"},
        {"Select Case 9\r\nCase 1: T = 1\r\nCase Else: T = 0\r\nEnd Select", "Integer:0"},
        {"Select Case Null\r\nCase Null: T = 1\r\nCase Else: T = 0\r\nEnd Select", "Integer:0"},
        {"For i = 10 To 1 Step -3 : T = T & i : Next", "String:10741"},
        {"For i = 1 To 0 : T = 1 : Next : T = T & \"|\" & i", "String:|1"},
        {"For i = 0 To 1 Step 0.5 : T = T & i & \";\" : Next", "String:0;0,5;1;"},
        {"For i = 1 To 10\r\nIf i = 4 Then Exit For\r\nT = i\r\nNext", "Integer:3"},
        {"Dim i : Do While i < 5 : i = i + 1 : Loop : T = i", "Integer:5"},
        {"Dim i : Do Until i >= 5 : i = i + 1 : Loop : T = i", "Integer:5"},
        {"Dim i : Do : i = i + 2 : Loop Until i >= 7 : T = i", "Integer:8"},
        {"Dim i : Do : i = i + 2 : Loop While i < 7 : T = i", "Integer:8"},
        {"Dim i : Do\r\ni = i + 1\r\nIf i = 3 Then Exit Do\r\nLoop\r\nT = i", "Integer:3"},
        {"Dim i : While i < 3 : i = i + 1 : Wend : T = i", "Integer:3"},
        {"Dim i, j : Do\r\nFor j = 1 To 5\r\nIf j = 2 Then Exit Do\r\nNext\r\nLoop\r\nT = j", "Integer:2"},
        {"Dim a : a = Array(1, 2, 3)\r\nFor Each v In a\r\nIf v = 2 Then Exit For\r\nT = T & v\r\nNext", "String:1"},
        {"For Each v In 5 : Next", "#451"},
    });
}

TEST_F(ScriptLanguage, ProceduresArgumentsAndCalls)
{
    const char* inc = "Sub Inc(x)\r\n x = x + 1\r\nEnd Sub";
    const char* incVal = "Sub Inc(ByVal x)\r\n x = x + 1\r\nEnd Sub";
    const char* fact = "Function Fact(n)\r\n If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\r\nEnd Function";
    const char* exits = "Function F(n)\r\n F = 1\r\n If n > 0 Then Exit Function\r\n F = 2\r\nEnd Function";
    const char* five = "Function Five()\r\n Five = 5\r\nEnd Function";
    runCases({
        {"Dim n : n = 1 : Inc n : Call Inc(n) : T = n", "Integer:3", inc},
        {"Dim n : n = 1 : Inc (n) : T = n", "Integer:1", inc},
        {"Dim n : n = 1 : Inc n : T = n", "Integer:1", incVal},
        {"T = Fact(7)", "Integer:5040", fact},
        {"T = F(1) & F(0)", "String:12", exits},
        {"T = Five + Five()", "Integer:10", five},
        {"T = Fact(1, 2)", "#450", fact},
        {"Call Nope(1)", "#35"},
        {"T = Nope(1)", "#35"},
        {"Five = 3", "#501", five},
        {"Const K = 5 : T = K * 2", "Integer:10"},
        {"Const K = 5 : K = 6", "#501"},
        {"vbCrLf = 1", "#501"},
        {"T = 1 + _\r\n  2", "Integer:3"},
        {"T = 1 ' a comment\r\nRem another comment\r\nT = T + 1 : Rem to the end", "Integer:2"},
        {"DIM x : X = 2 : t = x * 3\r\nIF x = 2 THEN t = t + 1 eLsE t = 0", "Integer:7"},
        {"T = Len(vbCrLf) & vbTrue & vbTab", "String:2-1\t"},
        {"Dim o : Set o = Nothing : T = o Is Nothing", "Boolean:True"},
        {"Dim o : o = Nothing", "#91"},
        {"Dim o : Set o = 5", "#424"},
        {"T = 5 Is Nothing", "#424"},
        {"Dim o : T = o.Name", "#424"},
    });
}

TEST_F(ScriptLanguage, OnErrorResumeNextAndErr)
{
    const char* bad = "Function Bad()\r\n Bad = 1 / 0\r\n Bad = 5\r\nEnd Function";
    const char* guarded
        = "Function Guarded()\r\n On Error Resume Next\r\n Guarded = 1 / 0\r\n Guarded = Err.Number\r\nEnd Function";
    runCases({
        {"On Error Resume Next : T = 1 / 0 : T = Err.Number", "Long:11"},
        {"On Error Resume Next : T = 1 / 0 : T = Err.Description", "String:Divisione per zero"},
        {R"(On Error Resume Next : Err.Raise 1000, "src", "boom" : T = Err.Number & Err.Source & Err.Description)",
         "String:1000srcboom"},
        {"On Error Resume Next : x = 1 / 0 : On Error GoTo 0 : T = Err.Number", "Long:0"},
        {"On Error Resume Next : x = 1 / 0 : Err.Clear : T = Err.Number", "Long:0"},
        {"On Error Resume Next : x = 1 / 0 : On Error GoTo 0 : x = 1 / 0", "#11"},
        {R"(On Error Resume Next : T = Bad() : T = T & "|" & Err.Number)", "String:|11", bad},
        {"T = Bad()", "#11", bad},
        {"T = Guarded() & Err.Number", "String:1111", guarded},
        {"Err.Raise 5", "#5"},
    });
}

TEST_F(ScriptLanguage, SandboxRefusesObjectsEvaluationAndUi)
{
    runCases({
        {R"(Set fso = CreateObject("Scripting.FileSystemObject"))", "#429"},
        {R"(Set w = GetObject("winmgmts:"))", "#70"},
        {R"(Execute "T = 1")", "#70"},
        {R"(ExecuteGlobal "T = 1")", "#70"},
        {R"(T = Eval("1 + 1"))", "#70"},
        {R"(Set f = GetRef("T"))", "#70"},
        {R"(MsgBox "hi")", "#70"},
        {R"(On Error Resume Next : Set fso = CreateObject("Scripting.FileSystemObject") : T = Err.Number)", "Long:429"},
    });
}

TEST_F(ScriptLanguage, NumericBuiltinsReadNumericText)
{
    runCases({
        {R"(T = Abs("-1"))", "Double:1"},
        {R"(T = Abs("-1,5"))", "Double:1,5"},
        {R"(T = Abs("abc"))", "#13"},
        {R"(T = Sgn("-3"))", "Integer:-1"},
        {R"(T = Int("2,5") & "|" & Fix("-2,5"))", "String:2|-2"},
        {R"(T = Round("2,5"))", "Double:2"},
        {R"(T = Sqr("16"))", "Double:4"},
        {R"(T = Hex("255"))", "String:FF"},
    });
}

TEST_F(ScriptLanguage, ArrayElementsPassedByReferenceAreUpdated)
{
    const char* subs = "Sub S(v)\r\n v = 2\r\nEnd Sub\r\nSub SV(ByVal v)\r\n v = 2\r\nEnd Sub\r\nSub Inner(v)\r\n v(0) "
                       "= 5\r\nEnd Sub\r\n"
                       "Dim g()\r\nSub Grow(v)\r\n ReDim g(5)\r\nEnd Sub\r\nSub Wipe(v)\r\n Erase g\r\nEnd Sub";
    runCases({
        {"Dim a(1) : a(0) = 1 : S a(0) : T = a(0)", "Integer:2", subs},
        {"Dim a(1) : a(0) = 1 : Call S(a(0)) : T = a(0)", "Integer:2", subs},
        {"Dim a : a = Array(1, 1) : S a(1) : T = a(0) & a(1)", "String:12", subs},
        {"Dim a(1, 1) : S a(1, 0) : T = a(1, 0) & IsEmpty(a(0, 1))", "String:2True", subs},
        {"Dim x : x = Array(Array(1, 2)) : Inner x(0) : T = x(0)(0) & x(0)(1)", "String:52", subs},
        {"Dim a(1) : a(0) = 1 : S (a(0)) : T = a(0)", "Integer:1", subs},
        {"Dim a(1) : a(0) = 1 : SV a(0) : T = a(0)", "Integer:1", subs},
        {"Dim a(1) : S a(2)", "#9", subs},
        // The array stays put while one of its elements is the procedure's parameter, and
        // only then.
        {"ReDim g(1) : Grow g(0)", "#10", subs},
        {"ReDim g(1) : Wipe g(0)", "#10", subs},
        {"ReDim g(1) : S g(0) : Grow 0 : T = UBound(g)", "Long:5", subs},
    });
}

TEST_F(ScriptLanguage, SelectCaseComparesEachArmAsTheLanguageDoes)
{
    runCases({
        {"Select Case 3\r\nCase \"test\": T = \"text\"\r\nCase 3: T = \"three\"\r\nEnd Select", "String:three"},
        {"Select Case 3\r\nCase \"test\": T = \"text\"\r\nCase Else: T = \"else\"\r\nEnd Select", "String:else"},
        {"Dim n : n = 10\r\nSelect Case n\r\nCase \"10\": T = \"ten\"\r\nEnd Select", "String:ten"},
        {"Dim s : s = \"abc\"\r\nSelect Case s\r\nCase 1: T = 1\r\nEnd Select", "#13"},
    });
}

TEST_F(ScriptLanguage, ForEachWalksTheFirstIndexFastest)
{
    runCases({
        {"Dim a(1, 2)\r\nFor i = 0 To 1 : For j = 0 To 2 : a(i, j) = i & j : Next : Next\r\nFor Each x In a : T = T & "
         "x & \";\" : Next",
         "String:00;10;01;11;02;12;"},
        {"Dim a(1, 1, 1)\r\nFor i = 0 To 1 : For j = 0 To 1 : For k = 0 To 1 : a(i, j, k) = i & j & k : Next : Next : "
         "Next\r\n"
         "For Each x In a : T = T & x & \";\" : Next",
         "String:000;100;010;110;001;101;011;111;"},
    });
}

TEST_F(ScriptLanguage, MessageBoxAndCompareConstantsAndRGB)
{
    runCases({
        {R"(T = vbOKOnly & "," & vbOKCancel & "," & vbAbortRetryIgnore & "," & vbYesNoCancel & "," & vbYesNo & "," & vbRetryCancel)",
         "String:0,1,2,3,4,5"},
        {R"(T = vbOK & "," & vbCancel & "," & vbAbort & "," & vbRetry & "," & vbIgnore & "," & vbYes & "," & vbNo)",
         "String:1,2,3,4,5,6,7"},
        {R"(T = vbCritical & "," & vbQuestion & "," & vbExclamation & "," & vbInformation)", "String:16,32,48,64"},
        {R"(T = vbDefaultButton1 & "," & vbDefaultButton2 & "," & vbDefaultButton3 & "," & vbDefaultButton4)",
         "String:0,256,512,768"},
        {R"(T = vbApplicationModal & "," & vbSystemModal & "," & vbMsgBoxHelpButton & "," & vbMsgBoxSetForeground & "," & vbMsgBoxRight & "," & vbMsgBoxRtlReading)",
         "String:0,4096,16384,65536,524288,1048576"},
        {"T = vbMsgBoxSetForeground", "Long:65536"},
        {"T = vbDatabaseCompare", "Integer:2"},
        {"vbYes = 1", "#501"},
        {"T = (RGB(0, &h1f&, &hf1&) = &hf11f00&)", "Boolean:True"},
        {"T = RGB(255, 0, 0)", "Long:255"},
        // A component above 255 counts as 255; a negative one is refused.
        {"T = RGB(256, 0, 0)", "Long:255"},
        {"T = (RGB(&h1&, &h100&, &h111&) = &hFFFF01&)", "Boolean:True"},
        {"T = RGB(0, -1, 0)", "#5"},
        {"T = RGB(0, 0)", "#450"},
    });
}

TEST_F(ScriptLanguage, ResumeNextGoesOnInsideTheConstructWhoseHeadFailed)
{
    const char* boom = "Function Boom()\r\n Boom = 1 / 0\r\nEnd Function";
    runCases({
        {"On Error Resume Next\r\nIf Boom() Then x = \"then\" Else x = \"else\"\r\nT = x & Err.Number", "String:then11",
         boom},
        {"On Error Resume Next\r\nIf Boom() Then\r\n T = \"then\"\r\nElse\r\n T = \"else\"\r\nEnd If", "String:then",
         boom},
        {"On Error Resume Next\r\nIf False Then\r\n T = 1\r\nElseIf Boom() Then\r\n T = 2\r\nElse\r\n T = 3\r\nEnd If",
         "Integer:2", boom},
        {"On Error Resume Next\r\nDo While Boom()\r\n n = n + 1\r\n If n = 3 Then Exit Do\r\nLoop\r\nT = n",
         "Integer:3", boom},
        {"On Error Resume Next\r\nDo Until Boom()\r\n n = n + 1\r\n If n = 2 Then Exit Do\r\nLoop\r\nT = n",
         "Integer:2", boom},
        {"On Error Resume Next\r\nSelect Case 1\r\nCase Boom()\r\n T = \"boom\"\r\nCase 1\r\n T = \"one\"\r\nEnd "
         "Select",
         "String:boom", boom},
        {"On Error Resume Next\r\nFor x = Boom() To 10\r\n n = n + 1\r\n T = Err.Number & \",\"\r\nNext\r\nT = T & n & "
         "\",\" & Err.Number",
         "String:11,1,92", boom},
        {"On Error Resume Next\r\nFor x = 1 To Boom()\r\n n = n + 1\r\nNext\r\nT = n & \",\" & Err.Number",
         "String:1,92", boom},
        {"On Error Resume Next\r\nFor Each x In Empty\r\n n = n + 1\r\nNext\r\nT = n & \",\" & Err.Number",
         "String:1,451"},
        {"On Error Resume Next\r\nFor Each x In Empty\r\n n = n + 1\r\n Exit For\r\nNext\r\nT = n & \",\" & Err.Number",
         "String:1,451"},
        // Without On Error the first failure ends the run.
        {"If Boom() Then T = 1", "#11", boom},
        {"For x = Boom() To 10 : T = 1 : Next", "#11", boom},
        {"For Each x In Empty : T = 1 : Next", "#451"},
    });
}

TEST_F(ScriptLanguage, MembersOfNothingAndWithBlocks)
{
    runCases({
        {"Dim o : Set o = Nothing : o.Prop = 1", "#424"},
        {"Dim o : Set o = Nothing : T = o.Prop", "#424"},
        {"Dim o : Set o = Nothing : o.Go", "#424"},
        {"With Nothing\r\nEnd With\r\nT = 1", "Integer:1"},
        {"With Nothing\r\n T = .Name\r\nEnd With", "#424"},
        {"With Nothing\r\n .Name = 1\r\nEnd With", "#424"},
        {"With 42\r\nEnd With", "#424"},
        {"On Error Resume Next\r\nWith Nothing\r\n T = .Name\r\n T = Err.Number\r\nEnd With", "Long:424"},
    });
}

TEST_F(ScriptLanguage, SyntaxOfOlderScripts)
{
    const char* oneLine = "Sub S() x = 1 End Sub\r\nFunction G() G = 7 End Function\r\n"
                          "Sub S2()\r\n  Call G2(1)End Sub\r\nFunction G2(v)\r\n  G2 = v End Function";
    const char* hidden
        = "If False Then\r\n  Function Hidden()\r\n    Hidden = K\r\n  End Function\r\n  Const K = 9\r\nEnd If";
    const char* twice = "Function F()\r\n  F = 1\r\nEnd Function\r\nFunction F()\r\n  F = 2\r\nEnd Function";
    const char* twoTimes = "Function F(x)\r\n  F = x * 2\r\nEnd Function";
    runCases({
        {"If 2 => 1 And 1 =< 2 And 1 >< 2 Then T = True", "Boolean:True"},
        {"T = (1 =< 0) & (0 => 1) & (1 >< 1)", "String:FalseFalseFalse"},
        {"If False Then T = 1 Else T = 2 End If", "Integer:2"},
        {"If True Then T = 1 End If", "Integer:1"},
        {"If False Then :\r\nT = 5", "Integer:5"},
        {"S : S2 : T = G()", "Integer:7", oneLine},
        {"T = Hidden()", "Integer:9", hidden},
        {"T = F()", "Integer:2", twice},
        {"Dim property : property = 1 : T = property", "Integer:1"},
        {"Dim default, explicit : default = 1 : explicit = 2 : T = default + explicit", "Integer:3"},
        {"T = (F)(3)", "Integer:6", twoTimes},
        {"Call (F)(2) : T = 1", "Integer:1", twoTimes},
        {"Dim x : x = Array(4, 5) : T = ((x))(1)", "Integer:5"},
        {"ReDim u(3) : T = UBound(u)", "Long:3", "Option Explicit"},
        {"T = TypeName(arr)\r\nDim arr(3)", "String:Variant()"},
    });
}

TEST_F(ScriptLanguage, ByteAndSingleSubtypes)
{
    runCases({
        {"T = CByte(5)", "Byte:5"},
        {"T = TypeName(CByte(5)) & VarType(CByte(5))", "String:Byte17"},
        {"T = CByte(True)", "Byte:255"},
        {"T = CByte(2.5)", "Byte:2"},
        {"T = CByte(256)", "#6"},
        {"T = CByte(-1)", "#6"},
        {"T = CSng(1.5)", "Single:1,5"},
        {"T = TypeName(CSng(1)) & VarType(CSng(1))", "String:Single4"},
        {"T = CSng(1.1)", "Single:1,1"},
        {"T = (CSng(1.1) = 1.1)", "Boolean:False"},
        {"T = CSng(1E+39)", "#6"},
        {"T = TypeName(Timer) & TypeName(Rnd)", "String:SingleSingle"},
        {"Call CByte(1)", "#458"},
        {"T = CByte(1) + CByte(2)", "Byte:3"},
        {"T = CByte(200) + CByte(100)", "Integer:300"},
        {"T = CByte(1) + 1", "Integer:2"},
        {"T = -CByte(5)", "Integer:-5"},
        {"T = Not CByte(0)", "Byte:255"},
        {"T = CByte(6) And CByte(3)", "Byte:2"},
        {"T = CByte(6) And 3", "Integer:2"},
        {R"(T = CByte(7) Mod CByte(4) & TypeName(CByte(7) \ CByte(2)))", "String:3Byte"},
        {"T = CSng(1.5) + 1", "Single:2,5"},
        {"T = TypeName(CSng(1) + 70000) & TypeName(CSng(1) * 1.5)", "String:DoubleDouble"},
        {"T = Round(CSng(2.5)) & TypeName(Int(CSng(1.5)))", "String:2Single"},
    });
}

TEST_F(ScriptLanguage, LiteralsAndBooleanTexts)
{
    runCases({
        {"T = &h10&", "Integer:16"},
        {"T = &hFFFFFFFF&", "Integer:-1"},
        {"T = &hffFFffFF&", "Integer:-1"},
        {"T = &hFFFF&", "Long:65535"},
        {"T = &h7FFF&", "Integer:32767"},
        {"T = &h8000&", "Long:32768"},
        {"T = &hFFFF8000&", "Integer:-32768"},
        {"T = &hFFFF7FFF&", "Long:-32769"},
        {"T = &o17&", "Integer:15"},
        {"T = &o37777777777&", "Integer:-1"},
        {"T = &o177777&", "Long:65535"},
        {"T = VarType(&h10&) & VarType(&hFFFF&) & VarType(&hffFFffFF&)", "String:232"},
        {"T = &h10", "Integer:16"},
        {"T = &h8000", "Integer:-32768"},
        {"T = &h10000", "Long:65536"},
        {"T = (1e-94938484 = 0)", "Boolean:True"},
        {"T = 1e-400", "Double:0"},
        {R"(T = CDbl("1e-400"))", "Double:0"},
        {"T = Round(True)", "Boolean:True"},
        {R"(T = CBool("#FALSE#"))", "Boolean:False"},
        {R"(If "#TRUE#" Then T = 1 Else T = 2)", "Integer:1"},
        {R"(T = Not "#FALSE#")", "Boolean:True"},
        {R"(T = Not "#TRUE#")", "Boolean:False"},
    });
}

TEST_F(ScriptLanguage, ErrRaiseKeepsWhatItIsNotGiven)
{
    runCases({
        {"Err.Raise 0", "#5"},
        {"On Error Resume Next : Err.Raise 1 : T = Err.Number", "Long:1"},
        {"On Error Resume Next : Err.Raise 28 : T = Err.Number", "Long:28"},
        {"Err.Raise 1", "#1"},
        {"On Error Resume Next\r\nErr.Raise 2, \"src\", \"desc\", \"hf\", 7\r\nErr.Raise 5\r\n"
         "T = Err.Number & \"|\" & Err.Source & \"|\" & Err.Description & \"|\" & Err.HelpFile & \"|\" & "
         "Err.HelpContext",
         "String:5|src|desc|hf|7"},
        {"On Error Resume Next\r\nErr.Raise 2, \"src\", \"desc\"\r\nErr.Clear\r\nErr.Raise 5\r\nT = Err.Description",
         "String:Chiamata di routine o argomento non validi"},
        {"On Error Resume Next : Err.Raise &h8007000E& : T = Err.Number", "Long:7"},
        {"On Error Resume Next : Err.Raise &h10000& : T = Err.Number", "Long:65536"},
        {"T = Err.HelpContext", "Long:0"},
    });
}

TEST_F(ScriptLanguage, NullAndArgumentChecksInTheLanguagesOrder)
{
    runCases({
        {R"(T = InStrRev(Null, "abcd", 2, 0))", "#94"},
        {"T = Join(Null)", "#94"},
        {"T = Join(Array(1, Null))", "#13"},
        {"Dim a(1, 1) : T = Join(a)", "#13"},
        {R"(T = Mid("test", "a", Null))", "#94"},
        {R"(T = Mid("test", "a"))", "#13"},
        {R"(T = DateAdd("q", Null, #1/1/2024#))", "#94"},
        {"T = Weekday(Null, -1)", "#5"},
        {"T = Weekday(Null)", "Null"},
        {"T = FormatCurrency(Null)", "#13"},
        {"T = FormatPercent(Null)", "#13"},
        {"T = FormatDateTime(Null)", "#13"},
        {R"(Dim a(2) : ReDim a("abc"))", "#10"},
        {"x = Randomize(0)", "#13"},
        {"Randomize 0 : T = 1", "Integer:1"},
        {"Call CInt(1)", "#458"},
        {"CStr 1", "#458"},
        {"Call CDate(1)", "#458"},
    });
}
