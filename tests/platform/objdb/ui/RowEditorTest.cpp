// The row editor over the program's tables: what each access level sees and may change, the
// table rules' refusals, references, lines with their parent, and the answer lines.
#include "base/AppError.h"
#include "objdb/ui/FieldEditors.h"
#include "objdb/ui/LibraryApplication.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/ui/RowEditor.h"
#include "objdb/ui/RowEditorParts.h"
#include "objdb/TableObject.h"
#include "WidgetShop.h"
#include <gtest/gtest.h>

namespace {

struct EditorFixture : ::testing::Test {
    std::unique_ptr<WidgetShop> shop = std::make_unique<WidgetShop>(1);

    std::unique_ptr<TableData> article(qint64 oid)
    {
        auto rows = shop->select("Articoli", QStringLiteral("OID = %1").arg(oid));
        rows->MoveFirst();
        return rows;
    }
    void answer(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) shop->dialogs().addAnswer(QString::fromUtf8(l));
    }
    bool logged(const QString& line) const { return shop->dialogs().log().contains(line); }
};

}   // namespace

TEST_F(EditorFixture, EachLevelSeesAndChangesWhatItMay)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    const qint64 sale = shop->newSale();
    shop->addLine(sale, a, 1);
    struct Case {
        const char* table;
        int level;
        const char* field;
        bool shown;
        bool editable;
    } const cases[] = {
        {"Articoli", 0, "PrezzoAcquisto", false, false},
        {"Articoli", 0, "PrezzoAcquistoMedio", false, false},
        {"Articoli", 0, "PrezzoAcquistoListino", false, false},
        {"Articoli", 0, "PrezzoVendita", true, true},
        {"Articoli", 0, "DataInserimento", true, false},
        {"Articoli", 0, "Reparto", true, true},
        {"Articoli", 0, "Fornitori", true, false},   // a list: a grid, not a box
        {"Articoli", 1, "PrezzoAcquisto", true, true},
        {"Articoli", 1, "PrezzoAcquistoMedio", true, true},
        {"Articoli", 1, "DataModifica", true, false},
        {"Operatori", 0, "Password", false, false},
        {"Operatori", 0, "Nome", true, false},
        {"Operatori", 0, "LivelloAccesso", true, false},
        {"Operatori", 1, "Nome", true, true},
        {"Operatori", 1, "LivelloAccesso", true, true},
        {"Operatori", 1, "Password", false, false},   // kept from every operator: changed with its own window
        {"Vendite", 0, "Punti", false, false},
        {"Vendite", 0, "Completato", true, false},
        {"Vendite", 0, "Note", true, true},
        {"Vendite", 1, "Punti", true, true},
        {"Vendite", 1, "Completato", true, true},
        {"Vendite", 1, "ImportoBuoni", true, false},
        {"Vendite", 1, "Cliente", true, true},
        {"Vendite", 1, "Articoli", true, false},
    };
    for (const Case& c : cases) {
        shop->db().SetAccessLevel(c.level);
        auto rows = shop->select(c.table);
        rows->MoveFirst();
        RowEditor editor(*rows, {});
        EXPECT_EQ(editor.Shows(c.field), c.shown) << c.table << " level " << c.level << " " << c.field;
        EXPECT_EQ(editor.CanEdit(c.field), c.editable) << c.table << " level " << c.level << " " << c.field;
    }
}

TEST_F(EditorFixture, AtLevelOneEveryFieldItMaySeeAndEveryReferenceIsThere)
{
    shop->addArticle("A1", "Pane");
    shop->newSale();
    for (const char* table : {"Articoli", "Vendite", "Operatori"}) {
        auto rows = shop->select(table);
        rows->MoveFirst();
        RowEditor editor(*rows, {});
        TableObject* t = shop->db().Tables().Item(table);
        for (const FieldDefinition& f : t->Fields())
            EXPECT_EQ(editor.Shows(f.Name), f.O2 <= 1) << table << "." << qPrintable(f.Name);
        for (const ReferenceDefinition& r : t->References())
            EXPECT_TRUE(editor.Shows(r.Name)) << table << "." << qPrintable(r.Name);
    }
}

TEST_F(EditorFixture, ARuleRefusalIsShownTheWindowStaysAndTheStoredRowIsUnchanged)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    auto rows = article(a);
    RowEditor editor(*rows, {});
    EXPECT_TRUE(editor.SetFieldText("ValoreMisura", "0"));
    EXPECT_FALSE(editor.Save());
    EXPECT_EQ(editor.Message(), "Il campo <ValoreMisura> deve essere maggiore di 0");
    EXPECT_TRUE(logged("MSGBOX: Il campo <ValoreMisura> deve essere maggiore di 0"));
    EXPECT_TRUE(shop->sink().refusals.isEmpty());   // shown once, by the window
    EXPECT_EQ(editor.Result(), std::nullopt);
    EXPECT_EQ(shop->stored("Articoli", a, "ValoreMisura").toDouble(), 1.0);

    // Put right, the same window stores it.
    EXPECT_TRUE(editor.SetFieldText("ValoreMisura", "2,5"));
    EXPECT_TRUE(editor.Save());
    EXPECT_EQ(editor.Result(), std::optional<qint64>(a));
    EXPECT_EQ(shop->stored("Articoli", a, "ValoreMisura").toDouble(), 2.5);
}

TEST_F(EditorFixture, AnswerLinesFillTheEditorAndARefusedLineTakesTheNext)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    auto rows = article(a);
    answer({"ValoreMisura=0", "OK", "ValoreMisura=3\tDescrizione=Pane integrale\tPrezzoVendita=1,20"});
    const auto key = LibraryApplication::Instance().OpenView(*rows)->EditRow();
    EXPECT_EQ(key, std::optional<qint64>(a));
    EXPECT_EQ(shop->stored("Articoli", a, "ValoreMisura").toDouble(), 3.0);
    EXPECT_EQ(shop->stored("Articoli", a, "Descrizione").toString(), "Pane integrale");
    EXPECT_EQ(shop->stored("Articoli", a, "PrezzoVendita").toDouble(), 1.2);
    int inputs = 0;
    for (const QString& l : shop->dialogs().log()) inputs += l.startsWith("INPUT: [RowEditor]") ? 1 : 0;
    EXPECT_EQ(inputs, 2);
}

TEST_F(EditorFixture, WrongValuesAreRefusedAndCancellingChangesNothing)
{
    const qint64 a = shop->addArticle("A1", "Pane", "2.50");
    auto rows = article(a);
    struct Case {
        const char* line;
        const char* message;
    } const cases[] = {
        {"PrezzoVendita=dieci",
         "Il valore \"dieci\" del campo <PrezzoVendita> non è un numero: scrivere i numeri come 1.234,56"},
        {"UnitaMisura=NESSUNA", "Nessun elemento di <UnitaMisura> con Codice = NESSUNA"},
        {"DataInserimento=01/01/2000", "Il campo <DataInserimento> non è modificabile"},
        {"Inventato=1", "Campo inesistente: Inventato"},
    };
    for (const Case& c : cases) {
        shop->dialogs().clearLog();
        // The wrong line is refused (its message takes "OK"), then the window is left as Esc.
        answer({c.line, "OK", "<cancel>"});
        EXPECT_EQ(RowEditor::EditRow(*rows, {}), std::nullopt) << c.line;
        EXPECT_TRUE(logged(QStringLiteral("MSGBOX: ") + c.message)) << c.line;
        EXPECT_FALSE(shop->dialogs().hasAnswers()) << c.line;
    }
    EXPECT_EQ(shop->stored("Articoli", a, "PrezzoVendita").toDouble(), 2.5);
    // A change accepted by the rules and then cancelled is dropped too.
    answer({"Descrizione=Mai\tValoreMisura=0", "OK", "<cancel>"});
    EXPECT_EQ(RowEditor::EditRow(*rows, {}), std::nullopt);
    EXPECT_EQ(shop->stored("Articoli", a, "Descrizione").toString(), "Pane");
    EXPECT_FALSE(rows->IsChanged());
    EXPECT_EQ(rows->GetValue("Descrizione").toString(), "Pane");
}

// Numbers are read only as the operator writes them (Italian here, where the system speaks
// none): the point groups thousands, so a number typed with a decimal point is refused, never
// stored ten or a thousand times too large; what is refused leaves the stored row as it was.
TEST_F(EditorFixture, NumbersAreReadOnlyInTheOperatorsForm)
{
    const auto refusal = [](const char* typed, const char* field) {
        return QStringLiteral("Il valore \"%1\" del campo <%2> non è un numero: scrivere i numeri come 1.234,56")
            .arg(QString::fromUtf8(typed), QString::fromUtf8(field));
    };
    struct Case {
        const char* field;
        const char* typed;
        double stored;
        bool refused;
    };
    // The article starts at 2,50 and a measure of 1.
    const Case cases[] = {
        {"PrezzoVendita", "3,20", 3.2, false},    {"PrezzoVendita", "1.000,25", 1000.25, false},
        {"PrezzoVendita", "3.20", 2.5, true},     {"PrezzoVendita", "0.5", 2.5, true},
        {"PrezzoVendita", "1,000.25", 2.5, true}, {"ValoreMisura", "0,750", 0.75, false},
        {"ValoreMisura", "0.750", 1.0, true},     {"ValoreMisura", "1.5", 1.0, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.typed);
        const qint64 a = shop->addArticle(QStringLiteral("N%1").arg(++n), "Pane");
        auto rows = article(a);
        RowEditor editor(*rows, {});
        EXPECT_EQ(editor.SetFieldText(c.field, QString::fromUtf8(c.typed)), !c.refused);
        if (c.refused) {
            EXPECT_EQ(editor.Message(), refusal(c.typed, c.field));
        }
        EXPECT_TRUE(editor.Save());
        EXPECT_EQ(shop->stored("Articoli", a, c.field).toDouble(), c.stored);
    }
}

TEST_F(EditorFixture, AReferenceIsTypedByItsKeyAndShowsItsDisplayFields)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    auto rows = article(a);
    RowEditor editor(*rows, {});
    EXPECT_TRUE(editor.SetFieldText("Reparto", "03"));
    ASSERT_TRUE(editor.Save());
    auto dept = article(a)->GetReference("Reparto");
    EXPECT_EQ(dept->GetText("Descrizione"), "CARNE");
    RowEditor again(*article(a), {});
    ASSERT_NE(again.Reference("Reparto"), nullptr);
    EXPECT_EQ(again.Reference("Reparto")->typedKey(), "03");
}

TEST_F(EditorFixture, FieldsSwitchedOffForOneUseAreNotOfferedAndComeBackAfterwards)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    TableObject& articoli = *article(a)->GetTable();
    {
        const SwitchedOffFields off(articoli, {"ValoreScorta", "DataModifica"});
        RowEditor editor(*article(a), {});
        EXPECT_FALSE(editor.Shows("ValoreScorta"));
        EXPECT_FALSE(editor.Shows("DataModifica"));
        EXPECT_TRUE(editor.Shows("PrezzoVendita"));
    }
    EXPECT_TRUE(RowEditor(*article(a), {}).Shows("ValoreScorta"));
    EXPECT_TRUE(RowEditor(*article(a), {}).Shows("DataModifica"));

    // A field the table lacks: refused, and none of the others stays switched off.
    EXPECT_THROW(SwitchedOffFields(articoli, {"ValoreScorta", "Mancante"}), AppError);
    EXPECT_TRUE(RowEditor(*article(a), {}).Shows("ValoreScorta"));
}

// A view that shows another value under a field's name (a past stock) cannot be the way to
// change the field: the editor shows the value and leaves it alone.
TEST_F(EditorFixture, AFieldTheDataSetComputesInItsPlaceIsShownNotChanged)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    auto rows = article(a)->GetTable()->Select(QStringLiteral("OID = %1").arg(a), QString(),
                                               "*, (ValoreScorta + 5) AS ValoreScorta");
    rows->MoveFirst();
    RowEditor editor(*rows, {});
    EXPECT_TRUE(editor.Shows("ValoreScorta"));
    EXPECT_FALSE(editor.CanEdit("ValoreScorta"));
    EXPECT_TRUE(editor.CanEdit("PrezzoVendita"));
    EXPECT_TRUE(RowEditor(*article(a), {}).CanEdit("ValoreScorta")) << "over the table itself it is the stock";
}

TEST_F(EditorFixture, NewRowTakesPresetsAndCancellingLeavesNoRow)
{
    auto rows = shop->select("Articoli");
    const qint64 before = rows->RowCount();
    answer({"PrezzoVendita=3"});
    const auto key = RowEditor::NewRow(*rows, {"@InvertParent@", true, "Codice", "N1", "Descrizione", "Nuovo"});
    ASSERT_TRUE(key);
    EXPECT_EQ(shop->stored("Articoli", *key, "Codice").toString(), "N1");
    EXPECT_EQ(shop->stored("Articoli", *key, "Descrizione").toString(), "Nuovo");
    // The new-row rule's defaults are there.
    EXPECT_EQ(shop->stored("Articoli", *key, "ValoreMisura").toDouble(), 1.0);

    answer({"<cancel>"});
    EXPECT_EQ(RowEditor::NewRow(*rows, {"Codice", "N2"}), std::nullopt);
    EXPECT_EQ(rows->RowCount(), before + 1);
    EXPECT_TRUE(rows->HasNoCurrentRow());
}

// A caller that holds the row hands its OID; an import hands the code its file reads.
TEST_F(EditorFixture, ANewRowsReferencePresetIsTheRowsOidOrTheTextOfItsKey)
{
    auto depts = shop->select("Reparti", "Codice = '03'");
    depts->MoveFirst();
    const qint64 carne = depts->GetOID();
    auto rows = shop->select("Articoli");
    int n = 0;
    for (const QVariant& preset : {QVariant(carne), QVariant(QStringLiteral("03"))}) {
        SCOPED_TRACE(preset.toString().toStdString());
        answer({""});
        const auto key = RowEditor::NewRow(*rows, {"Codice", QStringLiteral("R%1").arg(++n), "Reparto", preset});
        ASSERT_TRUE(key);
        EXPECT_EQ(article(*key)->GetReferenceOID("Reparto"), carne);
    }
}

TEST_F(EditorFixture, ALineDefinedWithANewArticleMakesBoth)
{
    const qint64 sale = shop->newSale();
    auto sales = shop->select("Vendite", QStringLiteral("OID = %1").arg(sale));
    sales->MoveFirst();
    auto lines = sales->GetReference("Articoli");
    const qint64 articlesBefore = shop->select("Articoli")->RowCount();

    answer({"<cancel>"});
    EXPECT_EQ(RowEditor::NewRow(*lines, {"@InvertParent@", false, "@DisableParentIdentify@", "True"}), std::nullopt);
    EXPECT_EQ(shop->select("Articoli")->RowCount(), articlesBefore);

    answer({"Codice=NEW1\tDescrizione=Definito a mano\tPrezzoVendita=4\tValoreScarico=2"});
    const auto key = RowEditor::NewRow(*lines, {"@InvertParent@", false, "@DisableParentIdentify@", "True"});
    ASSERT_TRUE(key);
    auto line = shop->select("ScaricoArticoli", QStringLiteral("OID = %1").arg(*key));
    line->MoveFirst();
    EXPECT_EQ(line->GetText("Codice"), "NEW1");
    EXPECT_EQ(line->GetText("Descrizione"), "Definito a mano");
    EXPECT_EQ(line->GetFieldValue("ValoreScarico").toDouble(), 2.0);
    EXPECT_EQ(shop->select("Articoli")->RowCount(), articlesBefore + 1);
}

TEST_F(EditorFixture, ALineForAGivenArticleHidesTheArticleAndPutsItsOwnFieldsFirst)
{
    const qint64 a = shop->addArticle("Z9", "Sfuso", "0");
    const qint64 sale = shop->newSale();
    auto sales = shop->select("Vendite", QStringLiteral("OID = %1").arg(sale));
    sales->MoveFirst();
    auto lines = sales->GetReference("Articoli");
    answer({"ImportoScarico=7,5"});
    const auto key = RowEditor::NewRow(
        *lines, {"@InvertParent@", true, "ValoreScarico", 1.0, "objParent", a, "Articoli", QString()});
    ASSERT_TRUE(key);
    auto line = shop->select("ScaricoArticoli", QStringLiteral("OID = %1").arg(*key));
    line->MoveFirst();
    EXPECT_EQ(line->GetParentKey().toLongLong(), a);
    EXPECT_EQ(line->GetCurrencyValue("ImportoScarico"), *Currency::parse("7.5", QLocale::c()));

    auto again = sales->GetReference("Articoli");
    again->MoveFirst();
    QVariantList fields;
    RowEditor editor(*again, RowEditor::OptionsFrom({"@InvertParent@", true, "Articoli", QString()}, *again, &fields));
    EXPECT_FALSE(editor.Shows("Codice"));
    EXPECT_TRUE(editor.Shows("ImportoScarico"));
    RowEditor withParent(*again, {});
    EXPECT_TRUE(withParent.Shows("Codice"));   // the article, by its key
    EXPECT_FALSE(withParent.CanEdit("Descrizione"));   // the article's own fields are only shown
    EXPECT_LT(withParent.ShownNames().indexOf("Codice"), withParent.ShownNames().indexOf("ImportoScarico"));
}

TEST_F(EditorFixture, ASaleShowsItsLinesInAGrid)
{
    const qint64 a = shop->addArticle("A1", "Pane");
    const qint64 b = shop->addArticle("B1", "Latte");
    const qint64 sale = shop->newSale();
    shop->addLine(sale, a, 1);
    shop->addLine(sale, b, 2);
    auto sales = shop->select("Vendite", QStringLiteral("OID = %1").arg(sale));
    sales->MoveFirst();
    RowEditor editor(*sales, {});
    ListBox* lines = editor.List("Articoli");
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(lines->Grid()->Model()->rowCount(), 2);
    EXPECT_EQ(lines->Grid()->ShownFields(), QStringList({"Descrizione", "ValoreScarico", "ImportoScarico"}));
    EXPECT_EQ(lines->Grid()->Model()->TextAt(1, 0), "Latte");
}
