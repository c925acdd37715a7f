#include "PrintSettings.h"

#include "base/AppError.h"
#include "objdb/Definitions.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/Database.h"
#include "PrintObjectSupport.h"
#include "PrinterTarget.h"
#include "ScriptRunners.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "clsScriptPrinter.h"
#include "clsTiketScriptPrinter.h"

#include <QLocale>
#include <cmath>

namespace {

const QString kSource = QStringLiteral("Stampa");

AppError notANumber(const QString& caption, const QString& text)
{
    QString name = caption;
    name.remove(u'&');
    if (name.endsWith(u':')) name.chop(1);
    return AppError(AppError::kTypeMismatch, kSource,
                    QStringLiteral("\"%1\" non è un valore valido per %2").arg(text.trimmed(), name.trimmed()));
}

TestPrinterFactory& testPrinterSlot()
{
    static TestPrinterFactory factory;
    return factory;
}

PrintRowPicker& pickerSlot()
{
    static PrintRowPicker picker;
    return picker;
}

// Until the library's pick dialog is there: the key of the row, typed. The latest row of
// that key when several have it (receipt numbers start again every year).
std::unique_ptr<TableData> askForKey(QWidget*, TableObject& table)
{
    const QString key = table.GetKeyField();
    if (key.isEmpty()) return nullptr;
    const std::optional<QString> typed
        = ui().inputBox(QStringLiteral("%1 - %2 della riga da stampare:").arg(table.Caption(), key), g_strMsgTitle);
    if (!typed || typed->trimmed().isEmpty()) return nullptr;
    QVariant value = typed->trimmed();
    if (const FieldDefinition* f = table.GetField(key); f && f->TypeCode == FieldType::Integer) {
        bool whole = false;
        value = value.toString().toLongLong(&whole);
        if (!whole) return nullptr;
    }
    auto rows = table.Select(table.BuildFieldCondition(key, value), QStringLiteral("OID DESC"));
    if (rows->IsEmpty()) {
        ui().msgBox(QStringLiteral("Nessuna riga di %1 con %2 \"%3\".").arg(table.Caption(), key, typed->trimmed()),
                    Msg::OKOnly, g_strMsgTitle);
        return nullptr;
    }
    rows->MoveFirst();
    return rows;
}

void showError(const AppError& e) { ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle); }

}   // namespace

float BoxMillimetres(const QString& caption, const QString& text)
{
    const std::optional<double> v = config::ReadDecimal(text.trimmed());
    if (!v || std::abs(*v) > 100000) throw notANumber(caption, text);
    return float(*v);
}

int16_t BoxColumns(const QString& caption, const QString& text)
{
    bool whole = false;
    const int n = text.trimmed().toInt(&whole);
    if (!whole || n < 0 || n > 99) throw notANumber(caption, text);
    return int16_t(n);
}

QString BoxText(double value)
{
    // The system's way of writing numbers; Italian where the system has none (C/POSIX).
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::Italian, QLocale::Italy);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

void SaveLabelSettings(const LabelPrinterSettings& settings)
{
    ::settings().LabelPrinterParam = settings;
    SaveConfiguration();
}

void SaveTicketSettings(const TicketPrinterSettings& settings)
{
    ::settings().TicketPrinterParam = settings;
    SaveConfiguration();
}

void SetPrintRowPicker(PrintRowPicker picker) { pickerSlot() = std::move(picker); }

std::unique_ptr<TableData> PickPrintRow(QWidget* owner, const QString& table)
{
    if (!g_objDatabase) RaiseAppError(QStringLiteral("GetTableObject"), QStringLiteral("Nessun archivio aperto."));
    TableObject* t = g_objDatabase->Tables().Item(table);
    return pickerSlot() ? pickerSlot()(owner, *t) : askForKey(owner, *t);
}

void SetTestPrinterFactory(TestPrinterFactory factory) { testPrinterSlot() = std::move(factory); }

std::shared_ptr<PrintTarget> TestPrinter(const QString& printerName)
{
    if (!testPrinterSlot()) return printobj::printerTarget(printerName);
    printers::SelectPrinter(printerName);
    return testPrinterSlot()(printers::CurrentPrinterName());
}

bool PrintLabels(std::shared_ptr<PrintTarget> target, const LabelPrinterSettings& s, TableData& article)
{
    try {
        auto prn = std::make_shared<clsScriptPrinter>();
        prn->SetPrinter(std::move(target), s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft,
                        int16_t(s.ModuleColumns));
        const int labels = std::max(1, s.ModuleColumns);
        for (int i = 0; i < labels; ++i) {
            if (!RunPrintLabel(article, prn, s.VBScript)) break;
            prn->NextLabel();
        }
        prn->EndLabels();
        return true;
    } catch (const AppError& e) {
        showError(e);
        return false;
    }
}

bool PrintTicketTest(std::shared_ptr<PrintTarget> target, const TicketPrinterSettings& s, TableData& receipt)
{
    std::unique_ptr<TableData> sale;
    std::shared_ptr<clsTiketScriptPrinter> prn;
    try {
        sale = receipt.GetReference(QStringLiteral("Vendita"));
        if (sale->IsEmpty())
            throw AppError::object(AppError::kGenericCode, kSource,
                                   QStringLiteral("La ricevuta non è associata a nessuna vendita."));
        sale->MoveFirst();
        prn = std::make_shared<clsTiketScriptPrinter>();
        prn->SetPrinter(std::move(target), s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft,
                        int16_t(s.ModuleColumns), s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom,
                        s.TicketBackImageFile, s.TicketBottomImageBorder);
    } catch (const AppError& e) {
        if (prn) prn->AbortTickets();
        showError(e);
        return false;
    }
    // Tickets per row 0 prints one a row: one copy, as for 1.
    const int16_t copies = int16_t(std::max(1, s.ModuleColumns));
    return PrintRicevuta(*sale, receipt, prn, copies, s.VBScript);
}
