// The pick list, the field-sequence dialog, the one-field editor and the filter editor, as
// an answer file and as a person drive them.
#include "base/AppError.h"
#include "objdb/ui/DataFilter.h"
#include "objdb/ui/EditFieldDialog.h"
#include "objdb/ui/FieldSequenceDialog.h"
#include "objdb/ui/FilterEditor.h"
#include "objdb/ui/LibraryApplication.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/ui/PickRowDialog.h"
#include "base/SettingsStore.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include "objdb/ui/ViewWindow.h"
#include "WidgetShop.h"
#include <QApplication>
#include <QFile>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

struct DialogFixture : ::testing::Test {
    std::unique_ptr<WidgetShop> shop = std::make_unique<WidgetShop>(1);
    std::shared_ptr<MemorySettingsStore> settings = std::make_shared<MemorySettingsStore>();
    std::vector<qint64> articles;

    DialogFixture() { setSettingsStore(settings); }
    ~DialogFixture() override { setSettingsStore(nullptr); }
    void addArticles()
    {
        articles.push_back(shop->addArticle("P01", "Pane", "1.20"));
        articles.push_back(shop->addArticle("L01", "Latte", "0.90"));
        articles.push_back(shop->addArticle("B01", "Burro", "2.10"));
    }
    void answer(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) shop->dialogs().addAnswer(QString::fromUtf8(l));
    }
};

}   // namespace

TEST_F(DialogFixture, PickListReturnsTheChosenKeyAndMovesTheDataSetThere)
{
    addArticles();
    auto rows = shop->select("Articoli", QString(), "Descrizione");
    struct Case {
        const char* line;
        int picked;   // index into articles
    } const cases[] = {{"L01", 1}, {"b01", 2}, {"#%1", 0}};
    for (const Case& c : cases) {
        const QString line = QString::fromLatin1(c.line).arg(articles[0]);
        shop->dialogs().addAnswer(line);
        const auto key = LibraryApplication::Instance().OpenView(*rows)->Show(true, "Descrizione");
        EXPECT_EQ(key, std::optional<qint64>(articles[size_t(c.picked)])) << c.line;
        EXPECT_EQ(rows->GetOID(), articles[size_t(c.picked)]) << c.line;
    }
    EXPECT_TRUE(shop->dialogs().log().last().startsWith("INPUT: [PickRowDialog]"));
}

TEST_F(DialogFixture, PickListCancelledReturnsNothingAndLeavesTheCurrentRow)
{
    addArticles();
    auto rows = shop->select("Articoli");
    ASSERT_TRUE(rows->MoveToOID(articles[1]));
    answer({"NONE", "OK", "<cancel>"});
    EXPECT_EQ(PickRowDialog::Pick(*rows, "Descrizione"), std::nullopt);
    EXPECT_TRUE(shop->dialogs().log().contains("MSGBOX: Nessun elemento corrisponde a \"NONE\""));
    EXPECT_EQ(rows->GetOID(), articles[1]);
}

TEST_F(DialogFixture, PickListOfATableWithACondition)
{
    addArticles();
    answer({"P01", "OK", "L01"});
    // Pane is not among the rows offered: refused, then Latte is taken.
    const auto key = LibraryApplication::Instance().PickRow(shop->db(), "Articoli", "PrezzoVendita < 1");
    EXPECT_EQ(key, std::optional<qint64>(articles[1]));
}

TEST_F(DialogFixture, PickListByHandSearchesAndTakesTheGridsRow)
{
    addArticles();
    auto rows = shop->select("Articoli", QString(), "Descrizione");
    PickRowDialog dialog(*rows, "Descrizione,Codice", QString());
    EXPECT_EQ(dialog.Grid()->ShownFields(), QStringList({"Descrizione", "Codice"}));
    dialog.Grid()->SetBookmark(articles[2]);
    QApplication::processEvents();
    EXPECT_TRUE(dialog.PickCurrent());
    EXPECT_EQ(dialog.Picked(), std::optional<qint64>(articles[2]));
    EXPECT_EQ(rows->GetOID(), articles[2]);
}

TEST_F(DialogFixture, FieldSequenceReturnsTheChosenFieldsOrNothing)
{
    const std::vector<FieldSequenceDialog::Field> fields {
        {"Codice", "Codice"}, {"Descrizione", "Descrizione"}, {"PrezzoVendita", "Prezzo"}};
    struct Case {
        const char* line;
        bool order;
        std::optional<QString> expected;
    } const cases[] = {
        {"Descrizione, Codice", false, QStringLiteral("Descrizione,Codice")},
        {"prezzo,codice", false, QStringLiteral("PrezzoVendita,Codice")},   // captions, any case
        {"", false, QStringLiteral("")},   // every field
        {"PrezzoVendita DESC, Codice", true, QStringLiteral("PrezzoVendita DESC, Codice")},
        {"<cancel>", false, std::nullopt},
    };
    for (const Case& c : cases) {
        shop->dialogs().addAnswer(QString::fromUtf8(c.line));
        EXPECT_EQ(FieldSequenceDialog::Choose(fields, "Codice", "Sequenza di Visualizzazione Campi", c.order),
                  c.expected)
            << c.line;
    }
    // An unknown field is refused and the window waits for the next line.
    answer({"Codice,Inventato", "OK", "Codice"});
    EXPECT_EQ(FieldSequenceDialog::Choose(fields, "", "Sequenza"), std::optional<QString>("Codice"));
    EXPECT_TRUE(shop->dialogs().log().contains("MSGBOX: Campo inesistente: Inventato"));
}

TEST_F(DialogFixture, TheGridsFieldSequenceDialogChangesTheLayoutOnlyWhenConfirmed)
{
    addArticles();
    auto rows = shop->select("Articoli");
    ObjDataGrid grid;
    grid.SetDataSet(rows.get());
    const QStringList every = grid.ShownFields();
    answer({"<cancel>"});
    EXPECT_FALSE(grid.FieldSequenceDialog());
    EXPECT_EQ(grid.ShownFields(), every);
    EXPECT_FALSE(grid.Layout()->IsChanged());
    answer({"Descrizione,Codice"});
    EXPECT_TRUE(grid.FieldSequenceDialog());
    EXPECT_EQ(grid.ShownFields(), QStringList({"Descrizione", "Codice"}));
    EXPECT_EQ(grid.Layout()->FieldSequence(), "Descrizione,Codice");
    EXPECT_TRUE(shop->dialogs().log().last().contains("Sequenza di Visualizzazione Campi"));
}

TEST_F(DialogFixture, OneFieldIsEditedAndARefusalKeepsTheWindow)
{
    addArticles();
    auto rows = shop->select("Articoli", QStringLiteral("OID = %1").arg(articles[0]));
    rows->MoveFirst();
    auto view = LibraryApplication::Instance().OpenView(*rows);
    answer({"0", "OK", "4"});
    EXPECT_TRUE(view->EditField("ValoreMisura"));
    EXPECT_TRUE(shop->dialogs().log().contains("MSGBOX: Il campo <ValoreMisura> deve essere maggiore di 0"));
    EXPECT_EQ(shop->stored("Articoli", articles[0], "ValoreMisura").toDouble(), 4.0);
    answer({"<cancel>"});
    EXPECT_FALSE(view->EditField("ValoreMisura"));
    // Not for this operator's eyes: not offered at all.
    shop->db().SetAccessLevel(0);
    EXPECT_FALSE(view->EditField("PrezzoAcquisto"));
    EXPECT_TRUE(shop->dialogs().log().last().startsWith("MSGBOX: Campo non disponibile"));
}

TEST_F(DialogFixture, FilterConditionsAreWrittenAsTheirFieldsWant)
{
    DataFilter f(*shop->db().Tables().Item("Articoli"));
    struct Case {
        FilterCondition c;
        const char* where;
    } const cases[] = {
        {{"Descrizione", "Like", "Pa*"}, "Articoli.Descrizione Like 'Pa*'"},
        {{"Descrizione", "=", "l'olio"}, "Articoli.Descrizione = 'l''olio'"},
        {{"PrezzoVendita", ">=", "1,5"}, "Articoli.PrezzoVendita >= 1.5"},
        {{"PrezzoVendita", "<", "1.000,5"}, "Articoli.PrezzoVendita < 1000.5"},
        {{"ValoreMisura", "=", "0,750"}, "Articoli.ValoreMisura = 0.75"},
        {{"ValoreScorta", "<", "10"}, "Articoli.ValoreScorta < 10"},
        {{"DataInserimento", ">", "28/02/2007"}, "Articoli.DataInserimento > #02/28/2007#"},
        {{"CodiceAggiuntivo", "=", ""}, "Articoli.CodiceAggiuntivo Is Null"},
    };
    for (const Case& c : cases) EXPECT_EQ(f.ConditionText(c.c), c.where) << c.where;
    for (const FilterCondition& bad :
         {FilterCondition {"PrezzoVendita", "=", "tanto"}, FilterCondition {"DataInserimento", "=", "ieri"},
          FilterCondition {"Inventato", "=", "1"}}) {
        f.SetConditions({bad});
        EXPECT_THROW(f.GetWhere(), AppError) << bad.field.toStdString();
    }
    // A number in the other form is refused with the field's name, not read with its point
    // taken for a group separator.
    for (const FilterCondition& other :
         {FilterCondition {"PrezzoVendita", ">", "3.20"}, FilterCondition {"ValoreMisura", "=", "0.750"}}) {
        f.SetConditions({other});
        try {
            (void)f.GetWhere();
            ADD_FAILURE() << other.value.toStdString();
        } catch (const AppError& e) {
            EXPECT_EQ(e.description,
                      QStringLiteral("Il valore \"%1\" del campo <%2> non è un numero: scrivere i numeri come 1.234,56")
                          .arg(other.value, other.field));
        }
    }
}

TEST_F(DialogFixture, AFilterSelectsTheRowsAndIsStoredByName)
{
    addArticles();
    auto rows = shop->select("Articoli");
    auto filter = LibraryApplication::Instance().NewDataFilter(*rows);
    filter->AddCondition("PrezzoVendita", ">", "1");
    filter->AddCondition("Descrizione", "Like", "B*");
    rows->SetFilter(filter->GetWhere(0, true));
    rows->MoveFirst();
    ASSERT_EQ(rows->RowCount(), 1);
    EXPECT_EQ(rows->GetOID(), articles[2]);

    filter->Save("Cari con B");
    filter->Save("Per mese/anno");
    EXPECT_EQ(filter->GetSavedNames(), "Cari con B|Per mese/anno");
    DataFilter other(*rows->GetTable());
    EXPECT_FALSE(other.LoadSaved("Nessuno"));
    ASSERT_TRUE(other.LoadSaved("Cari con B"));
    EXPECT_EQ(other.Conditions(), filter->Conditions());
    EXPECT_TRUE(other.HasCondition("descrizione"));
    other.RemoveCondition("Descrizione");
    EXPECT_EQ(other.GetWhere(), "Articoli.PrezzoVendita > 1");
    EXPECT_TRUE(other.DeleteSaved("Cari con B"));
    EXPECT_EQ(filter->GetSavedNames(), "Per mese/anno");
    // Another table keeps its own.
    EXPECT_TRUE(DataFilter(*shop->db().Tables().Item("Vendite")).GetSavedNames().isEmpty());
}

// A filter's name is what the operator typed: whatever it holds, the filter is found under
// it once the settings file is read again, and the filters saved beside it stay too.
TEST_F(DialogFixture, AStoredFilterKeepsAnyNameTheOperatorTypesAcrossARead)
{
    const QString ini = testenv::newDir(QStringLiteral("filters")) + QStringLiteral("/filtri.ini");
    TableObject& table = *shop->db().Tables().Item("Articoli");
    const QStringList names {"Prezzo=1", "[Pane]",       "; costosi",  "#1",
                             " spazio ", "a%2Fb / c\\d", "due\nrighe", QString(QChar(0x3000)) + "ideografico",
                             "Zeta"};
    {
        IniSettingsStore store(ini);
        DataFilter f(table, &store);
        for (int i = 0; i < names.size(); ++i) {
            f.SetConditions({FilterCondition {"Codice", "=", QString::number(i)}});
            f.Save(names[i]);
        }
    }
    // Under another name, so that the file itself is read and not what this process wrote.
    const QString copy = ini + QStringLiteral(".copia");
    ASSERT_TRUE(QFile::copy(ini, copy));
    IniSettingsStore reread(copy);
    DataFilter f(table, &reread);
    QStringList expected = names;
    expected.sort(Qt::CaseInsensitive);
    QStringList saved = f.GetSavedNames().split(u'|');
    saved.sort(Qt::CaseInsensitive);
    EXPECT_EQ(saved, expected);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        ASSERT_TRUE(f.LoadSaved(names[i]));
        EXPECT_EQ(f.GetWhere(), "Articoli.Codice = '" + QString::number(i) + "'");
    }
}

TEST_F(DialogFixture, FilterEditorTakesConditionsFromAnAnswerLine)
{
    addArticles();
    auto rows = shop->select("Articoli");
    auto filter = LibraryApplication::Instance().NewDataFilter(*rows);
    filter->AddCondition("Codice", "=", "X");
    answer({"PrezzoVendita>=2,1\tDescrizione~Bu*\t@save=Burri"});
    ASSERT_TRUE(LibraryApplication::Instance().EditFilter(*filter, "FILTRO COMPLESSO"));
    EXPECT_EQ(filter->GetWhere(), "(Articoli.PrezzoVendita >= 2.1) AND (Articoli.Descrizione Like 'Bu*')");
    EXPECT_EQ(filter->GetSavedNames(), "Burri");

    // A wrong value keeps the window open; cancelling then leaves the filter as it was.
    answer({"PrezzoVendita=molto", "OK", "<cancel>"});
    EXPECT_FALSE(LibraryApplication::Instance().EditFilter(*filter, "FILTRO COMPLESSO"));
    EXPECT_TRUE(shop->dialogs().log().contains(
        "MSGBOX: Il valore \"molto\" del campo <PrezzoVendita> non è un numero: scrivere i numeri come 1.234,56"));
    EXPECT_EQ(filter->Conditions().size(), 2u);

    answer({"@none"});
    ASSERT_TRUE(LibraryApplication::Instance().EditFilter(*filter, "FILTRO COMPLESSO"));
    EXPECT_TRUE(filter->GetWhere().isEmpty());
    answer({"@load=Burri"});
    ASSERT_TRUE(LibraryApplication::Instance().EditFilter(*filter, "FILTRO COMPLESSO"));
    EXPECT_EQ(filter->Conditions().size(), 2u);
}

TEST_F(DialogFixture, ExportWritesOnlyWhatTheOperatorMaySee)
{
    addArticles();
    shop->db().SetAccessLevel(0);
    auto rows = shop->select("Articoli");
    const QString folder = testenv::newDir("export");
    LibraryApplication::Instance().SetExportFolder(folder);
    shop->dialogs().addAnswer(folder + "/TableData.htm");
    ASSERT_TRUE(LibraryApplication::Instance().OpenView(*rows)->Export());
    QFile f(folder + "/TableData.htm");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.contains("<td>Burro</td>"));
    EXPECT_TRUE(html.contains("<th>PrezzoVendita</th>"));
    EXPECT_FALSE(html.contains("PrezzoAcquisto"));
    shop->dialogs().addAnswer("<cancel>");
    EXPECT_FALSE(LibraryApplication::Instance().OpenView(*rows)->Export());
}

TEST_F(DialogFixture, TheRowsWindowOutlivesTheDataSetItWasOpenedOn)
{
    addArticles();
    auto rows = shop->select("Articoli");
    LibraryApplication& app = LibraryApplication::Instance();
    EXPECT_EQ(app.OpenView(*rows, nullptr, "Articoli")->Show(), std::nullopt);
    ASSERT_EQ(app.OpenWindows(), 1);
    rows.reset();   // the main window shows another view
    QApplication::processEvents();
    bool found = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* view = qobject_cast<ViewWindow*>(w);
        if (!view) continue;
        found = true;
        EXPECT_EQ(view->Grid()->Model()->rowCount(), 3);
        EXPECT_EQ(view->windowTitle(), "Articoli");
    }
    EXPECT_TRUE(found);
    app.CloseWindows();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app.OpenWindows(), 0);
}
