#include "SectionTree.h"
#include "core/helpers/ReportKey.h"
#include "objdb/Database.h"
#include "objdb/TableObject.h"

namespace {

using Kind = SectionNode::Kind;

class Builder {
public:
    Builder(Database& db, const std::function<void(const SectionNode&)>& add) : m_db(db), m_add(add) { }

    int section(const char* text, const char* image) { return node(Kind::Section, 0, QString(), text, image); }
    int group(int parent, const char* text) { return node(Kind::Group, parent, QString(), text, "Archive"); }
    int table(int parent, const char* name, const char* image)
    {
        const QString key = QString::fromLatin1(name);
        return node(Kind::Table, parent, key, m_db.Tables().Item(key)->Caption(), image);
    }
    int report(int parent, ReportKey report)
    {
        const QString key = ReportCaption(report);
        return node(Kind::Report, parent, key, key, "ReportElement");
    }
    int connections(int parent)
    {
        return node(Kind::Connections, parent, m_db.ConnectionsName(), "Connessioni", "Archive");
    }

private:
    int node(Kind kind, int parent, const QString& key, const QString& text, const char* image)
    {
        SectionNode n;
        n.index = ++m_count;
        n.parent = parent;
        n.kind = kind;
        n.key = key;
        n.text = text;
        n.image = QString::fromLatin1(image);
        n.expanded = n.index == 1;
        m_add(n);
        return n.index;
    }

    Database& m_db;
    const std::function<void(const SectionNode&)>& m_add;
    int m_count = 0;
};

}   // namespace

void BuildSectionTree(Database& db, const SectionTreeOptions& options,
                      const std::function<void(const SectionNode&)>& add)
{
    Builder b(db, add);
    const int operations = b.section("Operazioni effettuate", "Operation");
    b.table(operations, "Vendite", "Sale");
    b.table(operations, "Forniture", "OperationElement");

    const int registry = b.section("Anagrafica", "Anagrafic");
    b.table(registry, "Clienti", "AnagraficCliFor");
    b.table(registry, "Fornitori", "AnagraficCliFor");
    b.table(registry, "Articoli", "Article");

    const int reports = b.section("Liste / Stampe", "Report");
    b.report(reports, ReportKey::UnderStock);
    b.report(reports, ReportKey::BySupplier);
    b.report(reports, ReportKey::Sold);
    // The inventory comes and goes with the supply payments, not with a stock setting.
    if (options.usePagamentoForniture) b.report(reports, ReportKey::Inventory);
    const int supplies = b.report(reports, ReportKey::Supplies);
    if (options.usePagamentoForniture) {
        b.report(supplies, ReportKey::PaidSupplies);
        b.report(supplies, ReportKey::UnpaidSupplies);
    }
    const bool administrator = db.AccessLevel() == 1;
    if (administrator) {
        const int taxable = b.report(reports, ReportKey::StockTaxable);
        b.report(taxable, ReportKey::StockAtDate);
    }
    b.report(reports, ReportKey::Various);
    b.report(reports, ReportKey::Vouchers);

    if (!administrator) return;
    const int archive = b.section("Archivio", "Archive");
    const int movements = b.group(archive, "Movimenti");
    b.table(movements, "AcquistoFornitori", "Archive");
    b.table(movements, "PagamentiCliente", "Archive");
    b.table(movements, "Ricevute", "Archive");
    const int stock = b.group(archive, "Carico / Scarico Magazzino");
    b.table(stock, "CaricoArticoli", "Archive");
    b.table(stock, "ScaricoArticoli", "Archive");
    const int setup = b.group(archive, "Configurazione");
    for (const char* name : {"Reparti", "Depositi", "TipiDocumento", "TipiPagamento", "ConfigurazioneSconti",
                             "CodiciIva", "UnitaMisura", "CodiciBarre"})
        b.table(setup, name, "Archive");
    // The operators' node also holds the open connections and the reminders.
    const int operators = b.table(archive, "Operatori", "Archive");
    b.connections(operators);
    b.table(operators, "Promemoria", "Archive");
    const int imports = b.group(archive, "Specifiche Importazione");
    b.table(imports, "TracciatiFornitura", "Archive");
    b.table(imports, "CampiTracciato", "Archive");
    b.table(imports, "SelezioniTracciato", "Archive");
}

std::vector<SectionNode> SectionTreeNodes(Database& db, const SectionTreeOptions& options)
{
    std::vector<SectionNode> nodes;
    BuildSectionTree(db, options, [&nodes](const SectionNode& n) { nodes.push_back(n); });
    return nodes;
}

int SelectionAfterRebuild(int previousIndex, int nodeCount)
{
    const int position = previousIndex > 0 ? previousIndex : 1;
    return position <= nodeCount ? position : 0;
}
