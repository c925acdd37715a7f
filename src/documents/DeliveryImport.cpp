#include "DeliveryImport.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include "objdb/DatabaseOperation.h"
#include "DeliveryFileReader.h"
#include "core/lifecycle/ErrorReporting.h"
#include "ImportOperator.h"
#include "objdb/ObjDbError.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include "vbscript/Variant.h"
#include <cmath>

namespace {
const QString kSource = QStringLiteral("DeliveryImport");
const QString kCodice = QStringLiteral("Codice");
const QString kDescrizione = QStringLiteral("Descrizione");
const QString kSetCodeHint
    = QStringLiteral("Devi impostare il codice dell'articolo mediante l'Associazione o l'Inserimento...");

// A value as the script language writes it into a text ("12,5" for an amount); Null as nothing.
QString shownText(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return QString();
    return vbs::Variant::fromQVariant(value).toString();
}

QString rightTrimmed(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ') --end;
    text.truncate(end);
    return text;
}

// A value reads as a number the way the script language reads it.
std::optional<double> numberOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return std::nullopt;
    try {
        return vbs::Variant::fromQVariant(value).toDouble();
    } catch (const AppError&) {
        return std::nullopt;
    }
}
}   // namespace

DeliveryImport::DeliveryImport(Database& db, ImportOperator& op, ImportFeedback* feedback)
    : m_db(db), m_op(op), m_loop(feedback), m_lookup(db)
{ }

DeliveryImport::~DeliveryImport() = default;

void DeliveryImport::reportError()
{
    const AppError e = CurrentError();
    if (!objdb::isRefusal(e)) ShowErrorDetails(e);
}

// Read values the operator did not take into the editor are not left pending in the
// article, where the next change through it (a supply row, say) would store them.
void DeliveryImport::releaseArticle()
{
    if (!m_article) return;
    try {
        if (!m_article->HasNoCurrentRow()) m_article->CancelUpdate();
    } catch (...) { }
    m_article.reset();
}

// ---- layouts -------------------------------------------------------------------------------------

void DeliveryImport::setLayouts(TableData& layouts)
{
    m_layouts.clear();
    for (layouts.MoveFirst(); !layouts.IsEOF(); layouts.MoveNext())
        m_layouts.push_back(DeliveryLayout::fromRow(layouts));
    m_chosen = m_layouts.empty() ? -1 : 0;
    m_imported = false;
    m_checkDone = false;
}

QStringList DeliveryImport::layoutEntries() const
{
    QStringList entries;
    for (const DeliveryLayout& l : m_layouts) entries << l.sourceFile;
    return entries;
}

void DeliveryImport::chooseLayout(int index)
{
    if (index >= 0 && index < int(m_layouts.size())) m_chosen = index;
}

const DeliveryLayout* DeliveryImport::layout() const { return m_chosen >= 0 ? &m_layouts[size_t(m_chosen)] : nullptr; }

QString DeliveryImport::sourceFile() const { return layout() ? layout()->sourceFile : QString(); }

// ---- reading -------------------------------------------------------------------------------------

bool DeliveryImport::askToRead() const
{
    return layout()
        && ui().msgBox(QStringLiteral("Lettura dei dati della fornitura da:\r\r") + sourceFile(),
                       int(Msg::OKCancel) | Msg::Information)
        == Msg::OK;
}

bool DeliveryImport::confirmAndRead() { return askToRead() && readAfterQuestion(); }

bool DeliveryImport::readAfterQuestion()
{
    m_loop.feedback().showMessage(QStringLiteral("Lettura dei dati..."));
    m_loop.feedback().letEventsRun();
    return read();
}

bool DeliveryImport::read(const QString& path)
{
    const DeliveryLayout* chosen = layout();
    if (!chosen) return false;
    BusyScope busy(m_loop.feedback(), m_busy);
    m_table = std::make_unique<DeliveryTable>();
    m_current = -1;
    m_checkStart = -1;
    m_checkDone = false;
    m_readFailed = false;
    DeliveryFileReader reader(*chosen, &m_db);
    try {
        reader.read(path.isEmpty() ? chosen->sourceFile : path, *m_table, &m_loop);
    } catch (const DeliveryReadError& e) {
        m_linesRead = reader.linesRead();
        // What was read up to the error stays for a look, but a part of a delivery is never loaded.
        m_readFailed = true;
        ui().msgBox(e.messageText(), int(Msg::OKOnly) | Msg::Critical);
        return false;
    }
    m_linesRead = reader.linesRead();
    m_table->sortForDisplay();
    if (!m_table->isEmpty()) m_current = 0;
    m_loop.feedback().showMessage(QStringLiteral("%1 Records").arg(m_table->rowCount()));
    return true;
}

// ---- rows ----------------------------------------------------------------------------------------

void DeliveryImport::setCurrentRow(qsizetype row)
{
    if (m_table && row >= 0 && row < m_table->rowCount()) m_current = row;
}

int DeliveryImport::requiredColumn(const QString& name) const
{
    const int column = m_table ? m_table->indexOf(name) : -1;
    if (column < 0)
        throw AppError(AppError::kInvalidCall, kSource,
                       QStringLiteral("Il tracciato non contiene il campo <%1>").arg(name));
    return column;
}

// The code of a row as every step uses it: trimmed, so that the blanks a file pads its codes
// with never make an article look missing.
QString DeliveryImport::code(qsizetype row) const
{
    return m_table->value(row, requiredColumn(kCodice)).toString().trimmed();
}

void DeliveryImport::setCode(qsizetype row, qint64 article)
{
    auto found = m_lookup.byKey(article);
    m_table->setValue(row, requiredColumn(kCodice), found->GetValue(kCodice));
    m_table->setArticle(row, article);
}

bool DeliveryImport::rowNeedsArticle(qsizetype row) const
{
    if (!m_table || row < 0 || row >= m_table->rowCount()) return false;
    const QString c = code(row);
    return c.isEmpty() || !m_lookup.exists(c);
}

ArticleLookup::Match DeliveryImport::resolve(qsizetype row)
{
    // A row settled once (found, picked among several, associated or created) keeps its
    // article until its code changes, so the operator is not asked again.
    if (const qint64 known = m_table->article(row)) {
        if (m_lookup.existsKey(known)) return {ArticleLookup::Outcome::Found, known};
        m_table->setArticle(row, 0);
    }
    const ArticleLookup::Match match = m_lookup.resolve(code(row), m_op);
    if (match.outcome == ArticleLookup::Outcome::Found) m_table->setArticle(row, match.article);
    return match;
}

// ---- the check of one row ------------------------------------------------------------------------

bool DeliveryImport::checkRow(qsizetype row, bool autoCreate, bool test)
{
    try {
        const bool ok = check(row, autoCreate, test) == Check::Ok;
        releaseArticle();
        return ok;
    } catch (...) {
        releaseArticle();
        reportError();
        return false;
    }
}

DeliveryImport::Check DeliveryImport::check(qsizetype row, bool autoCreate, bool test)
{
    m_current = row;
    m_loop.feedback().showRow(row);
    const QString c = code(row);
    if (c.isEmpty()) {
        ui().msgBox(QStringLiteral("Codice dell'articolo mancante\r\r") + kSetCodeHint,
                    int(Msg::OKOnly) | Msg::Information);
        m_loop.feedback().focusGrid();
        return Check::MissingCode;
    }
    const ArticleLookup::Match match = resolve(row);
    if (match.outcome == ArticleLookup::Outcome::NotChosen) {
        m_loop.feedback().focusGrid();
        return Check::NotChosen;
    }
    if (match.outcome == ArticleLookup::Outcome::None) {
        if (autoCreate && !test) {
            if (addArticleAutomatically(row)) return Check::Ok;
            m_loop.feedback().focusGrid();
            return Check::NotCreated;
        }
        if (autoCreate || !test) return Check::Ok;
        ui().msgBox(QStringLiteral("Codice dell'articolo <%1> inesistente\r\r").arg(c) + kSetCodeHint,
                    int(Msg::OKOnly) | Msg::Information);
        m_loop.feedback().focusGrid();
        return Check::Unknown;
    }
    if (!test) return Check::Ok;
    return compareWithArticle(row, match.article);
}

DeliveryImport::Check DeliveryImport::compareWithArticle(qsizetype row, qint64 article)
{
    m_article = m_lookup.byKey(article);
    TableData& a = *m_article;
    QString report;
    for (const LayoutField& f : layout()->fields) {
        if (!f.compare) continue;
        const int column = m_table->indexOf(f.name);
        if (column < 0) continue;
        const QVariant read = m_table->value(row, column);
        // A field the line did not hold says nothing about the article.
        if (!read.isValid() || read.isNull()) continue;
        bool differs = false;
        switch (m_table->column(column).kind) {
        case DeliveryTable::Kind::Amount: {
            // Amounts compare exactly: 12,30 against 12,20 with a tolerance of 0,10 is no difference.
            const Currency difference = (read.value<Currency>() - a.GetCurrencyValue(f.name)).abs();
            differs = difference > Currency::fromDouble(f.tolerance);
            break;
        }
        case DeliveryTable::Kind::Number: {
            const double difference = std::fabs(read.toDouble() - a.GetFieldValue(f.name).toDouble());
            differs
                = difference > f.tolerance && difference - f.tolerance > 1e-9 * std::max(1.0, std::fabs(f.tolerance));
            break;
        }
        case DeliveryTable::Kind::Text: differs = read.toString() != a.GetFieldValue(f.name).toString(); break;
        }
        if (!differs) continue;
        report += QStringLiteral("\r%1:  CORRENTE  < %2 >   -  NUOVO  < %3 >\r")
                      .arg(a.GetFieldInfo(f.name).Caption, shownText(a.GetValue(f.name)), shownText(read));
        a.SetValue(f.name, read);
    }
    if (report.isEmpty()) return Check::Ok;
    const QString question = QStringLiteral("< %1 - %2 >\r")
                                 .arg(shownText(a.GetValue(kCodice)), rightTrimmed(shownText(a.GetValue(kDescrizione))))
        + report + QStringLiteral("\rMantenere i valori correnti ?");
    if (ui().msgBox(question, int(Msg::YesNo) | Msg::Question | Msg::DefaultButton2,
                    QStringLiteral("Rilevata incongruenza..."))
        == Msg::Yes) {
        a.CancelUpdate();
        return Check::Ok;
    }
    return Check::Differs;
}

// ---- creating an article -------------------------------------------------------------------------

QStringList DeliveryImport::hiddenArticleFields()
{
    return {QStringLiteral("ValoreScorta"), QStringLiteral("PrezzoAcquistoMedio"), QStringLiteral("DataInserimento"),
            QStringLiteral("DataModifica")};
}

QVariantList DeliveryImport::articlePresets(qsizetype row) const
{
    // Fields switched off (by an option, or for the new article's editor) are as good as absent.
    TableObject& articoli = *m_db.Tables().Item(QStringLiteral("Articoli"));
    QVariantList pairs;
    for (const FieldDefinition& f : articoli.Fields()) {
        if (f.O2 == FieldDefinition::kSwitchedOff) continue;
        const int column = m_table->indexOf(f.Name);
        if (column < 0) continue;
        QVariant value = m_table->value(row, column);
        if (f.Name.compare(QStringLiteral("PrezzoVendita"), Qt::CaseInsensitive) == 0
            || f.Name.compare(QStringLiteral("PrezzoAcquisto"), Qt::CaseInsensitive) == 0) {
            const std::optional<double> number = numberOf(value);
            if (!number || *number == 0) continue;
            value = QVariant::fromValue(vbs::Variant::fromQVariant(value).toCurrency());
        } else if (f.Name == kCodice) {
            value = value.toString().trimmed();
        }
        pairs << f.Name << value;
    }
    for (const ReferenceDefinition& r : articoli.References()) {
        if (r.IsList) continue;
        const int column = m_table->indexOf(r.Name);
        if (column >= 0) pairs << r.Name << m_table->value(row, column);
    }
    return pairs;
}

std::optional<qint64> DeliveryImport::addArticleAutomatically(qsizetype row)
{
    try {
        TableObject& articoli = *m_db.Tables().Item(QStringLiteral("Articoli"));
        const SwitchedOffFields switchedOff(articoli, hiddenArticleFields());
        const QVariantList presets = articlePresets(row);
        auto articles = articoli.Select();
        const std::optional<qint64> created = m_op.newArticle(*articles, presets);
        if (!created || *created == 0) return std::nullopt;
        setCode(row, *created);
        return created;
    } catch (...) {
        const AppError e = CurrentError();
        ui().msgBox(QStringLiteral("Impossibile aggiungere l'articolo automaticamente\r\r") + e.description,
                    int(Msg::OKOnly) | Msg::Exclamation);
        return std::nullopt;
    }
}

// ---- commands ------------------------------------------------------------------------------------

void DeliveryImport::checkPass(bool autoTicked)
{
    if (m_busy) return;
    try {
        BusyScope busy(m_loop.feedback(), m_busy);
        if (!hasRows()) return;
        struct Release {
            DeliveryImport& import;
            ~Release() { import.releaseArticle(); }
        } release {*this};
        const qsizetype rows = m_table->rowCount();
        if (m_current < 0 || m_current >= rows) m_current = 0;
        // A new pass starts where the operator stands, one row on when the last pass started there.
        if (m_current == m_checkStart) m_current = (m_current + 1) % rows;
        m_checkStart = m_current;
        m_loop.start();
        ProgressPace pace(rows);
        qint64 counted = 0;
        do {
            const Check outcome = check(m_current, false, true);
            if (outcome != Check::Ok) {
                if (!autoTicked || outcome == Check::NotChosen) {
                    m_loop.feedback().focusGrid();
                    return;
                }
                if (outcome == Check::Differs) {
                    const bool saved = m_op.editArticle(*m_article, QString());
                    releaseArticle();
                    if (!saved) return;
                } else if (!addArticleAutomatically(m_current)) {
                    return;
                }
            }
            releaseArticle();
            if (++counted % 10 == 0 && pace.due(counted) && m_loop.checkpoint()) return;
            m_current = (m_current + 1) % rows;
        } while (m_current != m_checkStart);
        m_loop.feedback().showRow(m_current);
        ui().msgBox(QStringLiteral("Controllo completato"), int(Msg::OKOnly) | Msg::Information);
        m_checkDone = true;
    } catch (...) {
        reportError();
    }
}

bool DeliveryImport::importPass(bool autoTicked)
{
    if (m_readFailed || !m_table) return false;
    if (!m_checkDone) {
        if (ui().msgBox(QStringLiteral("Non è stato completato il test di rilevazione incongruenze...\r\r"
                                       "Completare le verifiche prima di importare ?"),
                        int(Msg::YesNo) | Msg::Question)
            == Msg::Yes) {
            checkPass(autoTicked);
            if (!m_checkDone) return false;
        }
    }
    if (m_busy) return false;
    try {
        {
            BusyScope busy(m_loop.feedback(), m_busy);
            if (hasRows()) {
                m_loop.start();
                ProgressPace pace(m_table->rowCount());
                for (qsizetype row = 0; row < m_table->rowCount(); ++row) {
                    if (check(row, autoTicked, false) != Check::Ok) return false;
                    if ((row + 1) % 2 == 0 && pace.due(row + 1) && m_loop.checkpoint()) return false;
                }
            }
        }
        if (ui().msgBox(QStringLiteral("Controllo completato.\r\rProseguire con il carico?"),
                        int(Msg::YesNo) | Msg::Information)
            != Msg::Yes)
            return false;
        m_imported = true;
        return true;
    } catch (...) {
        reportError();
        return false;
    }
}

bool DeliveryImport::associate(qsizetype row)
{
    if (m_busy || !m_table || row < 0 || row >= m_table->rowCount()) return false;
    try {
        const QVariant description = m_table->value(row, kDescrizione);
        const std::optional<ImportOperator::TextSearch> search
            = m_op.searchText(kDescrizione, description.isValid() ? description.toString() : QString(), true);
        if (!search) return false;
        QString condition;
        if (!search->text.isEmpty())
            condition = QStringLiteral("Articoli.Descrizione Like ")
                + m_db.QuoteText(search->inside ? u'*' + search->text + u'*' : search->text + u'*');
        auto articles
            = m_db.Tables().Item(QStringLiteral("Articoli"))->Select(condition, QStringLiteral("Articoli.Descrizione"));
        const std::optional<qint64> picked = m_op.pickArticle(*articles);
        if (!picked || *picked == 0) return false;
        setCode(row, *picked);
        return true;
    } catch (...) {
        reportError();
        return false;
    }
}

bool DeliveryImport::insertArticle(qsizetype row)
{
    if (m_busy || !m_table || row < 0 || row >= m_table->rowCount()) return false;
    try {
        BusyScope busy(m_loop.feedback(), m_busy);
        return addArticleAutomatically(row).has_value();
    } catch (...) {
        reportError();
        return false;
    }
}

bool DeliveryImport::editArticle(qsizetype row)
{
    if (m_busy || !m_table || row < 0 || row >= m_table->rowCount()) return false;
    try {
        const ArticleLookup::Match match = resolve(row);
        if (match.outcome != ArticleLookup::Outcome::Found) return false;
        auto article = m_lookup.byKey(match.article);
        return m_op.editArticle(*article, QStringLiteral("PrezzoVendita"));
    } catch (...) {
        reportError();
        return false;
    }
}

void DeliveryImport::setAdditionalCodes()
{
    if (ui().msgBox(QStringLiteral("ATTENZIONE! - Questa operazione imposta i codici aggiuntivi e deve essere guidata "
                                   "da supporto tecnico...\r\rContinuare ?\r\r"),
                    int(Msg::YesNo) | Msg::Exclamation | Msg::DefaultButton2)
        != Msg::Yes)
        return;
    try {
        {
            BusyScope busy(m_loop.feedback(), m_busy);
            if (hasRows()) {
                const int additional = requiredColumn(QStringLiteral("CodiceAggiuntivo"));
                m_loop.start();
                ProgressPace shown(m_table->rowCount()), stop(m_table->rowCount());
                for (qsizetype row = 0; row < m_table->rowCount(); ++row) {
                    if (!code(row).isEmpty()) {
                        const ArticleLookup::Match match = resolve(row);
                        if (match.outcome == ArticleLookup::Outcome::Found) {
                            auto article = m_lookup.byKey(match.article);
                            article->SetValue(QStringLiteral("CodiceAggiuntivo"), m_table->value(row, additional));
                            article->Update();
                        }
                    }
                    if (shown.due(row + 1)) m_loop.feedback().showMessage(QString::number(row + 1));
                    if ((row + 1) % 2 == 0 && stop.due(row + 1) && m_loop.checkpoint()) return;
                }
            }
        }
        ui().msgBox(QStringLiteral("Aggiornamento completato."), Msg::OKOnly);
    } catch (...) {
        reportError();
    }
}

// ---- adding the rows to the supply ---------------------------------------------------------------

bool DeliveryImport::addRowsToSupply(TableData& supply, TableData& supplyRows, ImportFeedback* caller)
{
    if (m_readFailed) return false;
    if (!hasRows() || !m_imported) return m_imported;
    ImportFeedback none;
    ImportFeedback& pointer = caller ? *caller : none;
    bool busy = false;
    BusyScope hourglass(pointer, busy);
    pointer.letEventsRun();
    try {
        const int quantity = requiredColumn(QStringLiteral("ValoreCarico"));
        const int price = requiredColumn(QStringLiteral("PrezzoAcquisto"));
        requiredColumn(kCodice);
        const QString parent = QStringLiteral("objParent");
        const QString purchasePrice = QStringLiteral("PrezzoAcquisto");
        const QString loaded = QStringLiteral("ValoreCarico");
        DatabaseOperation operation(m_db);
        for (qsizetype row = 0; row < m_table->rowCount(); ++row) {
            if (code(row).isEmpty()) continue;
            // The article the passes settled is taken as it is: adding the row finds out
            // whether it is still there, and only a row whose article went since is looked
            // up again by its code.
            qint64 article = m_table->article(row);
            const bool settled = article != 0;
            if (!settled) {
                const ArticleLookup::Match match = resolve(row);
                if (match.outcome != ArticleLookup::Outcome::Found)
                    continue;   // no article of that code: the row is not loaded
                article = match.article;
            }
            const QVariant q = m_table->value(row, quantity);
            const QVariant p = m_table->value(row, price);
            if (!q.isValid() || !p.isValid())
                throw AppError(AppError::kInvalidCall, kSource,
                               QStringLiteral("Articolo <%1>: quantità o prezzo di acquisto mancante nella fornitura")
                                   .arg(code(row)));
            const QVariantList values {parent,        article,
                                       purchasePrice, QVariant::fromValue(vbs::Variant::fromQVariant(p).toCurrency()),
                                       loaded,        vbs::Variant::fromQVariant(q).toDouble()};
            try {
                supplyRows.AddRow(values);
            } catch (const AppError& e) {
                // The row's own step of the operation is undone already; the rows before it stay.
                if (!settled || e.number != objdb::errorNumber(objdb::UnknownReference)) throw;
                m_table->setArticle(row, 0);
                const ArticleLookup::Match match = resolve(row);
                if (match.outcome != ArticleLookup::Outcome::Found) continue;
                QVariantList again = values;
                again[1] = match.article;
                supplyRows.AddRow(again);
            }
        }
        operation.Commit();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        // Nothing was added: the supply and its rows are shown again as they are stored.
        try {
            supply.CancelUpdate();
            supply.Refresh();
            supplyRows.Requery();
        } catch (...) { }
        if (!objdb::isRefusal(e)) ShowErrorDetails(e);
        return false;
    }
}
