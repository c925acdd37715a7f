#pragma once
// The counter shop with a main window as the article search and the deposit dialog see it:
// a section tree that stands on one node, the view of that node as a data set, the grid's
// selection, and the label and edit commands counted. The view is read again (a new data
// set, no filter) on every refresh, as the main window does.
#include "core/seams/ArticleSearchHost.h"
#include "CounterShop.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "objdb/TableObject.h"

#include <QList>

class SearchMainWindow : public RecordingMainWindow, public ArticleSearchHost {
public:
    explicit SearchMainWindow(Database& db) : m_db(db) { }

    QString node = QStringLiteral("Vendite");
    std::unique_ptr<TableData> view;
    QList<qint64> selection;
    int labelCommands = 0;
    QList<QList<qint64>> edits;   // the selection each edit command found
    // Without a view (the main window could not open it).
    bool opensViews = true;

    QString SelectedNodeKey() const override { return node; }
    void SelectNode(const QString& key) override { node = key; }
    void RefreshDetailView() override
    {
        RecordingMainWindow::RefreshDetailView();
        view.reset();
        if (opensViews) view = m_db.Tables().Item(node)->Select();
        if (view) view->MoveFirst();
    }
    TableData* CurrentDataSet() override { return view.get(); }
    void DataSetFiltered() override { ++filterings; }
    void ClearSelection() override { selection.clear(); }
    void SelectRow(qint64 oid) override { selection << oid; }
    void mnuFileProperties_Click() override { edits << selection; }
    void mnuPrintLabel_Click() override { ++labelCommands; }

    int filterings = 0;

private:
    Database& m_db;
};

class SearchShop : public CounterShop {
protected:
    void SetUp() override
    {
        CounterShop::SetUp();
        main = std::make_unique<SearchMainWindow>(db());
        main->RefreshDetailView();
        main->refreshes = 0;
        setMainWindowServices(main.get());
        setCounterServices(main.get());
        setArticleSearchHost(main.get());
        // The windows search the open working database, as in the program.
        g_objDatabase = std::shared_ptr<Database>(&db(), [](Database*) {});
        // The barcode filter a new installation has.
        m_savedFilter = settings().BarcodeReaderParam.VBFilterScript;
        settings().BarcodeReaderParam.VBFilterScript = DefaultBarCodeFilterScript();
    }
    void TearDown() override
    {
        settings().BarcodeReaderParam.VBFilterScript = m_savedFilter;
        g_objDatabase.reset();
        setArticleSearchHost(nullptr);
        main->view.reset();
        CounterShop::TearDown();
        main.reset();
    }

    // An article with a description and an additional code, in the default deposit.
    qint64 article(const QString& code, const QString& description, const QString& additional = QString())
    {
        const qint64 key = addArticle(code, "1.00", 0);
        auto a = row(QStringLiteral("Articoli"), key);
        a->SetValue(QStringLiteral("Descrizione"), description);
        a->SetValue(QStringLiteral("CodiceAggiuntivo"), additional);
        a->Update();
        return key;
    }
    QString codeOf(qint64 key) { return row(QStringLiteral("Articoli"), key)->GetText(QStringLiteral("Codice")); }
    // The codes the grid shows, in its order, and those it has selected.
    QStringList shownCodes()
    {
        QStringList codes;
        TableData* v = main->view.get();
        if (!v) return codes;
        for (v->MoveFirst(); !v->IsEOF(); v->MoveNext()) codes << v->GetText(QStringLiteral("Codice"));
        return codes;
    }
    QStringList selectedCodes()
    {
        QStringList codes;
        for (qint64 key : main->selection) codes << codeOf(key);
        return codes;
    }
    // The questions of error reports shown.
    QStringList errorReports() const { return prompts().filter(QStringLiteral("Visualizzare dettagli ?")); }

    std::unique_ptr<SearchMainWindow> main;

private:
    QString m_savedFilter;
};
