#include "CounterShop.h"

#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "base/SettingsStore.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"

// ---- the library's dialogs ---------------------------------------------------------------------------

namespace {

// Presets as the row editor applies them: a reference by the key of its row, the parent by
// its key, the editor's options and names that are not the row's left alone.
void applyPresets(TableData& rows, const QVariantList& pairs)
{
    TableObject& table = *rows.GetTable();
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        const QString name = pairs[i].toString();
        const QVariant& value = pairs[i + 1];
        if (name.startsWith(u'@')) continue;
        if (name == QStringLiteral("objParent"))
            rows.SetParent(value.toLongLong());
        else if (table.GetReference(name))
            rows.SetReferenceOID(name, value.toLongLong());
        else if (rows.HasField(name))
            rows.SetValue(name, value);
    }
}

}   // namespace

std::optional<qint64> ScriptedDocumentOperator::nextPick(TableData& rows)
{
    lastPickCount = int(rows.RowCount());
    log << QStringLiteral("pick %1 of %2").arg(lastPickCount).arg(rows.tableName());
    if (picks.empty()) return std::nullopt;
    const qint64 key = picks.front();
    picks.pop_front();
    if (key == 0) return std::nullopt;
    return key;
}

std::optional<qint64> ScriptedDocumentOperator::pickRow(TableData& rows, const QStringList&) { return nextPick(rows); }
std::optional<qint64> ScriptedDocumentOperator::pickArticle(TableData& articles) { return nextPick(articles); }

std::optional<qint64> ScriptedDocumentOperator::editRow(TableData& rows)
{
    log << QStringLiteral("edit ") + rows.tableName();
    if (!saveEdits) return std::nullopt;
    rows.Update();
    return rows.GetOID();
}

std::optional<qint64> ScriptedDocumentOperator::newRow(TableData& rows, const QVariantList& presets)
{
    log << QStringLiteral("new ") + rows.tableName();
    lastPresets = presets;
    if (!saveNewRows) return std::nullopt;
    rows.NewRow();
    applyPresets(rows, presets);
    applyPresets(rows, newRowValues);
    rows.Update();
    return rows.GetOID();
}

bool ScriptedDocumentOperator::editField(TableData& rows, const QString& field)
{
    log << QStringLiteral("field ") + field;
    if (!fieldValue) return false;
    rows.SetValue(field, *fieldValue);
    rows.Update();
    return true;
}

void ScriptedDocumentOperator::showRows(TableData& rows, const QStringList&)
{
    log << QStringLiteral("list %1 of %2").arg(rows.RowCount()).arg(rows.tableName());
}

bool ScriptedDocumentOperator::confirmWithBeep(const QString& message)
{
    log << QStringLiteral("beep ") + message;
    if (beepAnswers.empty()) return false;
    const bool yes = beepAnswers.front();
    beepAnswers.pop_front();
    return yes;
}

QString ScriptedDocumentOperator::readCustomerCard()
{
    log << QStringLiteral("card");
    return card;
}

std::optional<qint64> ScriptedDocumentOperator::newArticle(TableData& articles, const QVariantList& presets)
{
    return newRow(articles, presets);
}

bool ScriptedDocumentOperator::editArticle(TableData& articles, const QString&)
{
    return editRow(articles).has_value();
}

std::optional<ImportOperator::TextSearch> ScriptedDocumentOperator::searchText(const QString& caption, const QString&,
                                                                               bool)
{
    log << QStringLiteral("search ") + caption;
    return search;
}

// ---- the main window -----------------------------------------------------------------------------------

bool RecordingMainWindow::Send_Scontrino(TableData& rows)
{
    Receipt r;
    rows.MoveFirst();
    if (auto sale = rows.GetOwnerRow()) r.saleCompleted = sale->GetBoolValue(QStringLiteral("Completato"));
    for (; !rows.IsEOF(); rows.MoveNext())
        r.rows << QStringLiteral("%1 %2 %3")
                      .arg(rows.GetText(QStringLiteral("Codice")))
                      .arg(rows.GetFieldValue(QStringLiteral("ValoreScarico")).toDouble())
                      .arg(rows.GetCurrencyValue(QStringLiteral("ImportoScarico")).toString());
    receipts.push_back(r);
    return registerWorks;
}

// ---- the shop --------------------------------------------------------------------------------------------

void CounterShop::SetUp()
{
    settings().FiscalPrinterEnabled = true;
    settings().Use_Ricevute = false;
    settings().NCopyRicevute = QStringLiteral("1");
    settings().BackupDir.clear();
    settings().BackupFuncSaveEnabled = true;
    settings().Use_PuntiPremio = false;
    settings().Use_Badge = false;
    settings().Use_PagamentoForniture = false;
    settings().ImportoPunto = 1;
    settings().ImportoPuntoPremio = 0.05;
    settings().PuntiMinPremio = 1000;
    settings().ImportoMaxArticolo = 0;

    headless.useClock(std::make_shared<TickingClock>(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30))));
    setMainWindowServices(&mainWindow);
    setCounterServices(&mainWindow);

    dir = testenv::newDir(QStringLiteral("counter"));
    settings().RootDir = dir;
    m_shop.emplace(testshop::Options {.path = dir + QStringLiteral("/Mirtavolia.mdb"),
                                      .sink = &sink,
                                      .currency = std::make_shared<EuroCurrencyInfo>()});
}

void CounterShop::TearDown()
{
    if (!refusalsExpected) {
        EXPECT_EQ(sink.refusals, QStringList()) << "refused by the table rules";
    }
    if (g_objBackupDBEngine) {
        g_objBackupDBEngine->Close();
        g_objBackupDBEngine.reset();
    }
    m_shop.reset();
    setMainWindowServices(nullptr);
    setCounterServices(nullptr);
}

std::unique_ptr<TableData> CounterShop::select(const QString& table, const QString& condition)
{
    return m_shop->select(table, condition);
}

std::unique_ptr<TableData> CounterShop::row(const QString& table, qint64 oid) { return m_shop->row(table, oid); }

qint64 CounterShop::count(const QString& table, const QString& condition)
{
    return select(table, condition)->RowCount();
}

qint64 CounterShop::keyOf(const QString& table, const QString& value, const QString& field)
{
    auto rows = select(table, field + QStringLiteral(" = ") + db().QuoteText(value));
    rows->MoveFirst();
    EXPECT_FALSE(rows->IsEmpty()) << table.toStdString() << " " << value.toStdString();
    return rows->GetOID();
}

qint64 CounterShop::addArticle(const QString& code, const char* price, double stock, const QString& unit,
                               const char* purchase, const QString& deposit)
{
    return m_shop->addArticle({.code = code,
                               .price = eur(price),
                               .purchasePrice = eur(purchase),
                               .stock = stock,
                               .unit = unit,
                               .deposit = deposit});
}

double CounterShop::stockOf(qint64 article)
{
    return row(QStringLiteral("Articoli"), article)->GetFieldValue(QStringLiteral("ValoreScorta")).toDouble();
}

qint64 CounterShop::addCustomer(const QString& name, const QString& code, bool collectsPoints, qint64 points)
{
    return m_shop->addCustomer(
        {.name = name, .code = code, .fields = {"CalcolaPunti", collectsPoints, "Punti", points}});
}

qint64 CounterShop::pointsOf(qint64 customer)
{
    return row(QStringLiteral("Clienti"), customer)->GetFieldValue(QStringLiteral("Punti")).toLongLong();
}

qint64 CounterShop::addSupplier(const QString& name) { return m_shop->addSupplier(name); }

void CounterShop::addBarcodeLayout(const QString& prefix, int codeAt, int codeLength, int amountAt, int amountLength,
                                   double coefficient)
{
    select(QStringLiteral("CodiciBarre"), QStringLiteral("OID = 0"))
        ->AddRow({QStringLiteral("PrefissoCodice"), prefix, QStringLiteral("PosizioneCodice"), qint64(codeAt),
                  QStringLiteral("LunghezzaCodice"), qint64(codeLength), QStringLiteral("PosizioneImporto"),
                  qint64(amountAt), QStringLiteral("LunghezzaImporto"), qint64(amountLength),
                  QStringLiteral("CoefficienteValuta"), coefficient});
}

QString CounterShop::setting(const QString& section, const QString& key)
{
    return settingsStore().get(section, key, QString());
}

void CounterShop::setSetting(const QString& section, const QString& key, const QString& value)
{
    settingsStore().set(section, key, value);
}

QStringList CounterShop::prompts() const
{
    QStringList out;
    for (const QString& line : m_ui->log())
        if (line.startsWith(QStringLiteral("MSGBOX: ")) || line.startsWith(QStringLiteral("INPUT: ")))
            out << line.section(QStringLiteral(": "), 1);
    return out;
}

int CounterShop::beeps() const { return int(m_ui->log().filter(QStringLiteral("BEEP:")).size()); }
