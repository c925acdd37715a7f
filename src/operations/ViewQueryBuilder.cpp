#include "ViewQueryBuilder.h"
#include "base/Clock.h"
#include "objdb/Database.h"
#include "DateSelection.h"
#include "ReportCatalogue.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

ViewQueryBuilder::ViewQueryBuilder(Database& db, ViewDialogs& dialogs, const DateSelection& dates,
                                   DataSelectionFactory selections)
    : m_db(db), m_dialogs(dialogs), m_dates(dates), m_newSelection(std::move(selections))
{ }

ViewQuery ViewQueryBuilder::Build(const ViewRequest& request, const ShownView& shown)
{
    ViewQuery q;
    q.Title = request.titleTag;
    if (request.node)
        q.StatusTexts << request.sectionTitle + QStringLiteral(" <") + request.node->text + QStringLiteral(">");
    if (!request.node || request.node->key.isEmpty()) {
        q.NoView = true;
        return q;
    }
    const ViewNode& node = *request.node;
    ReportCatalogue::Context context {m_db, m_dialogs, m_dates, appClock().today()};
    ReportCatalogue::Fill(node.key, context, q);
    q.Order = request.order;
    carryOver(q, shown);
    if (!request.where.isEmpty()) {
        // The caller's condition stands for the node's; the stored selections are not asked.
        q.Where = request.where;
    } else {
        applySelections(q, node, request.titleTag);
    }
    if (!q.DateField.isEmpty()) q.Where = CombineConditions(q.Where, m_dates.Condition(q.DateField));
    return q;
}

// The same plain table shown again keeps the operator's order, sort and current row.
void ViewQueryBuilder::carryOver(ViewQuery& q, const ShownView& shown) const
{
    TableData* ds = shown.dataSet;
    if (!ds || ds->tableName() != q.Table || !ds->GetFieldList().trimmed().isEmpty()) return;
    q.PreviousTable = ds->tableName();
    if (q.Sort.isEmpty()) q.Sort = ds->GetOrder();
    if (q.Order.isEmpty()) q.Order = ds->GetOrder();
    if (ds->IsEOF() || ds->IsBOF() || !shown.gridBookmark) return;
    // The grid's row may have gone meanwhile: then no row is kept, and nothing else is lost.
    try {
        if (ds->MoveToOID(*shown.gridBookmark) && !ds->RowFlag()) q.KeptRowKey = ds->GetOID();
    } catch (...) { }
}

DataSelection* ViewQueryBuilder::SelectionFor(const QString& nodeText, TableObject& table, bool name)
{
    if (m_selection && m_selection->Name() != nodeText) m_selection.reset();
    if (!m_selection && m_newSelection) m_selection = m_newSelection(table);
    if (m_selection && name && m_selection->Name() != nodeText) m_selection->SetName(nodeText);
    return m_selection.get();
}

void ViewQueryBuilder::applySelections(ViewQuery& q, const ViewNode& node, const QString& titleTag)
{
    if (m_selection && m_selection->Name() != node.text) m_selection.reset();
    if (!m_selection && m_newSelection) m_selection = m_newSelection(*m_db.Tables().Item(q.Table));
    if (m_selection && m_selection->LoadSaved(node.text)) {
        q.SelectionsBeforeQuery = true;
        if (m_selection->Name() != node.text) m_selection->SetName(node.text);
    }
    // An entry with a condition of its own is never combined with the stored selections.
    if (!q.SelectionsBeforeQuery || !q.Where.isEmpty()) return;
    if (m_dialogs.EditSelections(*m_selection, QStringLiteral("Selezioni predefinite"))) {
        q.Where = m_selection->GetWhere();
        if (q.Where.isEmpty()) {
            m_selection.reset();
            return;
        }
        q.Title = titleTag + QStringLiteral("  [selezioni impostate]");
        if (!q.DateField.isEmpty() && m_selection->Restricts(q.DateField)) q.DateField.clear();
        return;
    }
    const int answer
        = ui().msgBox(QStringLiteral("Selezioni predefinite annullate...\r\rVuoi visualizzare tutti i dati?"),
                      int {Msg::YesNo} | Msg::Question | Msg::DefaultButton2);
    if (answer == Msg::Yes) return;
    q.Where = m_db.Tables().Item(q.Table)->BuildKeyCondition(QVariant());
    q.Title = titleTag + QStringLiteral("  [nessun dato richiesto]");
}
