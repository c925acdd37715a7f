// The section tree an operator gets: which nodes, in which order, under which parent, with
// which key, caption and picture, for the two access levels with and without supply payments.
#include "operations/SectionTree.h"
#include "base/AppError.h"
#include "data/DB.h"
#include "ViewShop.h"
#include "objdb/TableObject.h"
#include <QTemporaryDir>

namespace {

class SectionTreeTest : public ViewShop { };

struct Expected {
    int index;
    int parent;
    const char* key;
    const char* text;
    const char* image;
};

// The whole tree of an administrator with supply payments in use. Table captions are those
// the tables declare.
const Expected kFullTree[] = {
    {1, 0, "", "Operazioni effettuate", "Operation"},
    {2, 1, "Vendite", "Vendite", "Sale"},
    {3, 1, "Forniture", "Forniture", "OperationElement"},
    {4, 0, "", "Anagrafica", "Anagrafic"},
    {5, 4, "Clienti", "Clienti", "AnagraficCliFor"},
    {6, 4, "Fornitori", "Fornitori", "AnagraficCliFor"},
    {7, 4, "Articoli", "Articoli", "Article"},
    {8, 0, "", "Liste / Stampe", "Report"},
    {9, 8, "Articoli Sottoscorta", "Articoli Sottoscorta", "ReportElement"},
    {10, 8, "Articoli Fornitore", "Articoli Fornitore", "ReportElement"},
    {11, 8, "Articoli Venduti", "Articoli Venduti", "ReportElement"},
    {12, 8, "Inventario Magazzino", "Inventario Magazzino", "ReportElement"},
    {13, 8, "Lista Forniture", "Lista Forniture", "ReportElement"},
    {14, 13, "Forniture pagate", "Forniture pagate", "ReportElement"},
    {15, 13, "Forniture non pagate", "Forniture non pagate", "ReportElement"},
    {16, 8, "Imponibile Magazzino", "Imponibile Magazzino", "ReportElement"},
    {17, 16, "Ricalcolo Imponibile Magazzino", "Ricalcolo Imponibile Magazzino", "ReportElement"},
    {18, 8, "Articoli Vari", "Articoli Vari", "ReportElement"},
    {19, 8, "Lista Buoni", "Lista Buoni", "ReportElement"},
    {20, 0, "", "Archivio", "Archive"},
    {21, 20, "", "Movimenti", "Archive"},
    {22, 21, "AcquistoFornitori", "Acquisto dai Fornitori", "Archive"},
    {23, 21, "PagamentiCliente", "Pagamenti del Cliente", "Archive"},
    {24, 21, "Ricevute", "Ricevute", "Archive"},
    {25, 20, "", "Carico / Scarico Magazzino", "Archive"},
    {26, 25, "CaricoArticoli", "Carico Articoli", "Archive"},
    {27, 25, "ScaricoArticoli", "Scarico articoli", "Archive"},
    {28, 20, "", "Configurazione", "Archive"},
    {29, 28, "Reparti", "Reparti", "Archive"},
    {30, 28, "Depositi", "Depositi / Magazzini", "Archive"},
    {31, 28, "TipiDocumento", "Tipi Documento", "Archive"},
    {32, 28, "TipiPagamento", "Tipi Pagamento", "Archive"},
    {33, 28, "ConfigurazioneSconti", "ConfigurazioneSconti", "Archive"},
    {34, 28, "CodiciIva", "Codici Iva", "Archive"},
    {35, 28, "UnitaMisura", "Tipi Articolo", "Archive"},
    {36, 28, "CodiciBarre", "Codici a Barre", "Archive"},
    {37, 20, "Operatori", "Operatori", "Archive"},
    {38, 37, nullptr, "Connessioni", "Archive"},   // keyed by the database's connections table
    {39, 37, "Promemoria", "Promemoria", "Archive"},
    {40, 20, "", "Specifiche Importazione", "Archive"},
    {41, 40, "TracciatiFornitura", "Tracciato Fornitura", "Archive"},
    {42, 40, "CampiTracciato", "Campi Tracciato", "Archive"},
    {43, 40, "SelezioniTracciato", "Selezioni Tracciato", "Archive"},
};

TEST_F(SectionTreeTest, AdministratorWithPaymentsGetsEveryNodeInOrder)
{
    db().SetAccessLevel(1);
    const auto nodes = SectionTreeNodes(db(), SectionTreeOptions {true});
    ASSERT_EQ(nodes.size(), std::size(kFullTree));
    for (size_t i = 0; i < nodes.size(); ++i) {
        const Expected& e = kFullTree[i];
        SCOPED_TRACE(e.text);
        EXPECT_EQ(nodes[i].index, e.index);
        EXPECT_EQ(nodes[i].parent, e.parent);
        EXPECT_EQ(nodes[i].key, e.key ? QString::fromUtf8(e.key) : db().ConnectionsName());
        EXPECT_EQ(nodes[i].text, QString::fromUtf8(e.text));
        EXPECT_EQ(nodes[i].image, QString::fromUtf8(e.image));
        // Only the first section opens, and nothing else does.
        EXPECT_EQ(nodes[i].expanded, e.index == 1);
    }
    EXPECT_FALSE(db().ConnectionsName().isEmpty());
}

TEST_F(SectionTreeTest, NodesFollowAccessLevelAndSupplyPayments)
{
    struct Case {
        int level;
        bool payments;
        size_t count;
    };
    for (const Case c :
         {Case {0, true, 17}, Case {0, false, 14}, Case {1, true, 43}, Case {1, false, 40}, Case {2, true, 17}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << (c.payments ? " with" : " without") << " payments");
        db().SetAccessLevel(c.level);
        const auto nodes = SectionTreeNodes(db(), SectionTreeOptions {c.payments});
        EXPECT_EQ(nodes.size(), c.count);
        QStringList keys;
        for (const auto& n : nodes) keys << n.key;
        EXPECT_EQ(keys.contains("Inventario Magazzino"), c.payments);
        EXPECT_EQ(keys.contains("Forniture pagate"), c.payments);
        EXPECT_EQ(keys.contains("Forniture non pagate"), c.payments);
        EXPECT_EQ(keys.contains("Imponibile Magazzino"), c.level == 1);
        EXPECT_EQ(keys.contains("Ricalcolo Imponibile Magazzino"), c.level == 1);
        EXPECT_EQ(keys.contains("Operatori"), c.level == 1);
        // Indexes run 1..n in order and every parent comes before its children.
        for (size_t i = 0; i < nodes.size(); ++i) {
            EXPECT_EQ(nodes[i].index, int(i) + 1);
            EXPECT_LT(nodes[i].parent, nodes[i].index);
        }
    }
}

TEST_F(SectionTreeTest, WithoutPaymentsLaterNodesMoveThreePlacesUp)
{
    db().SetAccessLevel(1);
    const auto with = SectionTreeNodes(db(), SectionTreeOptions {true});
    const auto without = SectionTreeNodes(db(), SectionTreeOptions {false});
    EXPECT_EQ(without[11].key, "Lista Forniture");
    EXPECT_EQ(without[11].index, 12);
    EXPECT_EQ(without[12].key, "Imponibile Magazzino");   // "Lista Forniture" has no children left
    for (size_t i = 15; i < with.size(); ++i) {
        SCOPED_TRACE(with[i].text.toStdString());
        EXPECT_EQ(without[i - 3].text, with[i].text);
        EXPECT_EQ(without[i - 3].index, with[i].index - 3);
    }
}

TEST_F(SectionTreeTest, SelectionIsRestoredByPositionNotByKey)
{
    struct Case {
        int previous;
        int count;
        int expected;
        const char* why;
    };
    for (const Case c :
         {Case {0, 43, 1, "first build selects the first section"},
          Case {37, 17, 0, "Operatori gone: nothing selected"},
          Case {16, 17, 16, "Imponibile Magazzino gone: whatever stands at 16"},
          Case {17, 17, 17, "the last position still exists"}, Case {0, 0, 0, "an empty tree selects nothing"}}) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(SelectionAfterRebuild(c.previous, c.count), c.expected);
    }
    // The node at 16 after the change of operator is "Articoli Vari", not the report before.
    db().SetAccessLevel(0);
    const auto nodes = SectionTreeNodes(db(), SectionTreeOptions {true});
    EXPECT_EQ(nodes[size_t(SelectionAfterRebuild(16, int(nodes.size()))) - 1].key, "Articoli Vari");
}

TEST_F(SectionTreeTest, UnknownTableStopsTheBuildKeepingTheNodesAddedSoFar)
{
    // A file holding only some of the tables, opened as stored.
    QTemporaryDir dir;
    auto engine = std::make_shared<DBEngine>();
    const QString path = dir.path() + "/part.mdb";
    engine->CreateDatabase(3, path);
    engine->OpenDatabase(3, path);
    {
        auto full = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "full", nullptr);
        full->AttachEngine(engine);
        full->Close();
    }
    auto part = LibraryGlobal::OpenExistingDatabase(engine, nullptr, "Vendite,Clienti");
    std::vector<SectionNode> added;
    EXPECT_THROW(BuildSectionTree(*part, SectionTreeOptions {}, [&](const SectionNode& n) { added.push_back(n); }),
                 AppError);
    ASSERT_EQ(added.size(), 2u);   // the section and "Vendite"; "Forniture" is not in the file
    EXPECT_EQ(added[1].key, "Vendite");
    part->Close();
    engine->Close();
}

}   // namespace
