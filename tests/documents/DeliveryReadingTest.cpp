// Reading a delivery file through a layout: which lines are kept, what each field holds,
// what the row filter script does to a record, how a failure is reported, and that the
// file is read in its own encoding whatever its size.
#include "documents/DeliveryFileReader.h"
#include "documents/DeliveryImport.h"
#include "documents/ImportFeedback.h"
#include "ImportShop.h"

#include <QFile>

namespace {

// ---- selections ------------------------------------------------------------------------------------

struct SelectionCase {
    const char* name;
    QList<LineSelection> rules;
    const char* line;
    bool kept;
};

TEST(LineSelections, KeepOrDropByTextAtAPosition)
{
    const LineSelection includeD {1, "D", false};
    const LineSelection includeT {1, "T", false};
    const LineSelection excludeX {3, "XX", true};
    const SelectionCase cases[] = {
        {"no rules keep every line", {}, "anything", true},
        {"an include rule keeps a matching line", {includeD}, "D0001 MELE", true},
        {"an include rule drops the others", {includeD}, "T0001 TOTALE", false},
        {"the match is case-sensitive", {includeD}, "d0001 mele", false},
        {"either of two include rules keeps", {includeD, includeT}, "T0001", true},
        {"an exclude rule drops a matching line", {excludeX}, "D0XX1", false},
        {"an exclude rule keeps the others", {excludeX}, "D0001", true},
        {"an exclude rule wins over an include rule met before it", {includeD, excludeX}, "D0XX1", false},
        {"an exclude rule met first drops the line before any include", {excludeX, includeD}, "D0XX1", false},
        {"text beyond the line's end does not match", {{8, "Z", false}}, "D0001", false},
        {"a text longer than what is left does not match", {{4, "0012", false}}, "D0001", false},
        {"an empty text matches any line", {{1, "", false}}, "whatever", true},
    };
    for (const SelectionCase& c : cases) {
        DeliveryLayout layout;
        layout.selections.assign(c.rules.begin(), c.rules.end());
        EXPECT_EQ(layout.keepsLine(QString::fromLatin1(c.line)), c.kept) << c.name;
    }
}

// ---- field values ----------------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    LayoutField field;
    DeliveryTable::Kind kind;
    const char* line;
    QVariant expected;   // invalid: the column stays empty
};

TEST(FieldValues, CutFromTheLineAndReadAsTheColumnsType)
{
    using K = DeliveryTable::Kind;
    const ValueCase cases[] = {
        {"text is trimmed of blanks", {"Descrizione", 3, 6}, K::Text, "xx  MELE  yy", QString("MELE")},
        {"a decimal comma", {"ValoreCarico", 1, 5, true}, K::Number, "12,50", 12.5},
        {"a decimal point", {"ValoreCarico", 1, 6, true}, K::Number, " 12.5 ", 12.5},
        {"an amount with a comma", {"PrezzoAcquisto", 1, 5, false, true}, K::Amount, "12,50", money("12.5")},
        {"a blank number is 0", {"ValoreCarico", 1, 4, true}, K::Number, "    x", 0.0},
        {"a blank amount is 0", {"PrezzoAcquisto", 1, 4, false, true}, K::Amount, "    x", money("0")},
        {"a blank text is the empty text", {"Descrizione", 1, 4}, K::Text, "    x", QString("")},
        {"a line too short leaves the column empty",
         {"PrezzoAcquisto", 3, 5, false, true},
         K::Amount,
         "ab123",
         QVariant()},
        {"exactly long enough is read", {"PrezzoAcquisto", 3, 3, false, true}, K::Amount, "ab123", money("123")},
        {"position 0 is never read from the line", {"UnitaMisura", 0, 5}, K::Text, "KgPzz", QVariant()},
        {"a code stays text", {"Codice", 1, 4, true}, K::Text, "0012", QString("0012")},
    };
    DeliveryLayout layout;
    DeliveryFileReader reader(layout, nullptr);
    for (const ValueCase& c : cases) {
        const QVariant v = reader.fieldValue(QString::fromLatin1(c.line), LineEncoding::SingleByte, c.field, c.kind);
        EXPECT_EQ(v.isValid(), c.expected.isValid()) << c.name;
        if (c.expected.isValid()) {
            EXPECT_EQ(v, c.expected) << c.name;
        }
    }
}

TEST(FieldValues, ANumberThatDoesNotReadIsAnError)
{
    DeliveryLayout layout;
    DeliveryFileReader reader(layout, nullptr);
    const LayoutField quantity {"ValoreCarico", 1, 4, true};
    try {
        (void)reader.fieldValue(u"12a4", LineEncoding::SingleByte, quantity, DeliveryTable::Kind::Number);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.description, "Il valore <12a4> del campo <ValoreCarico> non è un numero");
    }
    EXPECT_THROW((void)reader.fieldValue(u"1.2.3", LineEncoding::SingleByte, {"PrezzoAcquisto", 1, 5, false, true},
                                         DeliveryTable::Kind::Amount),
                 AppError);
}

// Texts the C library reads as a double that are no quantity: the stock would take them.
TEST(FieldValues, NoNumberAndInfinityAreNotNumbers)
{
    DeliveryLayout layout;
    DeliveryFileReader reader(layout, nullptr);
    const LayoutField quantity {"ValoreCarico", 1, 6, true};
    const LayoutField price {"PrezzoAcquisto", 1, 6, false, true};
    for (const char* text : {"nan", "NaN", "inf", "-inf", "+INF", "1e999", "-1e999", "1,e999"}) {
        const QString line = QString::fromLatin1(text).leftJustified(6);
        EXPECT_THROW((void)reader.fieldValue(line, LineEncoding::SingleByte, quantity, DeliveryTable::Kind::Number),
                     AppError)
            << text;
        EXPECT_THROW((void)reader.fieldValue(line, LineEncoding::SingleByte, price, DeliveryTable::Kind::Amount),
                     AppError)
            << text;
    }
    EXPECT_EQ(reader.fieldValue(u"1e3   ", LineEncoding::SingleByte, quantity, DeliveryTable::Kind::Number), 1000.0)
        << "a written exponent still reads";
}

// ---- lines ------------------------------------------------------------------------------------------

class LineSourceFiles : public ImportShop { };

QStringList allLines(const QString& path)
{
    DeliveryLineSource source(path);
    QStringList lines;
    QString line;
    while (source.next(line)) lines << source.text(line);
    return lines;
}

TEST_F(LineSourceFiles, LinesEndAtCrLfOrBothAndTheFileIsReadInItsEncoding)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const QString caffe = QStringLiteral("caff\u00E8 \u20AC");
    QByteArray utf16 = "\xFF\xFE";
    for (QChar c : caffe + QStringLiteral("\r\nB")) utf16 += char(c.unicode() & 0xFF), utf16 += char(c.unicode() >> 8);
    const Case cases[] = {
        {"CR LF", "A\r\nB\r\n", {"A", "B"}},
        {"LF alone", "A\nB\n", {"A", "B"}},
        {"CR alone", "A\rB\r", {"A", "B"}},
        {"empty lines inside are lines", "A\r\n\r\nB", {"A", "", "B"}},
        {"a last line without its end", "A\r\nB", {"A", "B"}},
        {"Ctrl+Z ends the text", "A\r\nB\x1A\r\nC\r\n", {"A", "B"}},
        {"an empty file has no line", "", {}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + caffe.toUtf8() + "\r\n", {caffe}},
        {"UTF-8 without a mark", caffe.toUtf8() + "\r\n", {caffe}},
        {"Windows-1252", "caff\xE8 \x80\r\n", {caffe}},
        {"UTF-16 with its mark", utf16, {caffe, "B"}},
        {"a UTF-8 mark mid-file is dropped", "A\r\n\xEF\xBB\xBF" + caffe.toUtf8() + "\r\n", {"A", caffe}},
        {"marks of files joined one after the other",
         "\xEF\xBB\xBF"
         "A\r\nB\xEF\xBB\xBF"
         "C\r\n",
         {"A", "BC"}},
        {"a mark in a Windows-1252 file is dropped too",
         "\xEF\xBB\xBF"
         "caff\xE8 \x80\r\n",
         {caffe}},
        {"one line that is no UTF-8 makes the whole file Windows-1252",
         caffe.toUtf8() + "\r\ncaff\xE8\r\n",
         {QStringLiteral("caff\u00C3\u00A8 \u00E2\u201A\u00AC"), QStringLiteral("caff\u00E8")}},
        {"a UTF-8 letter cut short at the end", "caff\xC3", {QStringLiteral("caff\u00C3")}},
        {"bytes past the Ctrl+Z do not decide the encoding", caffe.toUtf8() + "\x1A\xE8", {caffe}},
        {"a UTF-16 mark mid-file is dropped",
         utf16
             + QByteArray("\xFF\xFE"
                          "C\0",
                          4),
         {caffe, "BC"}},
    };
    for (const Case& c : cases) EXPECT_EQ(allLines(writeBytes(c.bytes)), c.lines) << c.name;
}

// The file is read in pieces: a CR at the end of one piece and its LF at the start of the
// next still end one line.
TEST_F(LineSourceFiles, ALineEndSplitBetweenTwoPiecesIsOneEnd)
{
    const QByteArray first(64 * 1024 - 1, 'a');
    const QByteArray second(70 * 1024, 'b');
    const QStringList lines = allLines(writeBytes(first + "\r\n" + second + "\r\nc"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), first.size());
    EXPECT_EQ(lines[1].size(), second.size());
    EXPECT_EQ(lines[2], "c");
}

// ---- reading through a layout --------------------------------------------------------------------

class Reading : public ImportShop {
protected:
    // The read table as text: one row a line, values joined by "|", Null as "~".
    QStringList rows(const DeliveryTable& table)
    {
        QStringList out;
        for (qsizetype r = 0; r < table.rowCount(); ++r) {
            QStringList values;
            for (int c = 0; c < table.columnCount(); ++c) {
                const QVariant v = table.value(r, c);
                values << (!v.isValid()                                  ? QStringLiteral("~")
                               : v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>().toString()
                                                                         : v.toString());
            }
            out << values.join(u'|');
        }
        return out;
    }
    // Reads through the layout as the window does, the message box included.
    std::unique_ptr<DeliveryImport> readWith(qint64 layoutKey, const QString& file)
    {
        auto import = std::make_unique<DeliveryImport>(db(), op);
        auto list = layouts();
        import->setLayouts(*list);
        const int index = import->layoutEntries().size() - 1;
        EXPECT_EQ(layout(layoutKey).key, layoutKey);
        import->chooseLayout(index);
        (void)import->read(file);
        return import;
    }
};

const QList<LayoutColumn> kArticleLine = {
    {"TipoRecord", 1, 1}, {"ValoreCarico", 2, 5, 'N'}, {"PrezzoAcquisto", 7, 6, 'A'},
    {"Codice", 13, 6},    {"Descrizione", 19, 10},     {"Iva", 29, 2},
    {"CodiceIva", 0, 8},
};

TEST_F(Reading, ColumnsTakeCodeAndDescriptionFirstThenTheLayoutsOrder)
{
    const qint64 key = addLayout(kArticleLine);
    auto import = readWith(key, writeFile({}));
    const DeliveryTable& t = *import->table();
    QStringList names;
    for (int c = 0; c < t.columnCount(); ++c) names << t.column(c).name;
    EXPECT_EQ(
        names,
        QStringList({"Codice", "Descrizione", "TipoRecord", "ValoreCarico", "PrezzoAcquisto", "Iva", "CodiceIva"}));
    EXPECT_EQ(t.column(3).kind, DeliveryTable::Kind::Number);
    EXPECT_EQ(t.column(4).kind, DeliveryTable::Kind::Amount);
    EXPECT_EQ(t.column(0).width, 6);
    EXPECT_TRUE(t.hasColumn("Codice"));
    EXPECT_FALSE(t.hasColumn("codice")) << "a column is present only under its exact name";
}

TEST_F(Reading, KeptLinesBecomeRecordsSortedByDescription)
{
    const qint64 key = addLayout(kArticleLine, kKeepAll, {{1, "D", false}});
    //                      1   2    7     13    19        29
    auto import = readWith(key,
                           writeFile({"D12,50 12,50A00002PERE      22", "T00000000000      TOTALE",
                                      "D    3000080A00001MELE      10", "D00001"}));
    EXPECT_EQ(rows(*import->table()),
              QStringList({"~|~|D|1|~|~|~",   // too short for any field but the first two
                           "A00001|MELE|D|3|80|10|~", "A00002|PERE|D|12.5|12.5|22|~"}));
    EXPECT_EQ(import->linesRead(), 4);
    EXPECT_EQ(prompts(), QStringList());
}

// A selection's text is looked for as the file writes it, at its byte: an accented letter is
// one byte in a Windows-1252 file and two in a UTF-8 one, the euro sign one and three.
TEST_F(Reading, ASelectionMatchesItsTextAsTheFileWritesIt)
{
    const QList<LayoutColumn> fields = {{"Codice", 3, 2}, {"ValoreCarico", 5, 2, 'N'}};
    const QByteArray cp1252 = "\xC8 A1 3\r\nE A2 4\r\n\x80"
                              "A3 5\r\n\xC8 A4 6\r\n";
    const QByteArray utf8 = "\xC3\x88"
                            "A1 3\r\nE A2 4\r\n\xE2\x82\xAC"
                            "3 5\r\n\xC3\x88"
                            "A4 6\r\n";
    struct Case {
        const char* name;
        LineSelection rule;
        QStringList rows;
    };
    const Case cases[] = {
        {"an accented letter kept", {1, QStringLiteral("\u00C8"), false}, {"A1|3", "A4|6"}},
        {"the euro sign dropped", {1, QStringLiteral("\u20AC"), true}, {"A1|3", "A2|4", "A4|6"}},
        {"a letter the single-byte code cannot write matches nothing", {1, QStringLiteral("\u03A9"), false}, {}},
    };
    for (const Case& c : cases) {
        const qint64 key = addLayout(fields, kKeepAll, {c.rule});
        for (const QByteArray& bytes : {cp1252, utf8}) {
            auto import = readWith(key, writeBytes(bytes));
            EXPECT_EQ(rows(*import->table()), c.rows) << c.name << (bytes == utf8 ? " (UTF-8)" : " (Windows-1252)");
        }
    }
}

TEST_F(Reading, AmountsAreConvertedThenDividedByTheCoefficient)
{
    const QList<LayoutColumn> fields = {{"Codice", 1, 2}, {"PrezzoAcquisto", 3, 6, 'A'}, {"ValoreCarico", 9, 4, 'N'}};
    const QString file = writeFile({"A1193627  12"});
    struct Case {
        const char* name;
        bool conversion;
        double coefficient;
        const char* price;
    };
    const Case cases[] = {
        {"as written", false, 0, "193627"},
        {"divided by the coefficient", false, 100, "1936.27"},
        {"from lire to euro", true, 0, "100"},
        {"from lire to euro, then divided", true, 100, "1"},
    };
    for (const Case& c : cases) {
        const qint64 key = addLayout(fields, kKeepAll, {}, c.conversion, c.coefficient);
        auto import = readWith(key, file);
        ASSERT_EQ(import->table()->rowCount(), 1) << c.name;
        EXPECT_EQ(import->table()->value(0, "PrezzoAcquisto"), money(c.price)) << c.name;
        EXPECT_EQ(import->table()->value(0, "ValoreCarico"), 12.0) << c.name << ": only amounts are converted";
    }
}

TEST_F(Reading, TheFilterScriptChangesAndChoosesTheRecords)
{
    const QString filter = QStringLiteral("Function FilterRow(Flds)\r\n"
                                          "  Flds(\"ValoreCarico\").Value = Flds(\"ValoreCarico\").Value / 100\r\n"
                                          "  Flds(\"CodiceIva\") = \"IVA\" & Flds(\"Iva\")\r\n"
                                          "  If IsNull(Flds(\"Descrizione\")) Then Exit Function\r\n"
                                          "  FilterRow = (Flds(\"TipoRecord\").Value = \"D\")\r\n"
                                          "End Function\r\n");
    const qint64 key = addLayout(kArticleLine, filter);
    auto import
        = readWith(key, writeFile({"D01250001250A00002PERE      22", "T00000000000A00003TOTALE    00", "D00200"}));
    EXPECT_EQ(rows(*import->table()), QStringList({"A00002|PERE|D|12.5|1250|22|IVA22"}));
}

TEST_F(Reading, AFilterThatReturnsNothingKeepsNoRecord)
{
    const qint64 key = addLayout(kArticleLine, QStringLiteral("Function FilterRow(Flds)\r\nEnd Function\r\n"));
    struct Label : ImportFeedback {
        QString text;
        void showMessage(const QString& t) override { text = t; }
    } label;
    DeliveryImport import(db(), op, &label);
    auto list = layouts();
    import.setLayouts(*list);
    ASSERT_TRUE(import.read(writeFile({"D01250001250A00002PERE      22", "D01250001250A00003MELE      22"})));
    EXPECT_FALSE(import.hasRows());
    EXPECT_EQ(label.text, "0 Records");
    EXPECT_EQ(import.layout()->key, key);
}

struct ErrorCase {
    const char* name;
    QString filter;
    QStringList lines;
    QString message;
    int keptBefore;
};

TEST_F(Reading, AFailureNamesTheRecordAndTheScriptLine)
{
    const QString head = QStringLiteral("Function FilterRow(Flds)\r\n  Dim n\r\n");
    const ErrorCase cases[] = {
        {"a script error names the line of the file and of the script",
         head + "  n = 1 / (Flds(\"ValoreCarico\") - 3)\r\n  FilterRow = True\r\nEnd Function\r\n",
         {"D00001000100A00001MELE      22", "D00003000100A00002PERE      22", "D00004"},
         "Errore in importazione dati: \r\rDivisione per zero\r\rRecord: 2\rLinea VB: 3",
         1},
        {"a script that does not compile fails before any line",
         head + "  If Then\r\nEnd Function\r\n",
         {"D00001"},
         "Errore in importazione dati: \r\rPrevista espressione\r\rLinea VB: 3",
         0},
        {"a script writing a text too long for its column",
         head + "  Flds(\"Codice\") = \"1234567\"\r\n  FilterRow = True\r\nEnd Function\r\n",
         {"D00001"},
         "Errore in importazione dati: \r\rIl valore <1234567> supera la lunghezza del campo <Codice> (6 caratteri)\r\r"
         "Record: 1\rLinea VB: 3",
         0},
        {"a script holding more memory than a script may",
         head + "  ReDim big(4000000)\r\n  FilterRow = True\r\nEnd Function\r\n",
         {"D00001"},
         "Errore in importazione dati: \r\rMemoria esaurita\r\rRecord: 1\rLinea VB: 3",
         0},
        {"a number that does not read names its line, without a script line",
         kKeepAll,
         {"D00001000100A00001MELE      22", "D0x001000100A00002PERE      22"},
         "Errore in importazione dati: \r\rIl valore <0x001> del campo <ValoreCarico> non è un numero\r\rRecord: 2",
         1},
    };
    for (const ErrorCase& c : cases) {
        m_ui->clearLog();
        const qint64 key = addLayout(kArticleLine, c.filter);
        auto import = std::make_unique<DeliveryImport>(db(), op);
        auto list = layouts();
        import->setLayouts(*list);
        import->chooseLayout(import->layoutEntries().size() - 1);
        ASSERT_EQ(import->layout()->key, key);
        EXPECT_FALSE(import->read(writeFile(c.lines))) << c.name;
        EXPECT_EQ(prompts(), QStringList({c.message})) << c.name;
        EXPECT_EQ(import->table()->rowCount(), c.keptBefore) << c.name << ": what was read stays";
    }
}

// Found by the delivery fuzz target: the layout "F ValoreCarico|1|5|1|0|0|0" over the file
// "nan  " read a record whose quantity was no number.
TEST_F(Reading, AQuantityOfNoNumberFailsTheReading)
{
    addLayout({{"ValoreCarico", 1, 5, 'N'}});
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);
    EXPECT_FALSE(import.read(writeBytes("nan  \r\n")));
    EXPECT_EQ(prompts(),
              QStringList({"Errore in importazione dati: \r\rIl valore <nan> del campo <ValoreCarico> non è un "
                           "numero\r\rRecord: 1"}));
    EXPECT_EQ(import.table()->rowCount(), 0);
}

TEST_F(Reading, AMissingFileIsReportedWithoutARecord)
{
    addLayout(kArticleLine);
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);
    const QString missing = dir + QStringLiteral("/manca.txt");
    EXPECT_FALSE(import.read(missing));
    EXPECT_EQ(prompts(), QStringList({"Errore in importazione dati: \r\rFile non trovato: " + missing + "\r"}));
}

TEST_F(Reading, TheOperatorIsAskedBeforeReading)
{
    addLayout(kArticleLine, kKeepAll, {}, false, 0, writeFile({"D00001000100A00001MELE      22"}));
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);
    answer({"Cancel", "OK"});
    EXPECT_FALSE(import.confirmAndRead());
    EXPECT_FALSE(import.hasTable()) << "Cancel reads nothing";
    EXPECT_TRUE(import.confirmAndRead());
    EXPECT_EQ(import.table()->rowCount(), 1);
    const QString question = "Lettura dei dati della fornitura da:\r\r" + import.sourceFile();
    EXPECT_EQ(prompts(), QStringList({question, question}));
}

// A click on the label asks to stop; the reading looks every ten lines and asks for
// confirmation: No goes on to the end, Yes keeps what was read so far.
TEST_F(Reading, AStopConfirmedKeepsTheRecordsReadSoFar)
{
    addLayout(kArticleLine);
    QStringList lines;
    for (int i = 0; i < 45; ++i) lines << QStringLiteral("D00001000100A%1MELE      22").arg(i, 5, 10, QChar(u'0'));
    const QString file = writeFile(lines);

    struct Clicker : ImportFeedback {
        ImportLoop* loop = nullptr;
        int calls = 0;
        void letEventsRun() override
        {
            if (++calls == 2) loop->requestStop();
        }
    };
    for (const char* answerGiven : {"No", "Yes"}) {
        Clicker clicker;
        DeliveryImport import(db(), op, &clicker);
        clicker.loop = &import.loop();
        auto list = layouts();
        import.setLayouts(*list);
        m_ui->clearLog();
        answer({answerGiven});
        ASSERT_TRUE(import.read(file));
        EXPECT_EQ(prompts(), QStringList({"Vuoi interrompere? "}));
        EXPECT_EQ(import.table()->rowCount(), QString(answerGiven) == "Yes" ? 19 : 45) << answerGiven;
    }
}

// The line counter holds any file: a 16-bit count would end at 32,767 lines.
TEST_F(Reading, AFileOfFortyThousandLinesIsReadWhole)
{
    addLayout(kArticleLine);
    QByteArray bytes;
    for (int i = 1; i <= 40000; ++i)
        bytes += QStringLiteral("D00002000150A%1ARTICOLO  22\r\n").arg(i, 5, 10, QChar(u'0')).toLatin1();
    DeliveryImport import(db(), op);
    auto list = layouts();
    import.setLayouts(*list);
    ASSERT_TRUE(import.read(writeBytes(bytes)));
    EXPECT_EQ(import.table()->rowCount(), 40000);
    EXPECT_EQ(import.linesRead(), 40000);
}

}   // namespace
