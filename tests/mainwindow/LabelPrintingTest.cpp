// Labels from the main window's views: one per delivered piece of a supply's articles, one
// per selected article; and the reprint of a sale's receipt record. Every drawing goes to a
// recording, so the labels printed are the texts the test script drew.
#include "core/configuration/Configuration.h"
#include "mainwindow/CounterDevices.h"
#include "RegisterShop.h"
#include "mainwindow/LabelPrinting.h"
#include "base/PrintProgress.h"
#include "printing/RecordingTarget.h"
#include "TestEnvironment.h"

#include <QImage>

namespace {

// Draws the article's code; refuses (returns False) the article coded as the test says.
QString labelScript(const QString& refused = QString())
{
    return QStringLiteral("Function PrintLabel(flds, prn)\r\n"
                          "  If flds(\"Codice\") = \"%1\" Then\r\n"
                          "    PrintLabel = False\r\n"
                          "  Else\r\n"
                          "    prn.TxtOut 0, 0, \"LABEL \" & flds(\"Codice\")\r\n"
                          "    PrintLabel = True\r\n"
                          "  End If\r\n"
                          "End Function\r\n")
        .arg(refused);
}

QString ticketScript(bool maskPrints)
{
    return QStringLiteral(
               "Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)\r\n"
               "  prn.TxtOut 0, 0, \"SALE \" & flds(\"ImportoVendita\") & \" RECEIPT \" & fldsRivevuta(\"Numero\")\r\n"
               "  PrintTicketMask = %1\r\n"
               "End Function\r\n"
               "Function PrintTicketRow(flds, prn, nRow)\r\n"
               "  prn.TxtOut 0, 0, \"ROW \" & flds(\"Codice\")\r\n"
               "  PrintTicketRow = True\r\n"
               "End Function\r\n"
               "Function PrintTicketInfo(sInfo, prn, nRow)\r\n"
               "  PrintTicketInfo = True\r\n"
               "End Function\r\n")
        .arg(maskPrints ? QStringLiteral("True") : QStringLiteral("False"));
}

class StoppingProgress final : public PrintProgress {
public:
    explicit StoppingProgress(int stopAt) : m_stopAt(stopAt) { }
    void show(const QString&) override { }
    void start(int32_t) override { }
    bool step() override { return ++m_steps != m_stopAt; }
    void end() override { }
    void close() override { }

private:
    int m_stopAt;
    int m_steps = 0;
};

const QString kTerminated = QStringLiteral("Operazione terminata");

}   // namespace

class Labels : public RegisterShop {
protected:
    Labels()
    {
        settings().LabelPrinterParam.VBScript = labelScript();
        for (const char* code : {"A", "B", "C", "D"}) article(QString::fromLatin1(code));
    }

    LabelPrinting printing()
    {
        return LabelPrinting(
            [this] {
                targets.push_back(std::make_shared<RecordingTarget>());
                return targets.back();
            },
            [this] { return std::make_unique<StoppingProgress>(stopAt); });
    }
    // The labels drawn, on every target.
    QStringList printed() const
    {
        QStringList out;
        for (const auto& t : targets) out << t->texts();
        return out;
    }
    std::unique_ptr<TableData> supplies(qint64 oid)
    {
        return select(QStringLiteral("Forniture"), QStringLiteral("OID = %1").arg(oid));
    }
    qint64 articleOid(const char* code)
    {
        return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(QLatin1String(code)))->GetOID();
    }

    std::vector<std::shared_ptr<RecordingTarget>> targets;
    int stopAt = 0;
};

TEST_F(Labels, ASupplyPrintsOneLabelPerDeliveredPiece)
{
    const auto question = [](int n) {
        return QStringLiteral("La fornitura selezionata contiene %1 articoli\r\r"
                              "Confermi la stampa delle relative etichette ?")
            .arg(n);
    };
    struct Case {
        const char* name;
        QList<std::pair<QString, double>> rows;
        QString answer;
        QString refused;   // the label script refuses this article
        int stopAt;   // the operator stops at this label
        QStringList labels;
        bool terminated;
    };
    const Case cases[] = {
        {"2, 0 and 1 pieces", {{"A", 2}, {"B", 0}, {"C", 1}}, "Yes", "", 0, {"LABEL A", "LABEL A", "LABEL C"}, true},
        {"halves go to the even piece",
         {{"A", 2.5}, {"B", 3.5}},
         "Yes",
         "",
         0,
         {"LABEL A", "LABEL A", "LABEL B", "LABEL B", "LABEL B", "LABEL B"},
         true},
        {"a return prints nothing", {{"A", -2}, {"B", 1}}, "Yes", "", 0, {"LABEL B"}, true},
        {"not confirmed", {{"A", 2}}, "No", "", 0, {}, false},
        {"the script refuses the last article",
         {{"A", 2}, {"B", 0}, {"C", 1}},
         "Yes",
         "C",
         0,
         {"LABEL A", "LABEL A"},
         true},
        {"the script refuses the first article", {{"A", 2}, {"B", 0}, {"C", 1}}, "Yes", "A", 0, {}, false},
        {"stopped at the last article", {{"A", 2}, {"C", 1}}, "Yes", "", 3, {"LABEL A", "LABEL A"}, true},
        {"stopped at the first article", {{"A", 2}, {"C", 1}}, "Yes", "", 2, {"LABEL A"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        targets.clear();
        prompts->clearLog();
        prompts->addAnswer(c.answer);
        settings().LabelPrinterParam.VBScript = labelScript(c.refused);
        stopAt = c.stopAt;
        auto shown = supplies(supply(c.rows));

        printing().mnuPrintLabel_Click(shown.get(), {});
        EXPECT_EQ(printed(), c.labels);
        QStringList expected {question(int(c.rows.size()))};
        if (c.terminated) expected << kTerminated;
        EXPECT_EQ(boxes(), expected);
        if (!c.labels.isEmpty()) {
            EXPECT_TRUE(targets.front()->ended());
        }
    }
}

TEST_F(Labels, ASupplyWithoutArticlesSaysSo)
{
    auto shown = supplies(supply({}));
    printing().mnuPrintLabel_Click(shown.get(), {});
    EXPECT_EQ(boxes(), QStringList {"Nessun Articolo per la Fornitura selezionata."});
    EXPECT_TRUE(targets.empty());
}

TEST_F(Labels, TheArticlesViewPrintsTheSelectionInItsOrder)
{
    struct Case {
        const char* name;
        QList<qint64> selection;
        QStringList labels;
    };
    const qint64 deleted = article(QStringLiteral("X"));
    select(QStringLiteral("Articoli"), QStringLiteral("OID = %1").arg(deleted))->DeleteRow();
    const Case cases[] = {
        {"nothing selected: the current row", {}, {"LABEL B"}},
        {"three rows", {articleOid("C"), articleOid("A"), articleOid("D")}, {"LABEL C", "LABEL A", "LABEL D"}},
        {"a row deleted since", {articleOid("C"), deleted, articleOid("A")}, {"LABEL C", "LABEL A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        targets.clear();
        prompts->clearLog();
        auto shown = select(QStringLiteral("Articoli"));
        ASSERT_TRUE(shown->MoveToOID(articleOid("B")));

        printing().mnuPrintLabel_Click(shown.get(), c.selection);
        EXPECT_EQ(printed(), c.labels);
        EXPECT_EQ(log(), QStringList {"BEEP: "});
        EXPECT_EQ(shown->GetOID(), articleOid("B"));
    }
}

TEST_F(Labels, OtherViewsPrintNothingAndAViewWithoutRowsAsksForOne)
{
    select(QStringLiteral("Clienti"))->AddRow({"Codice", "C1", "Descrizione", "Rossi"});
    auto customers = select(QStringLiteral("Clienti"));
    printing().mnuPrintLabel_Click(customers.get(), {});
    printing().mnuPrintLabel_Click(nullptr, {});
    EXPECT_TRUE(log().isEmpty());

    auto none = select(QStringLiteral("Articoli"), QStringLiteral("OID = 0"));
    printing().mnuPrintLabel_Click(none.get(), {});
    EXPECT_EQ(boxes(), QStringList {"Devi selezionare l'elemento per il quale stampare le etichette"});
    EXPECT_TRUE(targets.empty());
}

// The article search calls the label command through the counter services: the window
// hands over its view and its grid's selection.
TEST_F(Labels, TheArticleSearchPrintsThroughTheCounterServices)
{
    auto shown = select(QStringLiteral("Articoli"));
    CounterDevices devices(
        [&] {
            return CounterDevices::Selection {shown.get(), {articleOid("D")}};
        },
        ReceiptService(), printing());
    setCounterServices(&devices);
    counterServices()->mnuPrintLabel_Click();
    EXPECT_EQ(printed(), QStringList {"LABEL D"});
}

class Reprint : public Labels {
protected:
    Reprint()
    {
        settings().TicketPrinterParam.VBScript = ticketScript(true);
        m_sale = sell({{"A", 1, "2.00"}});
        m_receipt = receiptOf(m_sale);
    }
    std::unique_ptr<TableData> view(const char* table, qint64 oid)
    {
        return select(QString::fromLatin1(table), QStringLiteral("OID = %1").arg(oid));
    }
    // The sale of 2.00 and its receipt record, the first of the year.
    static QString mask() { return QStringLiteral("SALE 2 RECEIPT 1"); }

    qint64 m_sale = 0;
    qint64 m_receipt = 0;
};

TEST_F(Reprint, PrintsTheReceiptRecordOfTheSaleAfterAsking)
{
    const QString confirm = QStringLiteral("Confermi la ristampa della ricevuta ?");
    struct Case {
        const char* name;
        const char* table;
        QString answer;
        QStringList log;
        QStringList printed;
    };
    const Case cases[] = {
        {"from the sale", "Vendite", "Yes", {"BEEP: ", "MSGBOX: " + confirm}, {"ROW A", mask()}},
        {"from the receipt record", "Ricevute", "Yes", {"BEEP: ", "MSGBOX: " + confirm}, {"ROW A", mask()}},
        {"not confirmed", "Vendite", "No", {"BEEP: ", "MSGBOX: " + confirm}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        targets.clear();
        prompts->clearLog();
        prompts->addAnswer(c.answer);
        auto shown = view(c.table, QLatin1String(c.table) == u"Vendite" ? m_sale : m_receipt);
        printing().mnuFiscalPrint_Ricevuta_Click(shown.get());
        EXPECT_EQ(log(), c.log);
        EXPECT_EQ(printed(), c.printed);
        if (!c.printed.isEmpty()) {
            EXPECT_TRUE(targets.front()->ended());
        }
    }
}

TEST_F(Reprint, ASaleWithoutReceiptRecordOrAnotherViewPrintsNothing)
{
    auto other = view("Vendite", sell({{"B", 1, "1.00"}}));
    printing().mnuFiscalPrint_Ricevuta_Click(other.get());
    EXPECT_EQ(boxes(), QStringList {"La vendita selezionata non è associata a nessuna ricevuta"});

    prompts->clearLog();
    auto articles = select(QStringLiteral("Articoli"));
    printing().mnuFiscalPrint_Ricevuta_Click(articles.get());
    printing().mnuFiscalPrint_Ricevuta_Click(nullptr);
    EXPECT_TRUE(log().isEmpty());
    EXPECT_TRUE(targets.empty());
}

// A failed print is offered again, each time on a print object of its own.
TEST_F(Reprint, AFailedPrintIsOfferedAgainWhole)
{
    settings().TicketPrinterParam.VBScript = ticketScript(false);
    for (const char* answer : {"Yes", "Yes", "No"}) prompts->addAnswer(QString::fromLatin1(answer));
    auto shown = view("Vendite", m_sale);
    printing().mnuFiscalPrint_Ricevuta_Click(shown.get());
    const QString retry = QStringLiteral("La ricevuta non e' stata stampata correttamente...\r\rVuoi riprovare ?");
    EXPECT_EQ(boxes(), (QStringList {"Confermi la ristampa della ricevuta ?", retry, retry}));
    ASSERT_EQ(targets.size(), 2u);
    // Each failed print still ends its document: what was drawn before the failure prints.
    for (const auto& t : targets) {
        EXPECT_TRUE(t->ended());
        EXPECT_FALSE(t->aborted());
    }
}

// The reprint leaves out the background picture that the receipt at the sale carries.
TEST_F(Reprint, LeavesOutTheBackgroundPicture)
{
    const QString picture = testenv::newDir(QStringLiteral("picture")) + QStringLiteral("/back.png");
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture));
    settings().TicketPrinterParam.TicketBackImageFile = picture;
    prompts->addAnswer(QStringLiteral("Yes"));
    auto shown = view("Vendite", m_sale);
    printing().mnuFiscalPrint_Ricevuta_Click(shown.get());
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_TRUE(targets.front()->ended());
    EXPECT_FALSE(targets.front()->trace().join(u'\n').contains(QLatin1String("image")));
}
