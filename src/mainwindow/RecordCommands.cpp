#include "RecordCommands.h"
#include "base/AppError.h"
#include "ArchiveMode.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/ui/LibraryApplication.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/ObjDbError.h"
#include "printing/ui/WindowPrintProgress.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include <QApplication>

namespace {

const QString kSalesTable = QStringLiteral("Vendite");
const QString kSuppliesTable = QStringLiteral("Forniture");

// The hourglass while a command works, the normal pointer however it ends.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

// A rule's refusal was shown by the library when it happened; anything else is reported here.
void reportCommandFailure(const AppError& e)
{
    if (!objdb::isRefusal(e)) ShowErrorDetails(e, QString());
}

}   // namespace

RecordCommands::RecordCommands(ObjDataGrid& grid, QWidget* owner, Hooks hooks)
    : m_grid(grid), m_owner(owner), m_hooks(std::move(hooks))
{
    if (!m_hooks.progress) m_hooks.progress = [this] { return WindowPrintProgress(m_owner); };
    if (!m_hooks.confirmBackupInsert) m_hooks.confirmBackupInsert = [] { return ArchiveMode::ConfirmBackupInsert(); };
}

TableData* RecordCommands::shown() const { return m_hooks.dataSet ? m_hooks.dataSet() : nullptr; }

bool RecordCommands::confirmBackupInsert() const { return m_hooks.confirmBackupInsert(); }

void RecordCommands::ViewEditData(bool edit)
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    try {
        if (!m_grid.RowCommands()) return;
        TableData* ds = shown();
        const std::optional<qint64> current = m_grid.Bookmark();
        if (m_grid.isHidden() || !ds || !current) {
            ui().beep();
            return;
        }
        Hourglass hourglass;
        if (!ds->MoveToOID(*current) || ds->RowFlag()) return;
        const QString table = ds->tableName();
        if (edit && (table == kSalesTable || table == kSuppliesTable) && ds->DocumentFlag()) {
            if (m_hooks.openDocumentForm) m_hooks.openDocumentForm(table, *current);
        } else {
            (void)LibraryApplication::Instance().OpenView(*ds, nullptr, QString())->EditRow(true, QString(), true);
        }
        ds->Requery();
        m_grid.Refresh();
    } catch (...) {
        reportCommandFailure(CurrentError());
    }
}

void RecordCommands::FileProperties() { ViewEditData(!g_bBackupArchiveMode); }

void RecordCommands::FileNew()
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    try {
        TableData* ds = shown();
        if (!ds) {
            ui().beep();
            return;
        }
        if (g_bBackupArchiveMode && !confirmBackupInsert()) return;
        const QString table = ds->tableName();
        if (!g_bBackupArchiveMode && table == kSalesTable) {
            NewSale();
            return;
        }
        if (!g_bBackupArchiveMode && table == kSuppliesTable) {
            NewSupply();
            return;
        }
        const std::optional<qint64> added
            = LibraryApplication::Instance().OpenView(*ds, m_owner)->NewRow({QStringLiteral("@InvertParent@"), true});
        if (!added) return;
        ds->Requery();
        m_grid.Refresh();
        m_grid.SetBookmark(*added);
    } catch (...) {
        reportCommandFailure(CurrentError());
    }
}

void RecordCommands::NewSale()
{
    if (g_bBackupArchiveMode && !confirmBackupInsert()) return;
    if (m_hooks.openDocumentForm) m_hooks.openDocumentForm(kSalesTable, 0);
}

void RecordCommands::NewSupply()
{
    if (m_hooks.openDocumentForm) m_hooks.openDocumentForm(kSuppliesTable, 0);
}

void RecordCommands::NewArticle()
{
    if (m_hooks.newArticle) m_hooks.newArticle();
    if (m_hooks.refreshView) m_hooks.refreshView(QString(), QString());
}

void RecordCommands::FindArticle()
{
    if (m_hooks.findArticle) m_hooks.findArticle();
}

void RecordCommands::NotCompleted(const QString& table)
{
    try {
        if (m_hooks.selectNode) m_hooks.selectNode(table);
        if (m_hooks.refreshView) m_hooks.refreshView(QString(), QStringLiteral("Not Completato"));
    } catch (...) {
        // The search is a shortcut to a view: a failure leaves the view as it was.
    }
}

void RecordCommands::FileDelete()
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    std::unique_ptr<PrintProgress> progress;
    try {
        TableData* ds = shown();
        if (!ds || !m_grid.Bookmark()) {
            ui().beep();
            return;
        }
        if (ui().msgBox(QStringLiteral("Confermi l'eliminazione dei dati selezionati ?"), Msg::YesNo) != Msg::Yes)
            return;
        Hourglass hourglass;
        progress = m_hooks.progress();
        progress->show(QStringLiteral("Eliminazione in corso..."));
        deleteRows(*ds, *progress);
    } catch (...) {
        reportCommandFailure(CurrentError());
    }
    if (progress) {
        progress->end();
        progress->close();
    }
    // The rows are read again, not the view: the deleted rows go, the others stay as chosen.
    if (m_grid.IsAttached()) m_grid.Refresh();
}

void RecordCommands::deleteRows(TableData& ds, PrintProgress& progress)
{
    auto deleteRow = [&ds](qint64 oid) {
        if (!ds.MoveToOID(oid) || ds.RowFlag()) return;
        ds.DeleteRow();
    };
    const std::vector<qint64> selected = m_grid.SelectedBookmarks();
    if (selected.size() < 2) {
        deleteRow(*m_grid.Bookmark());
        return;
    }
    progress.start(int32_t(selected.size()));
    for (qint64 oid : selected) {
        if (!progress.step()) {
            // The operator stopped: no further row goes, whatever the library makes of the
            // refusal outside a change (it raises it: the operator reads why it stopped).
            try {
                ds.CancelWithMessage(QStringLiteral("Operazione interrotta"));
            } catch (const AppError& e) {
                ShowErrorDetails(e, QString());
            }
            return;
        }
        deleteRow(oid);
    }
}
