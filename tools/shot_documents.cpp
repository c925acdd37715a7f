// The sale and supply windows for `mvtool shot`, at work: a sale of five rows for a customer
// who collects points, a supply of three. Without --db over a small sample shop made for the
// picture in a temporary folder; with --db over a shop file, the first articles of its
// catalogue scanned into a new document there (given up when the picture is taken). The
// settings are those stored (points show when they are in use), loaded before the window is
// made; what the window writes goes to a store in memory: a picture changes none of them.
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "base/Currency.h"
#include "core/seams/CustomerCardWriter.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "base/SettingsStore.h"
#include "ShotOptions.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "dialogs/WindowRegistry.h"
#include "devices/cards/ui/frmMagneticDev.h"
#include "documents/ui/frmForniture.h"
#include "documents/ui/frmVendite.h"
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

QVariant money(const char* text)
{
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(text), QLocale::c()));
}

// A card asked for in a document window is read through the card dialog, as in the program.
void useCardDialog() { setCustomerCardReader(&frmMagneticDev::instance()); }

struct Shop {
    QTemporaryDir dir;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    bool sample = true;
};

void fillSample(Database& db)
{
    auto table = [&](const char* name) { return db.Tables().Item(QString::fromLatin1(name))->Select(); };
    table("Fornitori")->AddRow({"Descrizione", "Forno Rossi", "Telefono", "0577 123456"});
    const struct {
        const char* code;
        const char* description;
        const char* price;
        const char* purchase;
    } articles[] = {
        {"8001", "Pane casereccio", "2.40", "1.10"},      {"8002", "Latte intero 1 l", "1.35", "0.80"},
        {"8003", "Mozzarella 125 g", "1.20", "0.70"},     {"8004", "Olio extravergine 1 l", "7.90", "5.20"},
        {"8005", "Caffè macinato 250 g", "3.10", "2.05"},
    };
    auto rows = table("Articoli");
    for (const auto& a : articles)
        rows->AddRow({"Codice", a.code, "Descrizione", QString::fromUtf8(a.description), "PrezzoVendita",
                      money(a.price), "PrezzoAcquisto", money(a.purchase), "ValoreScorta", 40.0});
    table("Clienti")->AddRow(
        {"Descrizione", "Maria Bianchi", "Codice", "C001", "CalcolaPunti", true, "Punti", qint64(500)});
}

Shop& shop()
{
    static Shop s = [] {
        Shop x;
        const mvtool::ShotOptions& o = mvtool::shotOptions();
        x.sample = o.database.isEmpty();
        const QString path = x.sample ? x.dir.path() + QStringLiteral("/Mirtavolia.mdb") : o.database;
        if (!x.sample && !QFile::exists(path))
            throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("File inesistente: ") + path);
        setSettingsStore(std::make_shared<MemorySettingsStore>());
        x.engine = std::make_shared<DBEngine>();
        if (x.sample) x.engine->CreateDatabase(3, path);
        x.engine->OpenDatabase(3, path);
        x.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        x.db->AttachEngine(x.engine);
        x.db->SetAccessLevel(o.level);
        if (x.sample) fillSample(*x.db);
        return x;
    }();
    return s;
}

// The first keys of a table, and its first row's key (0 when it has none).
QList<qint64> firstKeys(const QString& table, int count)
{
    QList<qint64> keys;
    auto rows = shop().db->Tables().Item(table)->Select();
    for (rows->MoveFirst(); !rows->IsEOF() && keys.size() < count; rows->MoveNext()) keys << rows->GetOID();
    return keys;
}

QStringList firstCodes(int count)
{
    QStringList codes;
    auto rows = shop().db->Tables().Item(QStringLiteral("Articoli"))->Select();
    for (rows->MoveFirst(); !rows->IsEOF() && codes.size() < count; rows->MoveNext())
        if (const QString code = rows->GetText(QStringLiteral("Codice")); !code.isEmpty() && !codes.contains(code))
            codes << code;
    return codes;
}

// Codes scanned into the window's code box, as the reader hands them over.
void scan(DocumentForm& window, const QStringList& codes, int times)
{
    for (const QString& code : codes)
        for (int i = 0; i < times; ++i) window.codeBox()->setText(code + u'\r');
}

QWidget* saleInProgress()
{
    Shop& s = shop();
    const QList<qint64> customers
        = s.sample ? firstKeys(QStringLiteral("Clienti"), 10) : firstKeys(QStringLiteral("Clienti"), 1);
    if (customers.isEmpty()) throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Nessun cliente"));
    settingsStore().set(QStringLiteral("Vendite"), QStringLiteral("ClienteDefault"), QString::number(customers.last()));
    useCardDialog();
    auto* w = new frmVendite(*s.db);
    if (!w->Activate()) {
        delete w;
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Impossibile aggiungere la vendita"));
    }
    const QStringList codes = firstCodes(5);
    scan(*w, codes, 1);
    if (!codes.isEmpty()) scan(*w, {codes.first()}, 1);
    // Noon of today rather than this second: two pictures of the same sale are the same.
    w->document().sale()->SetValue(QStringLiteral("DataVendita"), QDateTime(QDate::currentDate(), QTime(12, 0)));
    w->showHeader();
    return w;
}

QWidget* supplyInProgress()
{
    Shop& s = shop();
    const QList<qint64> suppliers = firstKeys(QStringLiteral("Fornitori"), 1);
    const QList<qint64> types = firstKeys(QStringLiteral("TipiDocumento"), 1);
    if (suppliers.isEmpty() || types.isEmpty())
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Nessun fornitore"));
    useCardDialog();
    auto* w = new frmForniture(*s.db);
    // The supplier is always picked: start the supply as the pick would leave it.
    settingsStore().set(QStringLiteral("Forniture"), QStringLiteral("TipoDocDefault"), QString::number(types.first()));
    auto picks = std::make_shared<ScriptedUiServices>(QStringList {QStringLiteral("#%1").arg(suppliers.first())});
    setUiServices(picks);
    const bool started = w->Activate();
    setUiServices(std::make_shared<ScriptedUiServices>());
    if (!started) {
        delete w;
        throw AppError::object(1, QStringLiteral("shot"), QStringLiteral("Impossibile aggiungere la fornitura"));
    }
    w->answerButton(QStringLiteral("Documento=bolla 128/07"));
    scan(*w, firstCodes(3), 2);
    return w;
}

}   // namespace

MV_REGISTER_WINDOW(frmVendite, saleInProgress);
MV_REGISTER_WINDOW(frmForniture, supplyInProgress);
