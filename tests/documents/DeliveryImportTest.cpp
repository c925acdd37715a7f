// The import's work on the read rows: each row checked against the catalogue (the code
// trimmed and quoted, a code of several deposits settled by the operator), the differences
// with the article, the check and import passes, associating and creating articles, and the
// rows added to the supply all together or not at all.
#include "documents/DeliveryImport.h"
#include "documents/ImportFeedback.h"
#include "ImportShop.h"
#include "documents/SupplierLinks.h"
#include "objdb/TableObject.h"

namespace {

const QList<LayoutColumn> kSupplyLine = {
    {"Codice", 1, 6},
    {"Descrizione", 7, 10},
    {"ValoreCarico", 17, 4, 'N'},
    {"PrezzoAcquisto", 21, 6, 'A', true, 0.10},
};

QString line(const QString& code, const QString& description, const QString& quantity, const QString& price)
{
    return code.leftJustified(6) + description.leftJustified(10) + quantity.rightJustified(4) + price.rightJustified(6);
}

const QString kMissingCode = QStringLiteral("Codice dell'articolo mancante\r\rDevi impostare il codice dell'articolo "
                                            "mediante l'Associazione o l'Inserimento...");
QString unknownCode(const QString& code)
{
    return "Codice dell'articolo <" + code
        + "> inesistente\r\rDevi impostare il codice dell'articolo mediante l'Associazione o l'Inserimento...";
}
const QString kCompleted = QStringLiteral("Controllo completato");
const QString kGoOn = QStringLiteral("Controllo completato.\r\rProseguire con il carico?");
const QString kNotChecked = QStringLiteral(
    "Non è stato completato il test di rilevazione incongruenze...\r\rCompletare le verifiche prima di importare ?");

// Keeps which rows the import stood on.
struct Rows : ImportFeedback {
    QList<qsizetype> shown;
    int busyChanges = 0;
    bool busy = false;
    void showRow(qsizetype row) override { shown << row; }
    void setBusy(bool b) override
    {
        busy = b;
        ++busyChanges;
    }
};

class Importing : public ImportShop {
protected:
    void SetUp() override
    {
        ImportShop::SetUp();
        import = std::make_unique<DeliveryImport>(db(), op, &rows);
    }
    void TearDown() override
    {
        import.reset();
        ImportShop::TearDown();
    }
    // The layout, then the file read through it; the table is shown by description.
    void read(const QStringList& lines, const QList<LayoutColumn>& fields = kSupplyLine,
              const QString& filter = kKeepAll)
    {
        addLayout(fields, filter);
        auto list = layouts();
        import->setLayouts(*list);
        import->chooseLayout(import->layoutEntries().size() - 1);
        ASSERT_TRUE(import->read(writeFile(lines)));
        m_ui->clearLog();
    }
    QString code(qsizetype row) { return import->table()->value(row, "Codice").toString(); }
    qsizetype rowOf(const QString& c)
    {
        for (qsizetype r = 0; r < import->table()->rowCount(); ++r)
            if (code(r) == c) return r;
        ADD_FAILURE() << "no row " << c.toStdString();
        return -1;
    }
    Currency purchasePrice(qint64 article)
    {
        return select("Articoli", QStringLiteral("OID = %1").arg(article))->GetCurrencyValue("PrezzoAcquisto");
    }
    // Confirms the import with the answers of an operator who skips the check.
    void confirm(bool autoTicked = false)
    {
        answer({"No", "Yes"});
        ASSERT_TRUE(import->importPass(autoTicked));
    }

    Rows rows;
    std::unique_ptr<DeliveryImport> import;
};

// ---- one row ---------------------------------------------------------------------------------------

TEST_F(Importing, ACheckedRowNeedsAKnownCodeWhenTestingOrAnArticleWhenCreating)
{
    addArticle("A00001", "MELE", "1.20");
    struct Case {
        const char* name;
        const char* code;
        bool autoCreate, test, saveNew;
        bool result;
        QStringList prompts;
        QStringList windows;
    };
    const Case cases[] = {
        {"a known code", "A00001", false, true, false, true, {}, {}},
        {"an empty code stops", "", false, false, false, false, {kMissingCode}, {}},
        {"an unknown code stops the test", "Z00009", false, true, false, false, {unknownCode("Z00009")}, {}},
        {"an unknown code passes the test when articles are created", "Z00009", true, true, false, true, {}, {}},
        {"an unknown code passes the import, which skips it", "Z00009", false, false, false, true, {}, {}},
        {"an editor cancelled stops the import", "Z00009", true, false, false, false, {}, {"new"}},
        {"the import creates the article in the editor", "Z00009", true, false, true, true, {}, {"new"}},
    };
    for (const Case& c : cases) {
        read({line(c.code, "ARTICOLO", "1", "1,20")});
        op.log.clear();
        op.saveNewArticles = c.saveNew;
        EXPECT_EQ(import->checkRow(0, c.autoCreate, c.test), c.result) << c.name;
        EXPECT_EQ(prompts(), c.prompts) << c.name;
        EXPECT_EQ(op.log, c.windows) << c.name;
    }
    EXPECT_EQ(select("Articoli", "Codice = 'Z00009'")->RowCount(), 1) << "made once, by the editor that saved";
}

// Fixed-width files pad their codes; a quote in a code is text, never SQL.
TEST_F(Importing, TheCodeIsTrimmedAndQuotedEverywhere)
{
    const qint64 padded = addArticle("A1", "MELE", "1.20");
    const qint64 quoted = addArticle("D'OR", "PERE", "2.00");
    const QString pad
        = QStringLiteral("Function FilterRow(Flds)\r\n  Flds(\"Codice\") = \" \" & Flds(\"Codice\") & \" \"\r\n"
                         "  FilterRow = True\r\nEnd Function\r\n");
    read({line("A1", "MELE", "2", "1,20"), line("D'OR", "PERE", "3", "2,00")}, kSupplyLine, pad);
    EXPECT_EQ(code(rowOf(" A1 ")), " A1 ");
    EXPECT_FALSE(import->rowNeedsArticle(rowOf(" A1 ")));
    EXPECT_FALSE(import->rowNeedsArticle(rowOf(" D'OR ")));
    EXPECT_TRUE(import->checkRow(rowOf(" A1 "), false, true));
    EXPECT_TRUE(import->checkRow(rowOf(" D'OR "), false, true));

    openSupply();
    confirm();
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));
    EXPECT_EQ(stockOf(padded), 2);
    EXPECT_EQ(stockOf(quoted), 3);
    EXPECT_EQ(prompts(), QStringList({kNotChecked, kGoOn}));
}

// The same code in two deposits: the operator picks, as in the row entry; the first one is
// never taken in silence.
TEST_F(Importing, ACodeOfSeveralDepositsIsSettledByTheOperator)
{
    const qint64 shop = addArticle("A00001", "MELE", "1.20");
    const qint64 back = addArticle("A00001", "MELE", "1.20", "RETRO");
    read({line("A00001", "MELE", "5", "1,20")});

    EXPECT_FALSE(import->checkRow(0, false, true)) << "none picked";
    EXPECT_EQ(op.log, QStringList({"pick 2"}));
    EXPECT_EQ(prompts(), QStringList());

    op.log.clear();
    op.pickDeposit = "RETRO";
    openSupply();
    confirm();
    EXPECT_EQ(op.log, QStringList({"pick 2"}));
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));
    EXPECT_EQ(op.log, QStringList({"pick 2"})) << "asked once for the row";
    EXPECT_EQ(stockOf(back), 5);
    EXPECT_EQ(stockOf(shop), 0);
}

TEST_F(Importing, AnImportWhoseArticleIsNotPickedStopsWithNothingImported)
{
    addArticle("A00001", "MELE", "1.20");
    addArticle("A00001", "MELE", "1.20", "RETRO");
    read({line("A00001", "MELE", "5", "1,20")});
    answer({"No"});
    EXPECT_FALSE(import->importPass(false));
    EXPECT_FALSE(import->imported());
    EXPECT_EQ(prompts(), QStringList({kNotChecked}));
}

// ---- differences -----------------------------------------------------------------------------------

TEST_F(Importing, ADifferenceIsAReadValueBeyondTheToleranceFromTheArticles)
{
    const QList<LayoutColumn> fields = {{"Codice", 1, 6},
                                        {"Descrizione", 7, 10},
                                        {"ValoreMisura", 17, 4, 'N', true},
                                        {"PrezzoAcquisto", 21, 6, 'A', true}};
    struct Case {
        const char* name;
        double tolerance;   // of both fields
        const char* measure;   // read against 10
        const char* price;   // read against 12,20
        bool differs;
    };
    const Case cases[] = {
        {"equal to the tolerance is no difference", 1, "11", "12,20", false},
        {"beyond it is one", 1, "12", "12,20", true},
        {"with no tolerance any difference counts", 0, "10,5", "12,20", true},
        {"with no tolerance equal values are none", 0, "10", "12,20", false},
        {"amounts compare exactly", 0.1, "10", "12,30", false},
        {"a cent beyond the tolerance counts", 0.1, "10", "12,31", true},
    };
    for (const Case& c : cases) {
        const qint64 article = addArticle(QStringLiteral("A%1").arg(&c - cases), "MELE", "12.20");
        auto a = select("Articoli", QStringLiteral("OID = %1").arg(article));
        a->MoveFirst();
        a->SetValue("ValoreMisura", 10.0);
        a->Update();
        QList<LayoutColumn> f = fields;
        f[2].tolerance = f[3].tolerance = c.tolerance;
        read({line(QStringLiteral("A%1").arg(&c - cases), "MELE", c.measure, c.price)}, f);
        answer({"Yes"});
        EXPECT_TRUE(import->checkRow(0, false, true)) << c.name;
        EXPECT_EQ(prompts().size(), c.differs ? 1 : 0) << c.name;
    }
}

TEST_F(Importing, TheOperatorKeepsTheArticlesValuesOrTakesTheReadOnesInTheEditor)
{
    const qint64 article = addArticle("A00001", "MELE      ", "1.20");
    read({line("A00001", "MELE", "5", "1,45")});
    const QString question = "< A00001 - MELE >\r\rPrezzoAcquisto:  CORRENTE  < 1,2 >   -  NUOVO  < 1,45 >\r\r"
                             "Mantenere i valori correnti ?";

    answer({"Yes"});
    EXPECT_TRUE(import->checkRow(0, false, true));
    EXPECT_EQ(prompts(), QStringList({question}));
    EXPECT_EQ(m_ui->log().first(), "MSGBOX: " + question) << "the title is the box's own";
    EXPECT_EQ(purchasePrice(article), eur("1.20"));

    // No: the pass stops at the row; with Automatico ticked the editor opens on the article
    // holding the read price, and saving it stores that price.
    m_ui->clearLog();
    answer({"No"});
    import->checkPass(false);
    EXPECT_FALSE(import->checkDone());
    EXPECT_EQ(prompts(), QStringList({question}));
    EXPECT_EQ(purchasePrice(article), eur("1.20"));

    m_ui->clearLog();
    op.saveEdits = true;
    answer({"No"});
    import->checkPass(true);
    EXPECT_EQ(op.log, QStringList({"edit A00001 at "}));
    EXPECT_TRUE(import->checkDone());
    EXPECT_EQ(prompts(), QStringList({question, kCompleted}));
    EXPECT_EQ(purchasePrice(article), eur("1.45"));
}

TEST_F(Importing, ARowWithoutTheReadValueIsNoDifference)
{
    addArticle("A00001", "MELE", "1.20");
    read({line("A00001", "MELE", "5", "").left(20)});   // the price lies past the line's end
    EXPECT_TRUE(import->checkRow(0, false, true));
    EXPECT_EQ(prompts(), QStringList());
}

// ---- the passes -------------------------------------------------------------------------------------

TEST_F(Importing, ACheckPassGoesRoundFromTheRowAfterTheLastStart)
{
    addArticle("A00001", "ARANCE", "1.00");
    addArticle("A00002", "BANANE", "1.00");
    addArticle("A00003", "CILIEGIE", "1.00");
    read({line("A00003", "CILIEGIE", "1", "1,00"), line("A00001", "ARANCE", "1", "1,00"),
          line("A00002", "BANANE", "1", "1,00")});
    ASSERT_EQ(code(0), "A00001") << "shown by description";

    import->setCurrentRow(1);
    import->checkPass(false);
    EXPECT_EQ(rows.shown, QList<qsizetype>({1, 2, 0, 1}));
    EXPECT_TRUE(import->checkDone());
    EXPECT_EQ(prompts(), QStringList({kCompleted}));

    rows.shown.clear();
    import->checkPass(false);
    EXPECT_EQ(rows.shown, QList<qsizetype>({2, 0, 1, 2})) << "one row on from where the last pass started";
    EXPECT_FALSE(rows.busy) << "the pointer is back to normal";
}

TEST_F(Importing, ACheckPassStopsAtARowWithoutArticle)
{
    addArticle("A00001", "ARANCE", "1.00");
    read({line("A00001", "ARANCE", "1", "1,00"), line("Z00009", "BANANE", "1", "1,00")});
    import->checkPass(false);
    EXPECT_FALSE(import->checkDone());
    EXPECT_EQ(import->currentRow(), 1);
    EXPECT_EQ(prompts(), QStringList({unknownCode("Z00009")}));

    // With Automatico ticked the pass offers a new article and goes on once it is saved.
    m_ui->clearLog();
    op.saveNewArticles = true;
    import->setCurrentRow(0);
    import->checkPass(true);
    EXPECT_EQ(op.log, QStringList({"new"}));
    EXPECT_TRUE(import->checkDone());
    EXPECT_FALSE(import->rowNeedsArticle(1));
}

TEST_F(Importing, TheImportPassAsksForTheCheckFirst)
{
    addArticle("A00001", "ARANCE", "1.00");
    read({line("A00001", "ARANCE", "1", "1,00"), line("Z00009", "BANANE", "1", "1,00")});

    // Yes: the check runs and stops at the unknown code, so nothing is imported.
    answer({"Yes"});
    EXPECT_FALSE(import->importPass(false));
    EXPECT_EQ(prompts(), QStringList({kNotChecked, unknownCode("Z00009")}));

    // No: no check at all; the unknown code is left for the supply to skip.
    m_ui->clearLog();
    answer({"No", "No"});
    EXPECT_FALSE(import->importPass(false)) << "No to going on imports nothing";
    EXPECT_EQ(prompts(), QStringList({kNotChecked, kGoOn}));
    EXPECT_FALSE(import->imported());
    confirm();
    EXPECT_TRUE(import->imported());
}

TEST_F(Importing, WithAutomaticoAnEditorCancelledStopsTheImport)
{
    read({line("Z00008", "ARANCE", "1", "1,00"), line("Z00009", "BANANE", "1", "1,00")});
    answer({"No"});
    EXPECT_FALSE(import->importPass(true));
    EXPECT_EQ(op.log, QStringList({"new"}));
    EXPECT_FALSE(import->imported());
}

// A reading that failed half-way keeps its records for a look, but a part of a delivery is
// never loaded into the supply.
TEST_F(Importing, APartlyReadFileIsNeverImported)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.10");
    read({line("A00001", "MELE", "10", "1,10")});
    ASSERT_FALSE(import->read(writeFile({line("A00001", "MELE", "10", "1,10"), line("A00001", "MELE", "1x", "1,10")})));
    EXPECT_EQ(import->table()->rowCount(), 1);
    m_ui->clearLog();
    answer({"No", "Yes"});
    EXPECT_FALSE(import->importPass(false));
    EXPECT_EQ(prompts(), QStringList());
    openSupply();
    EXPECT_FALSE(import->addRowsToSupply(*supply, *supplyRows));
    EXPECT_EQ(stockOf(apples), 0);
}

// ---- articles from rows -------------------------------------------------------------------------

TEST_F(Importing, ANewArticleStartsFromTheRowsValues)
{
    const QList<LayoutColumn> fields = {{"Codice", 1, 6},
                                        {"Descrizione", 7, 10},
                                        {"PrezzoVendita", 17, 4, 'A'},
                                        {"PrezzoAcquisto", 21, 6, 'A'},
                                        {"ValoreScorta", 27, 3, 'N'},
                                        {"UnitaMisura", 0, 8},
                                        {"Iva", 30, 2}};
    const QString filter = QStringLiteral("Function FilterRow(Flds)\r\n  Flds(\"UnitaMisura\") = \"KgPzz\"\r\n"
                                          "  FilterRow = True\r\nEnd Function\r\n");
    read({line("Z00009", "NOCI", "0", "3,50") + "  722", line("Z00010", "NOCCIOLE", "", "")}, fields, filter);

    op.saveNewArticles = true;
    EXPECT_TRUE(import->insertArticle(rowOf("Z00009")));
    EXPECT_EQ(op.lastPresets,
              QVariantList(
                  {"Descrizione", "NOCI", "Codice", "Z00009", "PrezzoAcquisto", money("3.5"), "UnitaMisura", "KgPzz"}))
        << "a zero sale price, the stock and fields that are no article's are left out";
    auto made = select("Articoli", "Codice = 'Z00009'");
    ASSERT_EQ(made->RowCount(), 1);
    made->MoveFirst();
    EXPECT_EQ(made->GetCurrencyValue("PrezzoAcquisto"), eur("3.50"));
    EXPECT_EQ(made->GetReference("UnitaMisura")->GetValue("Codice"), "KgPzz");
    EXPECT_FALSE(import->rowNeedsArticle(rowOf("Z00009")));
}

// The editor of an article made from a read row does not offer the stock, the average
// purchase price and the two dates; every other editor does, also after a failed one.
TEST_F(Importing, TheNewArticlesEditorLeavesOutTheStockThePriceAverageAndTheDates)
{
    TableObject& articoli = *db().Tables().Item("Articoli");
    const QStringList four = DeliveryImport::hiddenArticleFields();
    EXPECT_EQ(four, QStringList({"ValoreScorta", "PrezzoAcquistoMedio", "DataInserimento", "DataModifica"}));
    auto seeLevels = [&] {
        QList<int> levels;
        for (const QString& f : four) levels << articoli.GetField(f)->O2;
        return levels;
    };
    const QList<int> declared = seeLevels();
    EXPECT_FALSE(declared.contains(FieldDefinition::kSwitchedOff));

    read({line("Z00009", "NOCI", "1", "3,50"), line("Z00010", "NOCCIOLE", "1", "2,00")});
    op.saveNewArticles = true;
    EXPECT_TRUE(import->insertArticle(rowOf("Z00009")));
    for (const QString& f : four) EXPECT_TRUE(op.lastHidden.contains(f)) << f.toStdString();
    EXPECT_EQ(seeLevels(), declared) << "switched on again afterwards";

    // The editor saves an article whose code another one has: refused, and the fields are back.
    addArticle("Z00010", "NOCCIOLE", "1.00");
    EXPECT_FALSE(import->insertArticle(rowOf("Z00010")));
    for (const QString& f : four) EXPECT_TRUE(op.lastHidden.contains(f)) << f.toStdString();
    EXPECT_EQ(seeLevels(), declared) << "switched on again after the error";
}

TEST_F(Importing, AnArticleThatCannotBeMadeIsReported)
{
    addArticle("Z00009", "NOCI", "1.00");
    read({line("Z00009", "NOCI", "1", "1,00")});
    // The editor saves a second article with the same code in the same deposit: refused.
    op.saveNewArticles = true;
    EXPECT_FALSE(import->insertArticle(0));
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_TRUE(prompts().first().startsWith("Impossibile aggiungere l'articolo automaticamente\r\r"));
    EXPECT_FALSE(rows.busy);
}

TEST_F(Importing, ARowIsAssociatedWithAnArticleFoundByDescription)
{
    addArticle("A00001", "MELE GOLDEN", "1.00");
    addArticle("A00002", "MELE ROSSE", "1.00");
    read({line("", "MELE", "1", "1,00")});
    EXPECT_TRUE(import->rowNeedsArticle(0));

    op.search = ImportOperator::TextSearch {"MELE", false};
    op.pickCode = "A00002";
    EXPECT_TRUE(import->associate(0));
    EXPECT_EQ(op.log, QStringList({"search Descrizione [MELE] inside", "pick 2"}));
    EXPECT_EQ(code(0), "A00002");
    EXPECT_FALSE(import->rowNeedsArticle(0));

    op.log.clear();
    op.search = ImportOperator::TextSearch {"ROSS", true};
    op.pickCode = "A00002";
    EXPECT_TRUE(import->associate(0));
    EXPECT_EQ(op.log, QStringList({"search Descrizione [MELE] inside", "pick 1"})) << "inside the text";

    op.search.reset();
    EXPECT_FALSE(import->associate(0)) << "a cancelled search changes nothing";
}

TEST_F(Importing, EditingOpensTheRowsArticleAtItsSalePrice)
{
    addArticle("A00001", "MELE", "1.00");
    read({line("A00001", "MELE", "1", "1,00")});
    EXPECT_FALSE(import->editArticle(0));
    EXPECT_EQ(op.log, QStringList({"edit A00001 at PrezzoVendita"}));
}

TEST_F(Importing, TheMaintenanceCommandCopiesTheAdditionalCodes)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00");
    const QList<LayoutColumn> fields = {{"Codice", 1, 6}, {"Descrizione", 7, 10}, {"CodiceAggiuntivo", 17, 6}};
    read({"A00001MELE      F123  ", "Z00009NOCI      F999  "}, fields);
    const QString warning
        = "ATTENZIONE! - Questa operazione imposta i codici aggiuntivi e deve essere guidata da supporto "
          "tecnico...\r\rContinuare ?\r\r";
    answer({"No"});
    import->setAdditionalCodes();
    EXPECT_EQ(prompts(), QStringList({warning}));
    EXPECT_EQ(select("Articoli", QString("OID = %1").arg(apples))->GetValue("CodiceAggiuntivo"), "");

    m_ui->clearLog();
    answer({"Yes"});
    import->setAdditionalCodes();
    EXPECT_EQ(prompts(), QStringList({warning, "Aggiornamento completato."}));
    EXPECT_EQ(select("Articoli", QString("OID = %1").arg(apples))->GetValue("CodiceAggiuntivo"), "F123");
}

// ---- the supply --------------------------------------------------------------------------------------

TEST_F(Importing, EveryRowOfAKnownArticleBecomesASupplyRow)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00", QString(), 4);
    const qint64 pears = addArticle("A00002", "PERE", "2.00");
    read({line("A00001", "MELE", "10", "1,10"), line("Z00009", "NOCI", "3", "5,00"),
          line("A00002", "PERE", "2,5", "2,00"), line("A00001", "MELE", "5", "1,10")});
    openSupply();
    confirm();
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));

    supplyRows->Requery();
    EXPECT_EQ(supplyRows->RowCount(), 3) << "two rows of one article stay two; the unknown code is left out";
    EXPECT_EQ(stockOf(apples), 19);
    EXPECT_EQ(stockOf(pears), 2.5);
    EXPECT_EQ(purchasePrice(apples), eur("1.10"));
    EXPECT_EQ(supply->GetCurrencyValue("ImportoAcquisto"), eur("21.50"));
    EXPECT_EQ(prompts(), QStringList({kNotChecked, kGoOn}));
}

// A delivery laid out by byte, as the supplier's program writes it: the description padded
// to its ten bytes, whatever its letters take in the file's encoding.
QByteArray laidOut(const QStringList& descriptions, bool utf8)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        const QByteArray text = utf8 ? descriptions[i].toUtf8() : descriptions[i].toLatin1();
        bytes += QByteArray("A0000") + char('1' + i) + text.leftJustified(10, ' ') + "   2  1,10\r\n";
    }
    return bytes;
}

// The same delivery, however it is written, loads the same quantities: each line is cut at
// its bytes, then read in the one encoding of its file, and no byte-order mark moves a field.
TEST_F(Importing, TheSameDeliveryInAnyEncodingLoadsTheSameQuantities)
{
    const QStringList descriptions
        = {QStringLiteral("CAFF\u00C8"), QStringLiteral("T\u00C8 VERDE"), QStringLiteral("ZUCCHERO")};
    const qint64 coffee = addArticle("A00001", descriptions[0], "1.00");
    const qint64 tea = addArticle("A00002", descriptions[1], "1.00");
    const qint64 sugar = addArticle("A00003", descriptions[2], "1.00");
    const QByteArray utf8 = laidOut(descriptions, true);
    const QByteArray mark = "\xEF\xBB\xBF";
    const qsizetype second = utf8.indexOf("A00002");
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"Latin-1", laidOut(descriptions, false)},
        {"UTF-8 with accents", utf8},
        {"UTF-8 with a mark at its start", mark + utf8},
        {"UTF-8 with a mark mid-file", QByteArray(utf8).insert(second, mark)},
        {"Latin-1 with a mark mid-file", QByteArray(laidOut(descriptions, false)).insert(second, mark)},
    };
    addLayout(kSupplyLine);
    openSupply();
    double loaded = 0;
    for (const Case& c : cases) {
        DeliveryImport delivery(db(), op);
        auto list = layouts();
        delivery.setLayouts(*list);
        delivery.chooseLayout(delivery.layoutEntries().size() - 1);
        ASSERT_TRUE(delivery.read(writeBytes(c.bytes))) << c.name << ": " << prompts().join(" / ").toStdString();
        const DeliveryTable& t = *delivery.table();
        ASSERT_EQ(t.rowCount(), 3) << c.name;
        QStringList read;
        for (qsizetype r = 0; r < t.rowCount(); ++r)
            read << t.value(r, "Codice").toString() + "|" + t.value(r, "Descrizione").toString() + "|"
                    + QString::number(t.value(r, "ValoreCarico").toDouble());
        EXPECT_EQ(read,
                  QStringList({"A00001|" + descriptions[0] + "|2", "A00002|" + descriptions[1] + "|2",
                               "A00003|" + descriptions[2] + "|2"}))
            << c.name;

        answer({"No", "Yes"});
        ASSERT_TRUE(delivery.importPass(false)) << c.name;
        ASSERT_TRUE(delivery.addRowsToSupply(*supply, *supplyRows)) << c.name;
        loaded += 2;
        for (qint64 article : {coffee, tea, sugar}) EXPECT_EQ(stockOf(article), loaded) << c.name;
        m_ui->clearLog();
    }
}

// The stock takes each row's quantity, the purchase price the last row's, and the average
// purchase price weighs each row's price by its quantity: (10 x 1,10 + 5 x 1,40) / 15.
// An article the new-article editor made for one row is the article of the rows after it.
TEST_F(Importing, RowsOfOneArticleAddUpItsStockAndAveragePrice)
{
    const qint64 figs = addArticle("A00003", "FICHI", "1.00");
    read({line("A00003", "FICHI", "10", "1,10"), line("Z00009", "NOCI", "3", "5,00"),
          line("A00003", "FICHI", "5", "1,40"), line("Z00009", "NOCI", "2", "6,00")});
    openSupply();
    op.saveNewArticles = true;
    confirm(true);
    EXPECT_EQ(op.log, QStringList({"new"})) << "the second row of the new code finds the article made for the first";
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));

    auto nuts = select("Articoli", "Codice = 'Z00009'");
    ASSERT_EQ(nuts->RowCount(), 1);
    nuts->MoveFirst();
    struct Expected {
        const char* name;
        TableData& article;
        double stock;
        const char* price;
        const char* average;
    };
    auto fig = select("Articoli", QString("OID = %1").arg(figs));
    fig->MoveFirst();
    for (const Expected& e :
         {Expected {"figs", *fig, 15, "1.40", "1.20"}, Expected {"nuts", *nuts, 5, "6.00", "5.40"}}) {
        e.article.Refresh();
        EXPECT_EQ(e.article.GetFieldValue("ValoreScorta").toDouble(), e.stock) << e.name;
        EXPECT_EQ(e.article.GetCurrencyValue("PrezzoAcquisto"), eur(e.price)) << e.name;
        EXPECT_EQ(e.article.GetCurrencyValue("PrezzoAcquistoMedio"), eur(e.average)) << e.name;
    }
}

// The passes settle each row's article; one that went before the rows are added is looked
// up again by the row's code: a new article of that code takes the row, none leaves it out.
TEST_F(Importing, ARowWhoseArticleWentSinceTheCheckIsLoadedByItsCode)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00");
    const qint64 pears = addArticle("A00002", "PERE", "2.00");
    const qint64 figs = addArticle("A00003", "FICHI", "3.00");
    read({line("A00001", "MELE", "10", "1,10"), line("A00002", "PERE", "4", "2,00"),
          line("A00003", "FICHI", "2", "3,00")});
    openSupply();
    confirm();
    for (qint64 gone : {pears, figs}) {
        auto article = select("Articoli", QString("OID = %1").arg(gone));
        article->MoveFirst();
        article->DeleteRow();
    }
    const qint64 newPears = addArticle("A00002", "PERE", "2.00");
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));

    supplyRows->Requery();
    EXPECT_EQ(supplyRows->RowCount(), 2) << "the figs' row is left out";
    EXPECT_EQ(stockOf(apples), 10);
    EXPECT_EQ(stockOf(newPears), 4);
    EXPECT_EQ(supply->GetCurrencyValue("ImportoAcquisto"), eur("19.00"));
}

TEST_F(Importing, NothingIsAddedWithoutTheOperatorsConfirmation)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00");
    read({line("A00001", "MELE", "10", "1,10")});
    openSupply();
    EXPECT_FALSE(import->addRowsToSupply(*supply, *supplyRows));
    EXPECT_EQ(stockOf(apples), 0);
}

// A row that fails half-way leaves the supply as it was: the rows added before it are taken
// out again, so importing the corrected file loads every row once.
TEST_F(Importing, AFailureAddsNothingSoAReimportNeverDuplicates)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00");
    const qint64 pears = addArticle("A00002", "PERE", "2.00");
    read({line("A00001", "MELE", "10", "1,10"), line("A00002", "PERE", "4", "").left(20)});   // no price for the pears
    openSupply();
    confirm();
    EXPECT_FALSE(import->addRowsToSupply(*supply, *supplyRows));
    ASSERT_EQ(prompts().size(), 3);
    EXPECT_TRUE(prompts().last().contains("Articolo <A00002>: quantità o prezzo di acquisto mancante nella fornitura"));
    EXPECT_TRUE(prompts().last().endsWith("Visualizzare dettagli ?"));
    EXPECT_EQ(stockOf(apples), 0);
    EXPECT_EQ(purchasePrice(apples), eur("1.00"));
    EXPECT_EQ(supply->GetCurrencyValue("ImportoAcquisto"), Currency());
    supplyRows->Requery();
    EXPECT_EQ(supplyRows->RowCount(), 0);

    auto again = std::make_unique<DeliveryImport>(db(), op, &rows);
    import = std::move(again);
    read({line("A00001", "MELE", "10", "1,10"), line("A00002", "PERE", "4", "2,00")});
    confirm();
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));
    supplyRows->Requery();
    EXPECT_EQ(supplyRows->RowCount(), 2);
    EXPECT_EQ(stockOf(apples), 10);
    EXPECT_EQ(stockOf(pears), 4);
}

TEST_F(Importing, ConfirmingTheSupplyLinksEachArticleToTheSupplierOnce)
{
    const qint64 apples = addArticle("A00001", "MELE", "1.00");
    const qint64 pears = addArticle("A00002", "PERE", "2.00");
    auto linked = select("Articoli", QString("OID = %1").arg(pears));
    linked->MoveFirst();
    linked->AddToList("Fornitori", supplier);
    read({line("A00001", "MELE", "10", "1,10"), line("A00002", "PERE", "4", "2,00"),
          line("A00001", "MELE", "1", "1,10")});
    openSupply();
    confirm();
    ASSERT_TRUE(import->addRowsToSupply(*supply, *supplyRows));
    supplyRows->Requery();

    EXPECT_EQ(LinkArticlesToSupplier(*supply, *supplyRows), 1) << "the pears had the supplier already";
    EXPECT_EQ(LinkArticlesToSupplier(*supply, *supplyRows), 0) << "a second confirmation adds no link";
    for (qint64 article : {apples, pears}) {
        auto a = select("Articoli", QString("OID = %1").arg(article));
        a->MoveFirst();
        auto suppliers = a->GetReference("Fornitori");
        EXPECT_EQ(suppliers->RowCount(), 1) << article;
    }
    EXPECT_EQ(stockOf(apples), 11);
}

}   // namespace
