// What a caller learns of a failing script: the number, the text and the line within the
// text it added; and the limits that stop scripts which never end.
#include "vbscript/HostObject.h"
#include "vbscript/ScriptEngine.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

vbs::ScriptError addError(const QString& text, const vbs::ScriptLimits& limits = {})
{
    vbs::ScriptEngine engine;
    engine.setLimits(limits);
    try {
        engine.addCode(text);
    } catch (const vbs::ScriptError& e) {
        EXPECT_TRUE(engine.lastError().has_value());
        return e;
    }
    ADD_FAILURE() << "no error from: " << text.toStdString();
    return vbs::ScriptError(0, QString());
}

vbs::ScriptError runError(const QString& text, const QString& entry, const vbs::ScriptLimits& limits = {})
{
    vbs::ScriptEngine engine;
    engine.setLimits(limits);
    engine.addCode(text);
    try {
        engine.run(entry);
    } catch (const vbs::ScriptError& e) {
        EXPECT_TRUE(engine.lastError().has_value());
        EXPECT_EQ(engine.lastError()->line, e.line);
        return e;
    }
    ADD_FAILURE() << "no error from: " << text.toStdString();
    return vbs::ScriptError(0, QString());
}

}   // namespace

TEST(ScriptErrors, SyntaxErrorReportsItsLine)
{
    const QString script = QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                                          "  ' help\r\n"
                                          "  prn.SetFont 13, True, False, \"Arial\"\r\n"
                                          "  prn.TxtOut 0, 0, _\r\n"
                                          "     flds(\"Descrizione\")\r\n"
                                          "  If flds(\"X\") = 1 Then\r\n"
                                          "    prn.TxtOut 1, 2, (3 + \r\n"
                                          "  End If\r\n"
                                          "End Function");
    vbs::ScriptError e = addError(script);
    EXPECT_EQ(e.line, 7);
    EXPECT_TRUE(e.compileError());
    EXPECT_EQ(e.number, 1023);
    EXPECT_FALSE(e.description.isEmpty());
}

TEST(ScriptErrors, LinesCountAnyLineEnd)
{
    for (const char* nl : {"\r\n", "\n", "\r"}) {
        const QString n = QString::fromLatin1(nl);
        vbs::ScriptError e = addError(QStringLiteral("x = 1") + n + n + QStringLiteral("y = \"open") + n);
        EXPECT_EQ(e.line, 3) << "line end " << int(nl[0]);
        EXPECT_EQ(e.number, 1033);
    }
}

TEST(ScriptErrors, CompileErrorsNameTheConstruct)
{
    struct Case {
        const char* text;
        int number;
        int line;
    };
    const Case cases[] = {
        {"Function F()\r\n  F = 1\r\n", 1014, 3},
        {"Function F()\r\n  If 1 Then\r\n  End Function", 1012, 3},
        {"Sub S()\r\n  For i = 1 To 3\r\n  Loop\r\nEnd Sub", 1024, 3},
        {"Sub S()\r\n  Exit Do\r\nEnd Sub", 1039, 2},
        {"x = 1 +\r\n", 1023, 1},
        {"x = 1 2", 1025, 1},
        {"x = $", 1032, 1},
        {"Class Foo\r\nEnd Class", 1048, 1},
        {"Set o = New Foo", 1048, 1},
        {"GoTo there", 1048, 1},
        {"Public Property Get P()\r\nEnd Property", 1048, 1},
        {"With x\r\n  .y = 1\r\nEnd Sub", 1029, 3},
        {"Sub A()\r\n  Sub B()\r\n  End Sub\r\nEnd Sub", 1002, 2},
    };
    for (const Case& c : cases) {
        vbs::ScriptError e = addError(QString::fromLatin1(c.text));
        EXPECT_EQ(e.number, c.number) << c.text;
        EXPECT_EQ(e.line, c.line) << c.text;
    }
}

TEST(ScriptErrors, RunTimeErrorInACalledFunctionReportsWhereItHappened)
{
    const QString script = QStringLiteral("Function Inner(x)\r\n"   // 1
                                          "  Dim a\r\n"   // 2
                                          "  a = 1\r\n"   // 3
                                          "  Inner = x / (a - 1)\r\n"   // 4
                                          "End Function\r\n"   // 5
                                          "\r\n"   // 6
                                          "Function Outer()\r\n"   // 7
                                          "  Outer = Inner(3) + 1\r\n"   // 8
                                          "End Function\r\n");
    vbs::ScriptError e = runError(script, QStringLiteral("Outer"));
    EXPECT_EQ(e.number, 11);
    EXPECT_EQ(e.line, 4);
    EXPECT_EQ(e.description, QStringLiteral("Divisione per zero"));
}

TEST(ScriptErrors, TopLevelCodeFailsInAddCodeWithItsLine)
{
    vbs::ScriptError e = addError(QStringLiteral("Dim a\r\na = 1\r\na = a / 0\r\n"));
    EXPECT_EQ(e.number, 11);
    EXPECT_EQ(e.line, 3);
}

TEST(ScriptErrors, MissingEntryPointIsAnError)
{
    vbs::ScriptEngine engine;
    engine.addCode(QStringLiteral("Function PrintLabel(flds, prn)\r\n  PrintLabel = True\r\nEnd Function"));
    try {
        engine.run(QStringLiteral("PrintTicketRow"), {});
        FAIL() << "no error";
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, 35);
        EXPECT_EQ(e.line, 0);
        EXPECT_TRUE(e.description.contains(QStringLiteral("PrintTicketRow")));
    }
    // The wrong number of arguments is refused too.
    EXPECT_THROW(engine.run(QStringLiteral("printlabel"), {vbs::Variant(1)}), vbs::ScriptError);
    EXPECT_TRUE(engine.run(QStringLiteral("printlabel"), {vbs::Variant(1), vbs::Variant(2)}).toBool());
    EXPECT_FALSE(engine.lastError().has_value());
}

TEST(ScriptErrors, CreateObjectIsRefusedOnItsLine)
{
    vbs::ScriptError e = runError(
        QStringLiteral("Function F()\r\n  Dim fso\r\n  Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n  F = "
                       "fso.FileExists(\"/etc/passwd\")\r\nEnd Function"),
        QStringLiteral("F"));
    EXPECT_EQ(e.number, 429);
    EXPECT_EQ(e.line, 3);
}

TEST(ScriptLimitsTest, EndlessLoopStopsEvenUnderOnErrorResumeNext)
{
    vbs::ScriptLimits limits;
    limits.maxStatements = 100000;
    for (const char* loop :
         {"Do\r\nLoop", "While True\r\nWend", "For i = 1 To 2 Step 0\r\nNext", "Do : x = x + 1 : Loop"}) {
        const QString script = QStringLiteral("Function F()\r\n  On Error Resume Next\r\n  ")
            + QString::fromLatin1(loop) + QStringLiteral("\r\n  F = 1\r\nEnd Function");
        vbs::ScriptError e = runError(script, QStringLiteral("F"), limits);
        EXPECT_EQ(e.number, vbs::err::kLimitExceeded) << loop;
        EXPECT_TRUE(e.engineStop) << loop;
        EXPECT_GE(e.line, 3) << loop;
    }
}

TEST(ScriptLimitsTest, TimeLimitStopsALoopThatTheCountWouldAllow)
{
    vbs::ScriptLimits limits;
    limits.maxStatements = std::numeric_limits<int64_t>::max();
    limits.maxMilliseconds = 100;
    QElapsedTimer t;
    t.start();
    vbs::ScriptError e = runError(QStringLiteral("Sub S()\r\n  Do\r\n  Loop\r\nEnd Sub"), QStringLiteral("S"), limits);
    EXPECT_EQ(e.number, vbs::err::kLimitExceeded);
    EXPECT_LT(t.elapsed(), 5000);
}

TEST(ScriptLimitsTest, RunawayRecursionAndGrowthAreStopped)
{
    vbs::ScriptLimits limits;
    limits.maxStringLength = 1 << 20;
    limits.maxArrayElements = 1 << 16;
    EXPECT_EQ(runError(QStringLiteral("Function R()\r\n  On Error Resume Next\r\n  R = R() + 1\r\nEnd Function"),
                       QStringLiteral("R"), limits)
                  .number,
              vbs::err::kOutOfStack);
    EXPECT_EQ(runError(QStringLiteral("Sub Grow()\r\n  s = \"x\"\r\n  Do\r\n    s = s & s\r\n  Loop\r\nEnd Sub"),
                       QStringLiteral("Grow"), limits)
                  .number,
              vbs::err::kOutOfStringSpace);
    EXPECT_EQ(
        runError(QStringLiteral("Sub S()\r\n  ReDim a(100000000)\r\nEnd Sub"), QStringLiteral("S"), limits).number,
        vbs::err::kOutOfMemory);
    EXPECT_EQ(
        runError(QStringLiteral("Sub S()\r\n  x = Space(2000000)\r\nEnd Sub"), QStringLiteral("S"), limits).number,
        vbs::err::kOutOfStringSpace);
    EXPECT_EQ(addError(QStringLiteral("x = ") + QString(300, QLatin1Char('(')) + QStringLiteral("1")).number,
              vbs::err::kTooComplex);
}

TEST(ScriptErrors, OptionExplicitRefusesUndeclaredNames)
{
    vbs::ScriptEngine engine;
    engine.addCode(
        QStringLiteral("Option Explicit\r\nDim g\r\nFunction F()\r\n  Dim a\r\n  a = 1\r\n  b = 2\r\nEnd Function"));
    try {
        engine.run(QStringLiteral("F"));
        FAIL();
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, 500);
        EXPECT_EQ(e.line, 6);
    }
}

// The engine's own stops pass through every On Error, whichever construct they happen in,
// and nothing a script raises is taken for one.
TEST(ScriptLimitsTest, EngineStopsAreNeitherCaughtNorMistakenForRaisedErrors)
{
    vbs::ScriptLimits limits;
    limits.maxStatements = 20000;
    const char* const spinner = "Function Spin()\r\n  Do\r\n  Loop\r\nEnd Function\r\n";
    const char* const bodies[] = {
        "x = Spin()",
        "If Spin() Then x = 1",
        "Do While Spin()\r\n  Exit Do\r\nLoop",
        "For i = 1 To Spin()\r\nNext",
        "For Each v In Spin()\r\nNext",
        "Select Case 1\r\n  Case Spin()\r\nEnd Select",
        "x = Deep(0)",
    };
    for (const char* body : bodies) {
        const QString script = QString::fromLatin1(spinner)
            + QStringLiteral("Function Deep(n)\r\n  On Error Resume Next\r\n  Deep = Deep(n + 1)\r\nEnd Function\r\n"
                             "Function F()\r\n  On Error Resume Next\r\n  ")
            + QString::fromLatin1(body) + QStringLiteral("\r\n  F = Err.Number\r\nEnd Function");
        vbs::ScriptError e = runError(script, QStringLiteral("F"), limits);
        EXPECT_TRUE(e.engineStop) << body;
        EXPECT_TRUE(e.number == vbs::err::kLimitExceeded || e.number == vbs::err::kOutOfStack) << body;
    }

    const vbs::ScriptError stop = runError(QString::fromLatin1(spinner), QStringLiteral("Spin"), limits);
    for (int number : {vbs::err::kLimitExceeded, vbs::err::kOutOfStack}) {
        vbs::ScriptError raised
            = runError(QStringLiteral("Sub R()\r\n  Err.Raise %1\r\nEnd Sub").arg(number), QStringLiteral("R"));
        EXPECT_EQ(raised.number, number);
        EXPECT_FALSE(raised.engineStop);
        EXPECT_EQ(raised.line, 2);
    }
    EXPECT_NE(runError(QStringLiteral("Sub R()\r\n  Err.Raise 1\r\nEnd Sub"), QStringLiteral("R")).description,
              stop.description);
}

TEST(ScriptLimitsTest, AThousandNestedCallsRunAndRunawayRecursionStops)
{
    const QString script = QStringLiteral("Function Depth(n)\r\n"   // 1
                                          "  If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1\r\n"   // 2
                                          "End Function\r\n"   // 3
                                          "Sub Count(n, ByRef total)\r\n"   // 4
                                          "  Dim a(2)\r\n"   // 5
                                          "  For Each x In a\r\n"   // 6
                                          "    If n > 0 Then\r\n"   // 7
                                          "      total = total + 1\r\n"   // 8
                                          "      Count n - 1, total\r\n"   // 9
                                          "      Exit For\r\n"   // 10
                                          "    End If\r\n"   // 11
                                          "  Next\r\n"   // 12
                                          "End Sub\r\n"   // 13
                                          "Function Counted(n)\r\n"   // 14
                                          "  Count n, Counted\r\n"   // 15
                                          "End Function\r\n"   // 16
                                          "Function Forever(n)\r\n"   // 17
                                          "  Forever = Forever(n + 1)\r\n"   // 18
                                          "End Function\r\n"   // 19
                                          "Function Start()\r\n"   // 20
                                          "  Start = Forever(0)\r\n"   // 21
                                          "End Function\r\n");
    vbs::ScriptEngine engine;
    engine.addCode(script);
    for (int depth : {10, 1000, 2500}) {
        EXPECT_EQ(engine.run(QStringLiteral("Depth"), {vbs::Variant(depth)}).toLong(), depth);
        EXPECT_EQ(engine.run(QStringLiteral("Counted"), {vbs::Variant(depth)}).toLong(), depth);
    }
    try {
        engine.run(QStringLiteral("Forever"), {vbs::Variant(0)});
        FAIL() << "no error";
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, vbs::err::kOutOfStack);
        EXPECT_EQ(e.description, QStringLiteral("Spazio dello stack esaurito"));
        EXPECT_TRUE(e.engineStop);
        EXPECT_EQ(e.line, 18);
    }
    // The engine is whole after the stop.
    EXPECT_EQ(engine.run(QStringLiteral("Depth"), {vbs::Variant(1000)}).toLong(), 1000);

    // The machine-stack limit stops recursion that the call count would let through.
    vbs::ScriptLimits limits;
    limits.maxCallDepth = 1'000'000;
    limits.maxStackBytes = 4 * 1024 * 1024;
    vbs::ScriptError e = runError(script, QStringLiteral("Start"), limits);
    EXPECT_EQ(e.number, vbs::err::kOutOfStack);
    EXPECT_TRUE(e.engineStop);
}

// A host object called from deep inside one script may run another script that nests as
// deep again.
TEST(ScriptLimitsTest, DeepScriptsNestThroughHostObjects)
{
    const QString depth = QStringLiteral(
        "Function Depth(n)\r\n  If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1\r\nEnd Function\r\n");
    vbs::ScriptEngine inner;
    inner.addCode(depth);
    auto host = std::make_shared<vbs::HostObject>(QStringLiteral("Host"));
    host->method(QStringLiteral("Inner"), 1, 1,
                 [&inner](const vbs::VariantList& a) { return inner.run(QStringLiteral("Depth"), {a[0]}); });
    vbs::ScriptEngine outer;
    outer.addObject(QStringLiteral("Host"), host);
    outer.addCode(depth
                  + QStringLiteral("Function Both(n)\r\n  If n = 0 Then Both = Host.Inner(1000) Else Both = Both(n - "
                                   "1) + 1\r\nEnd Function\r\n"
                                   "Function Runaway(n)\r\n  If n = 0 Then Runaway = Host.Inner(1000000) Else Runaway "
                                   "= Runaway(n - 1)\r\nEnd Function\r\n"));
    EXPECT_EQ(outer.run(QStringLiteral("Both"), {vbs::Variant(1000)}).toLong(), 2000);
    try {
        outer.run(QStringLiteral("Runaway"), {vbs::Variant(1000)});
        FAIL() << "no error";
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, vbs::err::kOutOfStack);
        EXPECT_TRUE(e.engineStop);
    }
}

// What a script's variables hold together is bounded: texts, arrays and the texts built by
// concatenation, in the globals kept from call to call and in every frame of a recursion.
// Memory taken and let go again, or one text shared by many variables, counts once.
TEST(ScriptLimitsTest, WhatTheVariablesHoldTogetherIsBounded)
{
    vbs::ScriptLimits limits;
    limits.maxHeldBytes = 8 * 1024 * 1024;
    struct Case {
        const char* body;   // the lines of Sub Holding, the first being line 2
        int stopLine;   // 0: runs to its end
    };
    const Case cases[] = {
        // 101 different texts of 200 KB each.
        {"ReDim a(100)\r\n For i = 0 To 100\r\n  a(i) = String(100000, \"x\") & i\r\n Next", 4},
        // The same, trying to look away.
        {"On Error Resume Next\r\n ReDim a(100)\r\n For i = 0 To 100\r\n  a(i) = String(100000, \"x\") & i\r\n Next",
         5},
        {"Do\r\n  s = s & String(10000, \"y\")\r\n Loop", 3},
        {"ReDim a(200000)", 2},
        {"For i = 1 To 200\r\n  s = String(100000, \"x\") & i\r\n Next", 0},
        {"s = String(1000000, \"x\")\r\n ReDim a(1000)\r\n For i = 0 To 1000\r\n  a(i) = s\r\n Next", 0},
        // Each of a hundred frames holds a text of its own.
        {"Deep 0", 6},
    };
    const QString deep = QStringLiteral(
        "Sub Deep(n)\r\n Dim t\r\n t = String(250000, \"r\") & n\r\n If n < 100 Then Deep n + 1\r\nEnd Sub\r\n");
    for (const Case& c : cases) {
        const QString script = QStringLiteral("Sub Holding()\r\n ") + QString::fromLatin1(c.body)
            + QStringLiteral("\r\nEnd Sub\r\n") + deep;
        vbs::ScriptEngine engine;
        engine.setLimits(limits);
        engine.addCode(script);
        try {
            engine.run(QStringLiteral("Holding"));
            EXPECT_EQ(c.stopLine, 0) << c.body;
        } catch (const vbs::ScriptError& e) {
            EXPECT_EQ(e.number, vbs::err::kOutOfMemory) << c.body;
            EXPECT_EQ(e.description, QStringLiteral("Memoria esaurita")) << c.body;
            EXPECT_TRUE(e.engineStop) << c.body;
            EXPECT_EQ(e.line, c.stopLine) << c.body;
        }
    }
}

// A script called again and again (the barcode filter is compiled once) keeps its globals:
// what they gather over the calls is held all the same.
TEST(ScriptLimitsTest, GlobalsGatheredOverManyCallsCountTowardsTheBound)
{
    vbs::ScriptLimits limits;
    limits.maxHeldBytes = 4 * 1024 * 1024;
    vbs::ScriptEngine engine;
    engine.setLimits(limits);
    engine.addCode(QStringLiteral("Dim kept()\r\nReDim kept(-1)\r\nSub Add(n)\r\n  ReDim Preserve kept(n)\r\n"
                                  "  kept(n) = String(100000, \"k\") & n\r\nEnd Sub\r\n"));
    int calls = 0;
    try {
        for (; calls < 100; ++calls) engine.run(QStringLiteral("Add"), {vbs::Variant(calls)});
        FAIL() << "no stop";
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, vbs::err::kOutOfMemory);
        EXPECT_EQ(e.line, 5);
        // About 200 KB a call against 4 MB.
        EXPECT_GE(calls, 15);
        EXPECT_LE(calls, 21);
    }
}

// Memory the system refuses inside a host object's call stops the script at that line, as
// the engine's own bound does, whatever On Error says.
TEST(ScriptLimitsTest, MemoryTheSystemRefusesStopsTheScriptAtItsLine)
{
    auto host = std::make_shared<vbs::HostObject>(QStringLiteral("Host"));
    host->method(QStringLiteral("Take"), 0, 0, [](const vbs::VariantList&) -> vbs::Variant { throw std::bad_alloc(); });
    vbs::ScriptEngine engine;
    engine.addObject(QStringLiteral("Host"), host);
    engine.addCode(
        QStringLiteral("Function F()\r\n  On Error Resume Next\r\n  x = Host.Take()\r\n  F = 1\r\nEnd Function\r\n"));
    try {
        engine.run(QStringLiteral("F"));
        FAIL() << "no stop";
    } catch (const vbs::ScriptError& e) {
        EXPECT_EQ(e.number, vbs::err::kOutOfMemory);
        EXPECT_EQ(e.description, QStringLiteral("Memoria esaurita"));
        EXPECT_TRUE(e.engineStop);
        EXPECT_EQ(e.line, 3);
        ASSERT_TRUE(engine.lastError().has_value());
        EXPECT_EQ(engine.lastError()->line, 3);
    }
}
