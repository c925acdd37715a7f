#include "Database.h"
#include "DatabaseJetSchema.h"
#include "DBEngine.h"
#include "LruCache.h"
#include "Notify.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "SqlConnection.h"
#include "TableObject.h"
#include <QJsonDocument>
#include <cmath>

using namespace objdb;

namespace {
const QString kSource = QStringLiteral("Database");

QString liveKey(const DBEngine& engine, const QString& table, qint64 oid)
{
    return QStringLiteral("%1|%2|%3").arg(quintptr(&engine)).arg(table.toLower()).arg(oid);
}
}

// --- TableCollection ------------------------------------------------------------------------

int TableCollection::Count() const { return int(m_ordered.size()); }

TableObject* TableCollection::Item(int position) const
{
    if (position < 1 || position > int(m_ordered.size()))
        throw objdb::error(UnknownTable, kSource, QStringLiteral("Tabella in posizione %1 inesistente").arg(position));
    return m_ordered[size_t(position - 1)];
}

TableObject* TableCollection::Item(const QString& name) const
{
    TableObject* t = m_byName.value(name.toLower());
    if (!t) throw objdb::error(UnknownTable, kSource, QStringLiteral("Tabella '%1' inesistente").arg(name));
    return t;
}

bool TableCollection::Contains(const QString& name) const { return m_byName.contains(name.toLower()); }

// --- Database ---------------------------------------------------------------------------

Database::Database(std::shared_ptr<itfDefDatabase> definition, QString name, itfNotifyEvent* sink)
    : m_definition(std::move(definition)), m_name(std::move(name)), m_sink(sink),
      m_currency(std::make_shared<SimpleCurrencyInfo>(QStringLiteral("Euro"), 2)),
      m_translations(std::make_unique<LruCache<JetPieces>>(256))
{
    auto t = std::make_unique<TableSchema>();
    t->name = QStringLiteral("_objdb_connections");
    t->identity.Caption = QStringLiteral("Connessioni");
    auto add = [&](const char* n, int type) {
        FieldSchema f;
        f.def.Name = QString::fromLatin1(n);
        f.def.TypeCode = type;
        f.kind = kindOf(type);
        t->fields.push_back(f);
    };
    add("Computer", FieldType::Text);
    add("Utente", FieldType::Text);
    add("Processo", FieldType::Integer);
    add("Apertura", FieldType::DateTime);
    t->system = true;
    t->excludedFromCopy = true;
    t->buildLookup();
    m_connectionsSchema = std::move(t);
    m_connectionsTable = std::make_unique<TableObject>(*this, *m_connectionsSchema);
    m_tables.m_byName.insert(m_connectionsSchema->name.toLower(), m_connectionsTable.get());
}

Database::~Database() = default;

void Database::addTable(std::unique_ptr<TableSchema> schema)
{
    auto obj = std::make_unique<TableObject>(*this, *schema);
    m_tables.m_ordered.push_back(obj.get());
    m_tables.m_byName.insert(schema->name.toLower(), obj.get());
    m_tableObjects.push_back(std::move(obj));
    m_schemas.push_back(std::move(schema));
}

void Database::buildFromDefinition()
{
    m_declared = std::make_unique<DatabaseDefinition>();
    m_definition->Define(*m_declared);
    for (const auto& def : m_declared->tables()) {
        TableIdentity identity;
        def->DefineIdentity(identity);
        FieldDefinitions fields;
        IndexDefinitions indexes;
        ReferenceDefinitions refs;
        def->DefineStructure(fields, indexes, refs);
        auto t = std::make_unique<TableSchema>();
        // The table is named like its class; the caption is only what is shown.
        t->identity = identity;
        t->definition = def;
        t->handler = def->DefineDefaultData();
        for (const auto& f : fields.fields()) {
            FieldSchema fs;
            fs.def = f;
            fs.kind = kindOf(f.TypeCode);
            t->fields.push_back(fs);
        }
        for (const auto& r : refs.references()) {
            RefSchema rs;
            rs.def = r;
            t->refs.push_back(rs);
        }
        for (const auto& ix : indexes.indexes()) {
            IndexSchema is;
            is.name = ix->Name;
            is.unique = ix->Unique;
            is.emptyIsValue = ix->EmptyIsValue;
            is.fields = ix->Fields;
            t->indexes.push_back(is);
        }
        t->columnOrder = indexes.columnOrder();
        t->name = def->TableName();
        addTable(std::move(t));
    }
}

void Database::link()
{
    for (auto& t : m_schemas) {
        t->buildLookup();
        t->parent = t->isChild() ? schema(t->identity.ParentTable) : nullptr;
        t->ownedBy.clear();
        for (auto& ix : t->indexes) {
            ix.columns.clear();
            for (const QString& f : ix.fields) {
                if (const RefSchema* r = t->ref(f); r && !r->isList())
                    ix.columns << r->def.column();
                else
                    ix.columns << f;
            }
            QString base = ix.name.isEmpty() ? ix.fields.join(u'_') : ix.name;
            ix.sqlName = t->name + QStringLiteral("$") + base;
        }
    }
    for (auto& t : m_schemas) {
        for (auto& r : t->refs) {
            r.target = schema(r.def.TargetTable);
            if (r.target && r.isList() && r.def.IsOwned) r.target->ownedBy.emplace_back(t.get(), &r);
        }
    }
    for (auto& t : m_schemas) {
        QString key;
        for (auto& other : m_schemas) {
            for (auto& r : other->refs)
                if (key.isEmpty() && r.target == t.get() && !r.def.KeyField.isEmpty() && t->field(r.def.KeyField))
                    key = t->field(r.def.KeyField)->def.Name;
        }
        if (key.isEmpty() && t->field(QStringLiteral("Codice"))) key = QStringLiteral("Codice");
        if (key.isEmpty())
            for (auto& ix : t->indexes)
                if (key.isEmpty() && ix.unique && !ix.fields.isEmpty() && t->field(ix.fields.first()))
                    key = t->field(ix.fields.first())->def.Name;
        t->keyFieldName = key;
    }
}

TableSchema* Database::schema(const QString& name) const
{
    TableObject* t = m_tables.m_byName.value(name.toLower());
    return t ? &t->schema() : nullptr;
}

std::vector<const RefSchema*> Database::listsTo(const TableSchema& table) const
{
    std::vector<const RefSchema*> lists;
    for (const auto& t : m_schemas)
        for (const auto& r : t->refs)
            if (r.isList() && (r.target == &table || r.def.TargetTable.compare(table.name, Qt::CaseInsensitive) == 0))
                lists.push_back(&r);
    return lists;
}

TableObject* Database::FindTable(const QString& name) const { return m_tables.m_byName.value(name.toLower()); }

std::shared_ptr<DBEngine> Database::GetEngine() const
{
    for (const auto& w : m_engines)
        if (auto e = w.lock()) return e;
    return nullptr;
}

bool Database::isAttached(const DBEngine& engine) const
{
    for (const auto& w : m_engines)
        if (w.lock().get() == &engine) return true;
    return false;
}

void Database::Close()
{
    m_state = kClosed;
    m_engines.clear();
}

std::shared_ptr<CurrencyInfo> Database::ConversionCurrency() const
{
    return m_currency ? m_currency->Conversion() : nullptr;
}

Currency Database::ConvertAmount(Currency amount, bool convert, double factor) const
{
    long double v = amount.toLongDouble() * static_cast<long double>(factor);
    int decimals = 4;
    if (convert) {
        if (auto conv = ConversionCurrency()) {
            v *= static_cast<long double>(conv->Rate());
            decimals = conv->Decimals();
        } else if (m_currency) {
            decimals = m_currency->Decimals();
        }
    } else if (m_currency) {
        decimals = m_currency->Decimals();
    }
    return Currency::roundedTo(v, decimals);
}

QString Database::QuoteText(const QString& text) const
{
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QString Database::FormatDateLiteral(const QDateTime& value, bool withTime) const
{
    return JetTranslator::JetDateLiteral(value, withTime);
}

JetPieces Database::translated(JetPieces::Kind kind, const QString& table, const QString& jet, const QString& fieldList)
{
    // The text's length first: no text and field list can pass for another pair.
    const QString key
        = QString::number(int(kind)) + u'|' + table + u'|' + QString::number(jet.size()) + u'|' + jet + fieldList;
    if (const JetPieces* known = m_translations->find(key)) return *known;
    DatabaseJetSchema jetSchema(*this);
    JetPieces pieces = JetTranslator(&jetSchema).translatePieces(kind, table, jet, fieldList);
    m_translations->insert(key, pieces);
    return pieces;
}

QString Database::ConnectionsName() const { return m_connectionsSchema->name; }

Database::QueryRows Database::RunQuery(const QString& jetSql, const std::shared_ptr<DBEngine>& e)
{
    std::shared_ptr<DBEngine> engine = e ? e : GetEngine();
    if (!engine) throw objdb::error(NotOpen, kSource, QStringLiteral("Database non aperto"));
    DatabaseJetSchema jetSchema(*this);
    const QString sql = JetTranslator(&jetSchema).translate(jetSql);
    QueryRows r;
    SqlConnection::Stmt st = engine->sql().prepare(sql);
    if (st.columns() == 0) {
        OpScope op(*this, OpKind::Bulk);
        SqlConnection& c = writer(*engine);
        SqlConnection::Stmt w = c.prepare(sql);
        r.changed = w.exec();
        op.commit();
        return r;
    }
    for (int i = 0; i < st.columns(); ++i) r.columns << st.columnName(i);
    while (st.next()) {
        QVariantList row;
        for (int i = 0; i < st.columns(); ++i) row << st.value(i);
        r.rows << row;
    }
    return r;
}

// --- attaching ------------------------------------------------------------------------------

// A table stored at a version above the declared one was upgraded by a later program: this
// one knows neither its new columns nor its rules, and declaring it again would write the old
// version over the new.
void Database::refuseNewerTables(DBEngine& engine)
{
    SqlConnection& c = engine.sql();
    if (!c.tableExists(QStringLiteral("_objdb_tables"))) return;
    for (const auto& t : m_schemas) {
        if (!t->identity.Version) continue;
        const QVariant stored = c.scalar(QStringLiteral("SELECT Version FROM _objdb_tables WHERE Name=?"), {t->name});
        if (stored.isNull() || stored.toDouble() <= *t->identity.Version) continue;
        throw objdb::error(
            NewerFile, kSource,
            QStringLiteral("Il database < %1 > è di una versione più recente del programma (tabella <%2> "
                           "versione %3, questa versione la conosce fino alla %4): non viene aperto né "
                           "modificato")
                .arg(engine.Path(), t->name, QString::number(stored.toDouble()),
                     QString::number(*t->identity.Version)));
    }
}

void Database::checkStoredTables(DBEngine& engine)
{
    refuseNewerTables(engine);
    SqlConnection& c = engine.sql();
    for (const auto& t : m_schemas) {
        auto st = c.prepare(QStringLiteral("SELECT Version FROM _objdb_tables WHERE Name=?"));
        st.bind(1, t->name);
        const bool stored = c.tableExists(t->name) && st.next();
        const QVariant version = stored ? st.value(0) : QVariant();
        const bool sameVersion
            = t->identity.Version ? !version.isNull() && version.toDouble() == *t->identity.Version : version.isNull();
        if (!stored || !sameVersion)
            throw objdb::error(
                ReadOnly, kSource,
                QStringLiteral("La tabella <%1> del database < %2 > deve essere creata o aggiornata, ma il "
                               "database è aperto in sola lettura")
                    .arg(t->name, engine.Path()));
    }
}

void Database::AttachEngine(const std::shared_ptr<DBEngine>& engine, itfProgress* progress)
{
    if (!engine || !engine->IsOpen()) throw objdb::error(NotOpen, kSource, QStringLiteral("Database non aperto"));
    if (m_schemas.empty() && m_definition) {
        buildFromDefinition();
        link();
    }
    if (!isAttached(*engine)) m_engines.push_back(engine);
    const int previous = m_state;
    m_state = kAttaching;
    const int n = int(m_schemas.size());
    try {
        if (engine->IsReadOnly()) {
            // Nothing may be declared or upgraded: the file must already be what the
            // declarations say, and then no table rule has anything to bring up to date.
            checkStoredTables(*engine);
            m_state = kOpen;
            event(NotifyAction::DatabaseOpened, m_name, engine->Path());
            return;
        }
        // Before the first byte is written.
        refuseNewerTables(*engine);
        OpScope op(*this, OpKind::Attach);
        writer(*engine);
        if (progress) progress->OnStart(0, n);
        std::vector<char> isNew(size_t(n), 0);
        std::vector<double> oldVersion(size_t(n), 0.0);
        for (int i = 0; i < n; ++i) {
            bool fresh = false;
            createOrUpgrade(*engine, *m_schemas[size_t(i)], i + 1, fresh, oldVersion[size_t(i)]);
            isNew[size_t(i)] = fresh;
        }
        SqlConnection& c = engine->sql();
        for (int i = 0; i < n; ++i) {
            TableSchema& t = *m_schemas[size_t(i)];
            if (t.handler) {
                auto impl = DataSetAccess::newImpl(shared_from_this(), engine, t);
                auto td = DataSetAccess::make(std::move(impl));
                double ov = oldVersion[size_t(i)];
                bool fresh = isNew[size_t(i)];
                t.handler->OnUpdatedTableStruct(*td, QVariant(), ov, fresh);
            }
            QVariant stored = c.scalar(QStringLiteral("SELECT Version FROM _objdb_tables WHERE Name=?"), {t.name});
            QVariant declared = t.identity.Version ? QVariant(*t.identity.Version) : QVariant();
            if (stored.isNull() != declared.isNull()
                || (!declared.isNull() && stored.toDouble() != declared.toDouble()))
                writer(*engine).execute(QStringLiteral("UPDATE _objdb_tables SET Version=? WHERE Name=?"),
                                        {declared, t.name});
            event(isNew[size_t(i)] ? NotifyAction::TableCreated : NotifyAction::TableUpgraded, t.name, QString());
            if (progress && (!progress->OnProgress(0, n, i + 1, 0, 0) || progress->OnStopped()))
                throw objdb::error(Refused, kSource, QStringLiteral("Apertura del database interrotta"));
        }
        if (op.refused()) throw objdb::error(Refused, kSource, op.refusal());
        op.commit();
    } catch (const AppError& e) {
        m_state = previous == kOpen ? kOpen : kClosed;
        if (progress) progress->OnEnd(0, 0);
        if (e.number == errorNumber(Busy))
            throw withOperation(e, kSource, QStringLiteral("Impossibile aprire il database %1").arg(engine->Path()));
        throw;
    } catch (...) {
        m_state = previous == kOpen ? kOpen : kClosed;
        if (progress) progress->OnEnd(0, 0);
        throw;
    }
    if (progress) progress->OnEnd(0, 0);
    m_state = kOpen;
    event(NotifyAction::DatabaseOpened, m_name, engine->Path());
}

void Database::createOrUpgrade(DBEngine& engine, TableSchema& t, int position, bool& isNew, double& oldVersion)
{
    SqlConnection& c = writer(engine);
    const QString q = t.quoted();
    isNew = !c.tableExists(t.name);
    oldVersion = 0.0;
    QString storedDefinition;
    QVariant storedPosition;
    {
        auto st = c.prepare(QStringLiteral("SELECT Version, Definition, Position FROM _objdb_tables WHERE Name=?"));
        st.bind(1, t.name);
        if (st.next()) {
            oldVersion = st.isNull(0) ? 0.0 : st.real(0);
            storedDefinition = st.text(1);
            storedPosition = st.value(2);
        }
    }
    if (isNew) {
        QStringList cols {QStringLiteral("OID INTEGER PRIMARY KEY")};
        if (t.isChild()) cols << QStringLiteral("objParent INTEGER");
        for (const auto& f : t.fields) cols << SqlConnection::quoteName(f.def.Name) + u' ' + sqlType(f.kind);
        for (int i : t.singleRefs)
            cols << SqlConnection::quoteName(t.refs[size_t(i)].def.column()) + QStringLiteral(" INTEGER");
        c.execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(q, cols.join(QStringLiteral(", "))));
    } else {
        QSet<QString> have;
        for (const auto& [name, type] : c.tableColumns(t.name)) have.insert(name.toLower());
        auto addColumn = [&](const QString& name, const QString& type) {
            if (!have.contains(name.toLower()))
                c.execute(
                    QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(q, SqlConnection::quoteName(name), type));
        };
        if (t.isChild()) addColumn(QStringLiteral("objParent"), QStringLiteral("INTEGER"));
        for (const auto& f : t.fields) addColumn(f.def.Name, sqlType(f.kind));
        for (int i : t.singleRefs) addColumn(t.refs[size_t(i)].def.column(), QStringLiteral("INTEGER"));
    }
    auto makeIndex = [&](const QString& name, bool unique, const QStringList& columns, const QString& table,
                         bool emptyIsValue = false) {
        QStringList quotedCols;
        for (const QString& col : columns) {
            const QString quoted = SqlConnection::quoteName(col);
            if (!emptyIsValue) {
                quotedCols << quoted;
                continue;
            }
            // SQLite takes every NULL for a value of its own; an empty text is stored as ''.
            const FieldSchema* f = t.field(col);
            const bool text = f && (f->kind == Kind::Text || f->kind == Kind::Date || f->kind == Kind::DateTime);
            quotedCols
                << QStringLiteral("ifnull(%1, %2)").arg(quoted, text ? QStringLiteral("''") : QStringLiteral("0"));
        }
        const QString wanted = QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                                   .arg(unique ? QStringLiteral("UNIQUE ") : QString(), SqlConnection::quoteName(name),
                                        SqlConnection::quoteName(table), quotedCols.join(QStringLiteral(", ")));
        QVariant existing
            = c.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND name=?"), {name});
        if (!existing.isNull()) {
            if (existing.toString() == wanted) return;
            c.execute(QStringLiteral("DROP INDEX %1").arg(SqlConnection::quoteName(name)));
        }
        try {
            OpScope ix(*this, OpKind::Attach);
            writer(engine).execute(wanted);
            ix.commit();
        } catch (const AppError& e) {
            if (!unique || e.number != errorNumber(UniqueViolation)) throw;
            // Stored rows already break the rule: keep the index for speed and tell the user.
            QString plain = wanted;
            plain.replace(QStringLiteral("CREATE UNIQUE INDEX"), QStringLiteral("CREATE INDEX"));
            c.execute(plain);
            event(NotifyAction::IndexNotUnique, t.name, name);
        }
    };
    if (t.isChild()) makeIndex(t.name + QStringLiteral("$objParent"), false, {QStringLiteral("objParent")}, t.name);
    for (const auto& ix : t.indexes) makeIndex(ix.sqlName, ix.unique, ix.columns, t.name, ix.emptyIsValue);
    for (const auto& r : t.refs) {
        if (!r.isList()) continue;
        c.execute(
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (OwnerOID INTEGER NOT NULL, MemberOID INTEGER NOT NULL, "
                           "PRIMARY KEY (OwnerOID, MemberOID)) WITHOUT ROWID")
                .arg(SqlConnection::quoteName(r.linkTable)));
        makeIndex(r.linkTable + QStringLiteral("$Member"), r.def.IsOwned, {QStringLiteral("MemberOID")}, r.linkTable);
    }
    const QString definition = QString::fromUtf8(QJsonDocument(t.toJson()).toJson(QJsonDocument::Compact));
    if (storedPosition.isNull() && storedDefinition.isEmpty()) {
        c.execute(QStringLiteral(
                      "INSERT OR REPLACE INTO _objdb_tables(Name, Position, Version, Caption, ParentTable, Definition) "
                      "VALUES(?, ?, ?, ?, ?, ?)"),
                  {t.name, position, isNew ? QVariant() : QVariant(oldVersion), t.identity.Caption,
                   t.identity.ParentTable, definition});
    } else if (storedDefinition != definition || storedPosition.toInt() != position) {
        c.execute(
            QStringLiteral("UPDATE _objdb_tables SET Position=?, Caption=?, ParentTable=?, Definition=? WHERE Name=?"),
            {position, t.identity.Caption, t.identity.ParentTable, definition, t.name});
    }
}

void Database::OpenStored(const std::shared_ptr<DBEngine>& engine, const QString& names)
{
    if (!engine || !engine->IsOpen()) throw objdb::error(NotOpen, kSource, QStringLiteral("Database non aperto"));
    SqlConnection& c = engine->sql();
    QStringList wanted;
    for (const QString& n : names.split(u',', Qt::SkipEmptyParts)) wanted << n.trimmed().toLower();
    if (c.tableExists(QStringLiteral("_objdb_tables"))) {
        auto st = c.prepare(QStringLiteral("SELECT Name, Definition, Version FROM _objdb_tables ORDER BY Position"));
        while (st.next()) {
            const QString name = st.text(0);
            if (!wanted.isEmpty() && !wanted.contains(name.toLower())) continue;
            if (!c.tableExists(name)) continue;
            const QString json = st.text(1);
            std::unique_ptr<TableSchema> t = json.isEmpty()
                ? TableSchema::fromStorage(name, c)
                : TableSchema::fromJson(name, QJsonDocument::fromJson(json.toUtf8()).object());
            if (!st.isNull(2)) t->identity.Version = st.real(2);
            addTable(std::move(t));
        }
    }
    for (const QString& n : wanted)
        if (!FindTable(n) && c.tableExists(n) && !n.startsWith(QLatin1String("_objdb")))
            addTable(TableSchema::fromStorage(
                c.scalar(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                         {n})
                    .toString(),
                c));
    link();
    if (!isAttached(*engine)) m_engines.push_back(engine);
    m_state = kOpen;
}

// --- operations ----------------------------------------------------------------------------

SqlConnection& Database::writer(DBEngine& engine)
{
    SqlConnection& c = engine.sql();
    if (engine.IsReadOnly())
        throw objdb::error(ReadOnly, kSource,
                           QStringLiteral("Il database è aperto in sola lettura: modifica non consentita"));
    engine.claimForWriting();
    // A frame without a savepoint began at the state of the innermost one around it as long
    // as nothing was written to the file since that one was opened (taking the lock for a
    // change writes nothing): it borrows it.
    const Savepoint* innermost = nullptr;
    for (Frame& f : m_frames) {
        const Savepoint* own = nullptr;
        for (const Savepoint& sp : f.savepoints)
            if (sp.connection == &c) own = &sp;
        if (own) {
            innermost = own;
            continue;
        }
        if (innermost && innermost->writesAtOpen == c.writeCount()) {
            f.savepoints.push_back({&c, innermost->name, true, innermost->writesAtOpen});
        } else {
            const QString name = c.openSavepoint();
            f.savepoints.push_back({&c, name, false, c.writeCount()});
        }
        innermost = &f.savepoints.back();
    }
    return c;
}

void Database::lockForChange(DBEngine& engine)
{
    if (m_frames.empty() || !engine.IsOpen() || engine.IsReadOnly()) return;
    // Setting a field, a parent or the defaults of a new row writes nothing: what it changes
    // waits in the row buffers for the operation that stores it, and the stored values are
    // read again, the running totals carried over, under that operation's lock.
    const OpKind kind = m_frames.back().kind;
    if (kind == OpKind::SetValue || kind == OpKind::Parent || kind == OpKind::NewRow) return;
    // Held already (an operation around this one took it, or an engine transaction): the
    // savepoints wait for the first write.
    if (engine.sql().holdsWriteLock()) return;
    writer(engine);
}

bool Database::undoing() const
{
    for (const Frame& f : m_frames)
        if (f.undoing) return true;
    return false;
}

void Database::refuse(const QString& source, const QString& message)
{
    if (undoing()) return;
    if (m_frames.empty()) throw objdb::error(Refused, source, message);
    Frame& f = m_frames.back();
    if (f.refusal.isEmpty()) f.refusal = message.isEmpty() ? QStringLiteral("Operazione annullata") : message;
}

void Database::warn(const QString& source, const QString& text)
{
    if (m_sink) m_sink->OnWarning(source, text);
}

void Database::message(const QString& source, const QString& text)
{
    if (m_sink) m_sink->OnInternalMessage(source, text);
}

void Database::event(int action, const QString& source, const QString& detail)
{
    if (m_sink) m_sink->OnEvent(action, source, detail);
}

std::shared_ptr<RowState> Database::liveRow(const DBEngine& engine, const QString& table, qint64 oid) const
{
    // Most reads come while nothing is being changed: no key to build then.
    if (m_live.isEmpty()) return nullptr;
    auto it = m_live.find(liveKey(engine, table, oid));
    if (it == m_live.end()) return nullptr;
    auto row = it->lock();
    if (!row || row->deleted || !row->dirty()) {
        m_live.erase(it);
        return nullptr;
    }
    return row;
}

void Database::rememberLive(const std::shared_ptr<RowState>& row)
{
    if (!row || !row->engine || row->oid == 0) return;
    // Rows nobody holds or changes any more are forgotten now and then: a day of sales
    // touches thousands of articles, and each would otherwise keep its entry.
    if (m_live.size() >= m_livePruneAt) {
        for (auto it = m_live.begin(); it != m_live.end();) {
            auto r = it->lock();
            if (!r || !r->dirty())
                it = m_live.erase(it);
            else
                ++it;
        }
        m_livePruneAt = std::max<qsizetype>(256, 2 * m_live.size());
    }
    m_live.insert(liveKey(*row->engine, row->schema->name, row->oid), row);
}

void Database::journal(const std::shared_ptr<RowState>& row)
{
    if (m_frames.empty() || !row) return;
    Frame& f = m_frames.back();
    // Only the first change counts: the state to go back to is the one before the operation.
    if (f.journaled.contains(row.get())) return;
    f.journaled.insert(row.get());
    f.journal.push_back(snapshotOf(row));
}

// --- OpScope --------------------------------------------------------------------------------

OpScope::OpScope(Database& db, OpKind kind) : m_db(db), m_index(db.frames().size())
{
    Frame f;
    f.kind = kind;
    db.frames().push_back(std::move(f));
}

OpScope::~OpScope()
{
    if (!m_done) rollback();
}

void OpScope::rollback()
{
    auto& frames = m_db.frames();
    Frame& f = frames[m_index];
    for (auto it = f.savepoints.rbegin(); it != f.savepoints.rend(); ++it) {
        if (it->borrowed)
            it->connection->rollbackToSavepoint(it->name);
        else
            it->connection->rollbackSavepoint(it->name);
    }
    for (auto it = f.journal.rbegin(); it != f.journal.rend(); ++it) restore(*it);
    frames.resize(m_index);
    m_done = true;
    if (m_index == 0) endFreshEpoch();
}

void OpScope::commit()
{
    auto& frames = m_db.frames();
    Frame& f = frames[m_index];
    for (auto it = f.savepoints.rbegin(); it != f.savepoints.rend(); ++it)
        if (!it->borrowed) it->connection->releaseSavepoint(it->name);
    f.savepoints.clear();
    std::vector<RowSnapshot> journal = std::move(f.journal);
    frames.resize(m_index);
    // The enclosing operation may still be rolled back: it keeps the buffers' earlier state,
    // unless it already holds an earlier one of its own.
    if (m_index > 0) {
        Frame& enclosing = frames[m_index - 1];
        for (auto& s : journal) {
            if (enclosing.journaled.contains(s.row.get())) continue;
            enclosing.journaled.insert(s.row.get());
            enclosing.journal.push_back(std::move(s));
        }
        if (enclosing.journal.size() >= enclosing.pruneAt) letGoOfUnheldRows(enclosing);
    }
    m_done = true;
    // What this operation read or wrote may be changed through another data set next.
    if (m_index == 0) endFreshEpoch();
}

// A long operation (a delivery of a hundred thousand lines, say) journals every row it
// touched, and the journal alone would keep each of them in memory to its end. A row that
// only its snapshot holds, with nothing pending, is seen by nobody after a rollback (no other
// snapshot brings it back as a parent or a row to save), and storage, rolled back, reads
// as it did: its snapshot has nothing to give back.
void OpScope::letGoOfUnheldRows(Frame& f)
{
    auto kept = f.journal.begin();
    for (auto it = f.journal.begin(); it != f.journal.end(); ++it) {
        if (it->row.use_count() == 1 && !it->row->dirty()) {
            f.journaled.erase(it->row.get());
            continue;
        }
        if (kept != it) *kept = std::move(*it);
        ++kept;
    }
    f.journal.erase(kept, f.journal.end());
    f.pruneAt = std::max<size_t>(256, 2 * f.journal.size());
}

void OpScope::restoreNewRows()
{
    Frame& f = m_db.frames()[m_index];
    for (auto it = f.journal.rbegin(); it != f.journal.rend(); ++it)
        if (it->isNew) restore(*it);
}

Frame& OpScope::frame() { return m_db.frames()[m_index]; }
bool OpScope::refused() const { return !m_db.frames()[m_index].refusal.isEmpty(); }
QString OpScope::refusal() const { return m_db.frames()[m_index].refusal; }

// --- LibraryGlobal --------------------------------------------------------------------------

std::shared_ptr<Database> LibraryGlobal::NewDatabase(std::shared_ptr<itfDefDatabase> definition, const QString& name,
                                                     itfNotifyEvent* sink, std::shared_ptr<CurrencyInfo> currency, int)
{
    auto db = std::make_shared<Database>(std::move(definition), name, sink);
    if (currency) db->SetCurrency(std::move(currency));
    return db;
}

std::shared_ptr<Database> LibraryGlobal::OpenExistingDatabase(const std::shared_ptr<DBEngine>& engine,
                                                              itfNotifyEvent* sink, const QString& tables)
{
    auto db = std::make_shared<Database>(nullptr, QString(), sink);
    db->OpenStored(engine, tables);
    return db;
}

QString LibraryGlobal::GetEventText(int action)
{
    switch (action) {
    case NotifyAction::DatabaseOpened: return QStringLiteral("Database aperto");
    case NotifyAction::TableCreated: return QStringLiteral("Creazione tabella");
    case NotifyAction::TableUpgraded: return QStringLiteral("Verifica tabella");
    case NotifyAction::IndexNotUnique: return QStringLiteral("Indice univoco non applicabile ai dati presenti");
    case NotifyAction::CopyStarted: return QStringLiteral("Copia dati");
    case NotifyAction::CopyEnded: return QStringLiteral("Copia dati completata");
    default: return QString();
    }
}

bool LibraryGlobal::ValuesEqual(const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an == bn;
    if (a.userType() == qMetaTypeId<Currency>() || b.userType() == qMetaTypeId<Currency>())
        return coerce(Kind::Currency, a, QString()).value<Currency>()
            == coerce(Kind::Currency, b, QString()).value<Currency>();
    return a == b;
}
