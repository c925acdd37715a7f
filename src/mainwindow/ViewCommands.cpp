#include "ViewCommands.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "operations/DetailView.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "operations/ViewDialogs.h"

ViewCommands::ViewCommands(DetailView& view, Database& db, DateSelection& dates, ViewDialogs& dialogs,
                           ViewCommandHooks hooks)
    : m_view(view), m_db(db), m_dates(dates), m_dialogs(dialogs), m_hooks(std::move(hooks))
{ }

void ViewCommands::showCaptions()
{
    if (m_hooks.showCaptions) m_hooks.showCaptions();
}

void ViewCommands::saveConfiguration()
{
    if (m_hooks.saveConfiguration) m_hooks.saveConfiguration();
}

void ViewCommands::refresh()
{
    if (m_hooks.refresh) m_hooks.refresh();
}

void ViewCommands::SelectAll()
{
    if (!m_dates.SelectAll()) return;
    showCaptions();
    saveConfiguration();
    refresh();
}

void ViewCommands::SelectDay()
{
    if (!m_dates.SelectDay(m_dialogs.ChooseDate(m_dates.selDate))) return;
    showCaptions();
    refresh();
}

void ViewCommands::SelectMonth()
{
    if (!m_dates.SelectMonth(m_dialogs.ChooseDate(m_dates.selDate))) return;
    showCaptions();
    refresh();
}

void ViewCommands::SelectPeriod()
{
    // A cancelled dialog leaves the bounds as they were, so a period set once comes back.
    std::optional<QDate> from = m_dates.selFrom, to = m_dates.selTo;
    (void)m_dialogs.ChoosePeriod(from, to);
    if (!m_dates.SelectPeriod(from, to)) return;
    showCaptions();
    saveConfiguration();
    refresh();
}

DateSelection::Captions ViewCommands::Captions(const QString& fieldCaption, const QLocale& locale) const
{
    return m_dates.captions(fieldCaption, locale);
}

bool ViewCommands::ToggleCurrencyConversion(bool menuChecked)
{
    settings().CurrencyConversion = !menuChecked;
    refresh();
    saveConfiguration();
    return settings().CurrencyConversion;
}

std::optional<int> ViewCommands::SectionButtonNode(const QString& tag, const std::vector<SectionNode>& nodes)
{
    bool numeric = false;
    const int index = tag.trimmed().toInt(&numeric);
    for (const SectionNode& n : nodes) {
        if (numeric ? n.index == index : (!n.key.isEmpty() && n.key == tag)) return n.index;
    }
    return std::nullopt;
}

void ViewCommands::SectionButtonClicked(const QString& tag, const std::vector<SectionNode>& nodes,
                                        const std::function<void(int index)>& selectNode)
{
    if (const std::optional<int> node = SectionButtonNode(tag, nodes)) selectNode(*node);
    refresh();
}

DataSelection* ViewCommands::selectionFor(const QString& nodeText, bool name)
{
    TableObject* table = m_db.FindTable(m_view.Query().Table);
    if (!table) return nullptr;
    return m_view.Builder().SelectionFor(nodeText, *table, name);
}

std::optional<bool> ViewCommands::EditPredefinedSelections(const QString& nodeText)
{
    if (!m_view.HasView()) return std::nullopt;
    DataSelection* selection = selectionFor(nodeText, true);
    if (!selection) return std::nullopt;
    if (!m_dialogs.EditSelections(*selection, QStringLiteral("Selezioni predefinite"))) return std::nullopt;
    selection->Save(nodeText);
    ui().msgBox(
        QStringLiteral("Selezioni predefinite impostate.\r\rN.B.: Tali impostazioni vengono considerate solo se i "
                       "dati che si stanno visualizzando non prevedono ulteriori selezioni (Data.., etc.)"),
        Msg::Information);
    return true;
}

std::optional<bool> ViewCommands::DeletePredefinedSelections(const QString& nodeText)
{
    if (!m_view.HasView()) return std::nullopt;
    if (DataSelection* selection = selectionFor(nodeText, false); selection && selection->LoadSaved(nodeText)) {
        selection->DeleteSaved(nodeText);
        ui().msgBox(QStringLiteral("Selezioni predefinite eliminate."), Msg::OKOnly);
    }
    m_view.Builder().ReleaseSelection();
    return false;
}
