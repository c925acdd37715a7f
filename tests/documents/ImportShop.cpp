#include "ImportShop.h"

#include "base/Clock.h"
#include "data/DB.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"

#include <QFile>

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

const QString ImportShop::kKeepAll
    = QStringLiteral("Function FilterRow(Flds)\r\n  FilterRow = True\r\nEnd Function\r\n");

// ---- the operator's windows ----------------------------------------------------------------------

std::optional<qint64> ScriptedOperator::pickArticle(TableData& articles)
{
    pickedFrom = int(articles.RowCount());
    log << QStringLiteral("pick %1").arg(pickedFrom);
    for (articles.MoveFirst(); !articles.IsEOF(); articles.MoveNext()) {
        if (pickCode && articles.GetValue(QStringLiteral("Codice")).toString() == *pickCode) return articles.GetOID();
        if (pickDeposit) {
            auto deposit = articles.GetReference(QStringLiteral("Deposito"));
            const QString name
                = deposit->IsEmpty() ? QString() : deposit->GetValue(QStringLiteral("Deposito")).toString();
            if (name == *pickDeposit) return articles.GetOID();
        }
    }
    return std::nullopt;
}

std::optional<qint64> ScriptedOperator::newArticle(TableData& articles, const QVariantList& presets)
{
    log << QStringLiteral("new");
    lastPresets = presets;
    lastHidden.clear();
    for (const FieldDefinition& f : articles.GetTable()->Fields())
        if (f.O2 == FieldDefinition::kSwitchedOff) lastHidden << f.Name;
    if (!saveNewArticles) return std::nullopt;
    return articles.AddRow(presets);
}

bool ScriptedOperator::editArticle(TableData& articles, const QString& startField)
{
    log << QStringLiteral("edit %1 at %2").arg(articles.GetValue(QStringLiteral("Codice")).toString(), startField);
    if (!saveEdits) return false;
    articles.Update();
    return true;
}

std::optional<ImportOperator::TextSearch> ScriptedOperator::searchText(const QString& caption, const QString& preset,
                                                                       bool inside)
{
    log << QStringLiteral("search %1 [%2]%3").arg(caption, preset, inside ? QStringLiteral(" inside") : QString());
    return search;
}

// ---- the shop ------------------------------------------------------------------------------------

void ImportShop::SetUp()
{
    headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 15, 30)));
    dir = testenv::newDir(QStringLiteral("import"));
    m_shop.emplace(testshop::Options {.path = dir + QStringLiteral("/Mirtavolia.mdb"),
                                      .currency = std::make_shared<EuroCurrencyInfo>()});
    supplier = m_shop->addSupplier(QStringLiteral("Grossista Nord"));
}

void ImportShop::closeDatabase()
{
    supplyRows.reset();
    supply.reset();
    m_shop->close();
}

void ImportShop::TearDown() { closeDatabase(); }

std::unique_ptr<TableData> ImportShop::select(const QString& table, const QString& condition)
{
    return m_shop->select(table, condition);
}

qint64 ImportShop::addArticle(const QString& code, const QString& description, const char* purchasePrice,
                              const QString& deposit, double stock)
{
    return m_shop->addArticle({.code = code,
                               .description = description,
                               .price = eur("9.90"),
                               .purchasePrice = eur(purchasePrice),
                               .stock = stock,
                               .deposit = deposit});
}

double ImportShop::stockOf(qint64 article)
{
    return select(QStringLiteral("Articoli"), QStringLiteral("OID = %1").arg(article))
        ->GetFieldValue(QStringLiteral("ValoreScorta"))
        .toDouble();
}

qint64 ImportShop::addLayout(const QList<LayoutColumn>& fields, const QString& filter,
                             const QList<LineSelection>& selections, bool conversion, double coefficient,
                             const QString& sourceFile)
{
    auto layouts = select(QStringLiteral("TracciatiFornitura"), QStringLiteral("OID = 0"));
    const qint64 key = layouts->AddRow(
        {QStringLiteral("FileSorgente"), sourceFile.isEmpty() ? dir + QStringLiteral("/fornitura.txt") : sourceFile,
         QStringLiteral("Note"), QStringLiteral("Tracciato di prova"), QStringLiteral("VBFilter"), filter,
         QStringLiteral("ConversioneValuta"), conversion, QStringLiteral("CoefficienteValuta"), coefficient});
    EXPECT_EQ(layouts->GetOID(), key);   // the new layout is the current row
    auto campi = layouts->GetReference(QStringLiteral("Campi"));
    for (const LayoutColumn& f : fields) {
        const qint64 field = campi->AddRow(
            {QStringLiteral("NomeCampo"), f.name, QStringLiteral("Posizione"), qint64(f.position),
             QStringLiteral("Lunghezza"), qint64(f.length), QStringLiteral("CampoNumerico"), f.type == 'N',
             QStringLiteral("CampoImporto"), f.type == 'A', QStringLiteral("RilevaDifferenze"), f.compare,
             QStringLiteral("ValoreMaxDifferenza"), f.tolerance});
        layouts->SetReferenceOID(QStringLiteral("Campi"), field);
    }
    auto selezioni = layouts->GetReference(QStringLiteral("Selezioni"));
    for (const LineSelection& s : selections) {
        const qint64 rule
            = selezioni->AddRow({QStringLiteral("Posizione"), qint64(s.position), QStringLiteral("Contenuto"),
                                 s.content, QStringLiteral("Escludi"), s.exclude});
        layouts->SetReferenceOID(QStringLiteral("Selezioni"), rule);
    }
    auto owner = select(QStringLiteral("Fornitori"), QStringLiteral("OID = %1").arg(supplier));
    owner->MoveFirst();
    owner->AddToList(QStringLiteral("Tracciati"), key);
    return key;
}

std::unique_ptr<TableData> ImportShop::layouts()
{
    auto owner = select(QStringLiteral("Fornitori"), QStringLiteral("OID = %1").arg(supplier));
    owner->MoveFirst();
    return owner->GetReference(QStringLiteral("Tracciati"));
}

DeliveryLayout ImportShop::layout(qint64 key)
{
    auto row = select(QStringLiteral("TracciatiFornitura"), QStringLiteral("OID = %1").arg(key));
    row->MoveFirst();
    return DeliveryLayout::fromRow(*row);
}

QString ImportShop::writeBytes(const QByteArray& bytes, const QString& name)
{
    const QString path = dir + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(bytes);
    return path;
}

QString ImportShop::writeFile(const QStringList& lines, const QString& name)
{
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toLatin1() + "\r\n";
    return writeBytes(bytes, name);
}

void ImportShop::openSupply()
{
    supply = m_shop->row(QStringLiteral("Forniture"), m_shop->addSupply({.counterpart = supplier}));
    supplyRows = supply->GetReference(QStringLiteral("Articoli"));
}
