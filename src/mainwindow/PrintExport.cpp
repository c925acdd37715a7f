#include "PrintExport.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/ErrorReporting.h"
#include "base/FileOps.h"
#include "objdb/ui/LibraryApplication.h"
#include "dialogs/ReportDisplay.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "dialogs/frmMessage.h"

namespace {

// The progress window for the length of an export, closed however it ends.
class ExportProgress {
public:
    ExportProgress(const QString& text, QWidget* owner) { frmMessage::instance().ShowMsg(text, owner, -1, -1); }
    ~ExportProgress() { frmMessage::unloadInstance(); }
    itfProgress* sink() { return &frmMessage::instance(); }
};

}   // namespace

PrintExport::PrintExport(QWidget* owner, Hooks hooks) : m_owner(owner), m_hooks(std::move(hooks)) { }

QString PrintExport::HtmlFile() { return JoinPath(GetDataFolder(), QStringLiteral("TableData.htm")); }

QStringList PrintExport::VisibleFields(const TableData& ds, const QString& fieldOrder)
{
    const std::vector<FieldInfo> infos = ds.GetFieldInfos();
    auto visible = [&](const QString& name) -> const FieldInfo* {
        for (const FieldInfo& f : infos)
            if (f.Name.compare(name, Qt::CaseInsensitive) == 0) return f.Shown && f.TypeCode != -1 ? &f : nullptr;
        return nullptr;
    };
    QStringList out;
    if (fieldOrder.trimmed().isEmpty()) {
        for (const FieldInfo& f : infos)
            if (visible(f.Name)) out << f.Name;
        return out;
    }
    for (const QString& part : fieldOrder.split(u',', Qt::SkipEmptyParts))
        if (const FieldInfo* f = visible(part.trimmed()); f && !out.contains(f->Name)) out << f->Name;
    return out;
}

// ---- the commands -----------------------------------------------------------------------------------

void PrintExport::Report(int16_t mode)
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    TableData* ds = m_hooks.dataSet ? m_hooks.dataSet() : nullptr;
    if (!ds) {
        ui().beep();
        return;
    }
    QString key = m_hooks.nodeKey ? m_hooks.nodeKey() : QString();
    ShowDataReport(*ds, mode, key);
}

void PrintExport::SaveData()
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    TableData* ds = m_hooks.dataSet ? m_hooks.dataSet() : nullptr;
    if (!ds) {
        ui().beep();
        return;
    }
    try {
        ExportProgress progress(QStringLiteral("Esportazione dati in corso..."), m_owner);
        (void)LibraryApplication::Instance().OpenView(*ds, m_owner, QString())->Export(progress.sink());
    } catch (...) {
        ShowErrorDetails(QString());
    }
}

void PrintExport::WebBrowser()
{
    const auto held = m_hooks.hold ? m_hooks.hold() : nullptr;
    const bool shown = !m_hooks.gridShown || m_hooks.gridShown();
    TableData* ds = m_hooks.dataSet ? m_hooks.dataSet() : nullptr;
    if (!shown || !ds) {
        ui().beep();
        return;
    }
    ExportTableToHtml(ds, m_owner, QString());
}

void PrintExport::ExportTableToHtml(TableData* ds, QWidget* owner, QString fieldOrder)
{
    try {
        if (!ds) return;
        if (ui().msgBox(QStringLiteral("Vuoi modificare la sequenza dei campi per il browser ?"), Msg::YesNo,
                        g_strMsgTitle)
            == Msg::Yes) {
            const std::optional<QString> chosen
                = LibraryApplication::Instance()
                      .OpenView(*ds, owner)
                      ->EditFieldList(fieldOrder, QStringLiteral("Esportazione HTML - Selezione Campi"));
            if (!chosen) return;
            fieldOrder = *chosen;
        }
        const QString path = HtmlFile();
        // Even a field order written by hand never brings a hidden field to the page.
        const QStringList fields = VisibleFields(*ds, fieldOrder);
        {
            ExportProgress progress(QStringLiteral("Esportazione dati in formato HTML..."), owner);
            (void)fileOps().remove(path);
            if (!ds->Export(2, path, progress.sink(), fields.join(u',')))
                throw AppError::object(AppError::kGenericCode, QStringLiteral("ExportTableToHtml"),
                                       QStringLiteral("Impossibile scrivere il file ") + path);
        }
        (void)ShellOpen(path, QStringLiteral("open"));
    } catch (...) {
        ShowErrorDetails(QString());
    }
}
