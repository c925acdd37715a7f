#include "ShotSample.h"
#include "base/Currency.h"
#include "objdb/Database.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

namespace {

QVariant money(const char* text)
{
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(text), QLocale::c()));
}

}   // namespace

// A few rows of every kind the windows show.
void mvtool::FillSampleShop(Database& db)
{
    auto table = [&](const char* name) { return db.Tables().Item(QString::fromLatin1(name))->Select(); };
    const qint64 supplier = table("Fornitori")->AddRow({"Descrizione", "Forno Rossi", "Telefono", "0577 123456"});
    auto articles = table("Articoli");
    const qint64 bread
        = articles->AddRow({"Codice", "8001", "Descrizione", "Pane casereccio", "PrezzoVendita", money("2.40"),
                            "PrezzoAcquisto", money("1.10"), "ValoreScorta", 12.0, "Reparto", "01"});
    const qint64 milk
        = articles->AddRow({"Codice", "8002", "Descrizione", "Latte intero 1 l", "PrezzoVendita", money("1.35"),
                            "PrezzoAcquisto", money("0.80"), "ValoreScorta", 30.0, "Reparto", "04"});
    articles->AddRow({"Codice", "8003", "Descrizione", "Mele golden al kg", "PrezzoVendita", money("1.90"),
                      "PrezzoAcquisto", money("0.95"), "ValoreScorta", 25.5, "Reparto", "02"});
    if (articles->MoveToOID(bread)) articles->AddToList("Fornitori", supplier);
    const qint64 customer = table("Clienti")->AddRow({"Descrizione", "Maria Bianchi", "Codice", "C001"});
    auto sales = db.Tables().Item("Vendite")->Select("OID = 0");
    sales->NewRow();
    sales->SetReferenceOID("Cliente", customer);
    sales->SetValue("Note", QStringLiteral("Consegna a domicilio"));
    sales->Update();
    for (auto [article, quantity] : {std::pair {bread, 2.0}, std::pair {milk, 3.0}}) {
        auto lines = sales->GetReference("Articoli");
        lines->NewRow();
        lines->SetParent(article);
        lines->SetValue("ValoreScarico", quantity);
        lines->Update();
    }
    // The totals the lines' rules kept are the sale's to store.
    sales->Update();
}
