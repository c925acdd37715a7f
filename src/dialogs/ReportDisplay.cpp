#include "ReportDisplay.h"
#include "report/ui/ReportOutput.h"
#include "widgets/ModalDialog.h"
#include "core/helpers/ReportKey.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/Definitions.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "frmMessage.h"
#include <QApplication>
#include <QHash>
#include <QUrl>
#include <QWidget>

namespace {

constexpr QChar CR = u'\r';

ReportLayoutProvider& providerSlot()
{
    static ReportLayoutProvider p;
    return p;
}
ReportRunner& runnerSlot()
{
    static ReportRunner r;
    return r;
}
ReportBrowserExport& browserSlot()
{
    static ReportBrowserExport b;
    return b;
}

void defaultRunner(const report::ReportDocument& doc, int mode, QWidget* owner)
{
    if (mode == ReportExport) {
        (void)report::exportReport(doc);
        return;
    }
    const QString pages = QStringLiteral("%1 (%2 pagine)").arg(doc.title).arg(doc.pageCount());
    if (mode == ReportPrint) {
        // An answer line names the PDF file the report is printed into; any other line
        // prints nothing.
        ModalAdapter window(
            QStringLiteral("Report"), QStringLiteral("Stampa ") + pages,
            [&] { return report::printReport(doc, owner, true); },
            [&](const QString& answer) {
                if (!answer.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return false;
                report::exportToFile(doc, answer);
                return true;
            });
        (void)ui().runModal(window);
        return;
    }
    ModalAdapter window(
        QStringLiteral("Report"), QStringLiteral("Anteprima ") + pages,
        [&] {
            report::previewReport(doc, owner);
            return true;
        },
        [](const QString&) { return true; });
    (void)ui().runModal(window);
}

void defaultBrowserExport(TableData& rows, QWidget* owner)
{
    const QString path = JoinPath(GetDataFolder(), QStringLiteral("TableData.htm"));
    frmMessage::instance().ShowMsg(QStringLiteral("Esportazione dati in formato HTML..."), owner);
    bool written = false;
    try {
        written = rows.Export(2, path, &frmMessage::instance());
    } catch (...) {
        frmMessage::unloadInstance();
        throw;
    }
    frmMessage::unloadInstance();
    if (written) (void)ShellOpen(path);
}

// Restores the data set's Suspended whichever way the report ends.
class SuspendedGuard {
public:
    explicit SuspendedGuard(TableData& rows) : m_source(rows.GetRecordSource()), m_old(m_source.Suspended) { }
    ~SuspendedGuard() { m_source.Suspended = m_old; }
    void suspend() { m_source.Suspended = true; }

private:
    RecordSource& m_source;
    bool m_old;
};

void showFailure(const QString& description)
{
    ui().msgBox(QStringLiteral("Operazione fallita...") + CR + CR + description, Msg::OKOnly, AppTitle());
}

void runWith(TableData& rows, const report::ReportLayout& layout, int mode, const QString& title)
{
    if (mode != ReportPrint && mode != ReportPreview && mode != ReportExport) return;
    const report::ReportDocument doc = BuildDataReport(rows, layout, title);
    SuspendedGuard guard(rows);
    guard.suspend();
    QWidget* owner = QApplication::activeWindow();
    if (runnerSlot())
        runnerSlot()(doc, mode, owner);
    else
        defaultRunner(doc, mode, owner);
}

}   // namespace

void setReportLayoutProvider(ReportLayoutProvider provider) { providerSlot() = std::move(provider); }
void setReportRunner(ReportRunner runner) { runnerSlot() = std::move(runner); }
void setReportBrowserExport(ReportBrowserExport exporter) { browserSlot() = std::move(exporter); }

QString ReportLayoutName(const QString& table, const QString& section)
{
    const std::optional<ReportKey> report = ReportNamed(section);
    if (table == QStringLiteral("Articoli")) {
        if (report == ReportKey::Inventory) return QStringLiteral("drInventarioMagazzino");
        if (report == ReportKey::StockAtDate || report == ReportKey::StockTaxable)
            return QStringLiteral("drImponibileMagazzino");
        return QStringLiteral("drArticoli");
    }
    if (table == QStringLiteral("Forniture")) return QStringLiteral("drForniture");
    if (table == QStringLiteral("Vendite")) return QStringLiteral("drVendite");
    if (table == QStringLiteral("ScaricoArticoli")) {
        if (report == ReportKey::Sold) return QStringLiteral("drArticoliVenduti");
        if (report == ReportKey::SalesTaxable) return QStringLiteral("drImponibileVendite");
        return QString();
    }
    if (table == QStringLiteral("Clienti")) return QStringLiteral("drClienti");
    return QString();
}

namespace {

// A single reference of the rows' table (or of its parent's, for child rows) by name.
std::optional<ReferenceDefinition> singleReference(TableData& rows, const QString& name)
{
    for (TableObject* t = rows.GetTable(); t; t = t->Parent())
        for (const ReferenceDefinition& r : t->References())
            if (!r.IsList && r.Name.compare(name, Qt::CaseInsensitive) == 0) return r;
    return std::nullopt;
}

// What a reference column shows: the referenced row's first display field (its key field
// when it has none), as the grid shows it, never the row's internal key. Looked up once
// per referenced row.
class ReferenceTexts {
public:
    explicit ReferenceTexts(ReferenceDefinition ref) : m_ref(std::move(ref))
    {
        m_field = m_ref.DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
        if (m_field.isEmpty()) m_field = m_ref.KeyField;
    }
    // `value` as the data set gives it: the referenced row's key, unless the view already
    // delivers a column of that name (its own text).
    QVariant of(TableData& row, const QVariant& value)
    {
        const qint64 oid = row.GetReferenceOID(m_ref.Name);
        if (m_field.isEmpty() || oid == 0 || value.toLongLong() != oid || value.typeId() == QMetaType::QString)
            return value;
        auto it = m_cache.find(oid);
        if (it == m_cache.end()) {
            auto target = row.GetReference(m_ref.Name);
            it = m_cache.insert(
                oid, target->IsEmpty() || !target->HasField(m_field) ? QVariant() : target->GetValue(m_field));
        }
        return *it;
    }

private:
    ReferenceDefinition m_ref;
    QString m_field;
    QHash<qint64, QVariant> m_cache;
};

}   // namespace

report::MemoryDataSource ReportRowsOf(TableData& rows, const QStringList& columns)
{
    report::MemoryDataSource data(columns);
    std::vector<std::optional<ReferenceTexts>> references;
    for (const QString& c : columns) {
        const auto ref = singleReference(rows, c);
        references.emplace_back(ref ? std::optional<ReferenceTexts>(ReferenceTexts(*ref)) : std::nullopt);
    }
    auto cursor = rows.Clone();
    for (cursor->MoveFirst(); !cursor->IsEOF(); cursor->MoveNext()) {
        QVariantList values;
        values.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            const QString& c = columns[i];
            QVariant v = cursor->HasField(c) ? cursor->GetValue(c) : QVariant();
            if (references[size_t(i)] && v.isValid() && !v.isNull()) v = references[size_t(i)]->of(*cursor, v);
            values << v;
        }
        data.addRow(values);
    }
    return data;
}

report::ReportDocument BuildDataReport(TableData& rows, const report::ReportLayout& layout, const QString& title)
{
    SuspendedGuard guard(rows);
    guard.suspend();
    // Only the columns the data set has: a layout naming another one fails in the
    // pagination, which names the column.
    QStringList columns;
    for (const QString& c : layout.fieldsUsed())
        if (rows.HasField(c) && !columns.contains(c, Qt::CaseInsensitive)) columns << c;
    const report::MemoryDataSource data = ReportRowsOf(rows, columns);
    report::RenderOptions options;
    options.title = title;
    return report::paginate(layout, data, options);
}

report::ReportLayout ColumnReportLayout(TableData& rows, const QStringList& fields, const QString& caption)
{
    report::TabularSpec tabular;
    tabular.name = QStringLiteral("drColonne");
    tabular.caption = caption;
    for (const FieldInfo& f : rows.GetFieldInfos()) {
        const bool wanted
            = fields.isEmpty() ? f.Shown && f.TypeCode != -1 : fields.contains(f.Name, Qt::CaseInsensitive);
        if (!wanted) continue;
        report::TabularColumn c;
        c.heading = f.Caption.isEmpty() ? f.Name : f.Caption;
        c.field = f.Name;
        c.total = f.TypeCode == FieldType::Currency;
        tabular.columns << c;
    }
    if (tabular.columns.size() > 6) tabular.page.orientation = QPageLayout::Landscape;
    tabular.countLabel = QStringLiteral("Numero delle righe:");
    return report::buildTabularLayout(tabular);
}

void ShowDataReportWith(TableData& rows, const report::ReportLayout& layout, int mode, const QString& title)
{
    try {
        runWith(rows, layout, mode, title);
    } catch (const std::exception& ex) {
        const auto* app = dynamic_cast<const AppError*>(&ex);
        showFailure(app ? app->description : QString::fromUtf8(ex.what()));
    }
}

void ShowDataReport(TableData& rows, int16_t& mode, QString& sectionKey)
{
    SuspendedGuard guard(rows);   // whatever happens, Suspended ends as it began
    try {
        TableObject* table = rows.GetTable();
        const QString layoutName = table ? ReportLayoutName(table->Name(), sectionKey) : QString();
        std::optional<report::ReportLayout> layout;
        if (!layoutName.isEmpty() && providerSlot()) layout = providerSlot()(layoutName);
        if (!layout) {
            if (ui().msgBox(QStringLiteral("Non sono disponibili Report personalizzati per questi dati.") + CR + CR
                                + QStringLiteral("Visualizzare/Stampare da Internet Browser ?"),
                            int(Msg::YesNo) + int(Msg::Question) + int(Msg::DefaultButton2))
                == Msg::Yes) {
                QWidget* owner = QApplication::activeWindow();
                if (browserSlot())
                    browserSlot()(rows, owner);
                else
                    defaultBrowserExport(rows, owner);
            }
            return;
        }
        runWith(rows, *layout, mode, sectionKey);
    } catch (const std::exception& ex) {
        const auto* app = dynamic_cast<const AppError*>(&ex);
        showFailure(app ? app->description : QString::fromUtf8(ex.what()));
    }
}
