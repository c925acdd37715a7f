#pragma once
// A small shop database for the Jet SQL tests: its tables made by raw SQL in the library's
// storage form (dates as 'YYYY-MM-DD HH:MM:SS', Booleans 0/1, text NOCASE, OID_<Ref>,
// objParent, a link table per list) and a JetSchema that knows them, as the library's
// declarations would.
#include "objdb/JetFunctions.h"
#include "objdb/JetTranslator.h"
#include <QCoreApplication>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUuid>
#include <gtest/gtest.h>
#include <sqlite3.h>

class JetFixtureSchema : public JetSchema {
public:
    struct Table {
        QStringList fields;
        QString parent;   // a child table's parent
        QMap<QString, QString> refs;   // single reference -> target table
        QMap<QString, QString> ownedIn;   // owner table -> link table of the owned list
    };

    JetFixtureSchema()
    {
        add("Reparti", {"Codice", "Descrizione", "CodiceCassa"});
        add("CodiciIva", {"Codice", "Descrizione", "Percentuale", "CodiceCassa"});
        add("Fornitori", {"Descrizione"});
        add("Clienti", {"Descrizione", "Codice", "Punti"});
        add("Articoli",
            {"Descrizione", "Codice", "PrezzoVendita", "PrezzoAcquisto", "ValoreScorta", "ScortaMinima",
             "PrezzoAcquistoMedio", "PercentualeScorporoVari", "CodiceAggiuntivo", "DataInserimento", "DataModifica"},
            {}, {{"Reparto", "Reparti"}, {"CodiceIva", "CodiciIva"}});
        add("CaricoArticoli", {"ImportoCarico", "ValoreCarico", "DataCarico", "Progressivo"}, "Articoli");
        add("ScaricoArticoli",
            {"ImportoScarico", "ImportoSconto", "ValoreScarico", "PuntiPremio", "DataScarico", "Progressivo"},
            "Articoli");
        add("Forniture", {"ImportoAcquisto", "DataFornitura", "Pagato", "Completato"}, {},
            {{"Fornitore", "Fornitori"}});
        add("Vendite", {"ImportoVendita", "DataVendita", "Completato", "Punti"}, {}, {{"Cliente", "Clienti"}});
        add("BuoniClienti", {"Data", "Descrizione", "ImportoBuono", "ImportoUtilizzato"}, {}, {},
            {{"Clienti", "Clienti$Buoni"}});
        add("Ricevute", {"Numero", "Data", "AnnoRiferimento", "AnnoFiscale"}, {}, {{"Vendita", "Vendite"}});
        add("Promemoria", {"TestoPromemoria", "DataProssimaNotifica", "Chiuso", "DataRiferimento"});
    }

    std::optional<Join> joinFor(const QString& fromTable, const QString& qualifier) const override
    {
        auto path = joinPathFor(fromTable, qualifier);
        if (path.size() == 1) return path.front();
        return std::nullopt;
    }

    std::vector<Join> joinPathFor(const QString& from, const QString& q) const override
    {
        const Table* t = find(from);
        if (!t || !find(q)) return {};
        const QString target = name(q);
        if (!t->parent.isEmpty() && same(t->parent, q))
            return {{t->parent, t->parent, QStringLiteral("%1.OID = %2.objParent").arg(t->parent, name(from))}};
        for (auto it = t->refs.begin(); it != t->refs.end(); ++it)
            if (same(it.value(), q))
                return {{target, target, QStringLiteral("%1.OID = %2.OID_%3").arg(target, name(from), it.key())}};
        for (auto it = t->ownedIn.begin(); it != t->ownedIn.end(); ++it)
            if (same(it.key(), q)) {
                const QString link = QStringLiteral("\"%1\"").arg(it.value());
                return {{it.value(), it.value(), QStringLiteral("%1.MemberOID = %2.OID").arg(link, name(from))},
                        {target, target, QStringLiteral("%1.OID = %2.OwnerOID").arg(target, link)}};
            }
        if (!t->parent.isEmpty()) {   // a table that the parent refers to
            auto viaParent = joinPathFor(t->parent, q);
            if (!viaParent.empty())
                return {{t->parent, t->parent, QStringLiteral("%1.OID = %2.objParent").arg(t->parent, name(from))},
                        viaParent.front()};
        }
        return {};
    }

    bool isTable(const QString& n) const override { return find(n) != nullptr; }

    std::optional<Column> resolveField(const QString& from, const QString& field) const override
    {
        const Table* t = find(from);
        if (!t) return std::nullopt;
        for (const QString& f : t->fields)
            if (same(f, field)) return Column {name(from), f, kBooleans.contains(f)};
        for (auto it = t->refs.begin(); it != t->refs.end(); ++it)
            if (same(it.key(), field)) return Column {name(from), QStringLiteral("OID_") + it.key()};
        if (!t->parent.isEmpty())
            if (auto c = resolveField(t->parent, field)) return c;
        return std::nullopt;
    }

private:
    inline static const QStringList kBooleans = {"Pagato", "Completato", "Chiuso"};
    static bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
    void add(const char* n, QStringList fields, QString parent = {}, QMap<QString, QString> refs = {},
             QMap<QString, QString> ownedIn = {})
    {
        Table t;
        t.fields = std::move(fields);
        t.parent = std::move(parent);
        t.refs = std::move(refs);
        t.ownedIn = std::move(ownedIn);
        m_tables.insert(QString::fromLatin1(n).toLower(), {QString::fromLatin1(n), t});
    }
    const Table* find(const QString& n) const
    {
        auto it = m_tables.find(n.toLower());
        return it == m_tables.end() ? nullptr : &it->second;
    }
    QString name(const QString& n) const { return m_tables.value(n.toLower()).first; }
    QMap<QString, std::pair<QString, Table>> m_tables;
};

// An in-memory database through QtSql's SQLite driver with the Jet functions registered
// on its handle, filled with the fixture rows.
class JetFixtureDb {
public:
    JetFixtureDb() : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        auto* handle = *static_cast<sqlite3* const*>(db.driver()->handle().constData());
        RegisterJetFunctions(handle);
    }
    ~JetFixtureDb() { QSqlDatabase::removeDatabase(m_name); }

    QSqlDatabase db() const { return QSqlDatabase::database(m_name); }

    void exec(const QString& sql)
    {
        QSqlQuery q(db());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << "\n" << q.lastError().text().toStdString();
    }

    // Rows as "a|b|c" (the columns named in `show`, the last of each name; empty: all),
    // Null as NULL, numbers in their shortest form. An error gives "ERROR: " and SQLite's
    // message.
    QStringList rows(const QString& sql, const QStringList& show = {})
    {
        QSqlQuery q(db());
        if (!q.exec(sql)) return {QStringLiteral("ERROR: ") + q.lastError().databaseText()};
        QList<int> columns;
        const QSqlRecord record = q.record();
        for (const QString& name : show) {
            int last = -1;
            for (int i = 0; i < record.count(); ++i)
                if (record.fieldName(i).compare(name, Qt::CaseInsensitive) == 0) last = i;
            columns << last;
        }
        if (show.isEmpty())
            for (int i = 0; i < record.count(); ++i) columns << i;
        QStringList out;
        while (q.next()) {
            QStringList cells;
            for (int i : columns) {
                const QVariant v = q.value(i);
                if (v.isNull())
                    cells << QStringLiteral("NULL");
                else if (v.typeId() == QMetaType::Double)
                    cells << QString::number(v.toDouble(), 'g', 15);
                else
                    cells << v.toString();
            }
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    // The shop: three articles with their VAT codes, loads, sales lines, supplies, sales,
    // customers with vouchers, receipts and reminders.
    void fill()
    {
        const char* script[] = {
            "CREATE TABLE Reparti (OID INTEGER PRIMARY KEY, Codice TEXT COLLATE NOCASE, Descrizione TEXT COLLATE "
            "NOCASE, CodiceCassa INTEGER)",
            "CREATE TABLE CodiciIva (OID INTEGER PRIMARY KEY, Codice TEXT COLLATE NOCASE, Descrizione TEXT COLLATE "
            "NOCASE, Percentuale REAL, CodiceCassa INTEGER)",
            "CREATE TABLE Fornitori (OID INTEGER PRIMARY KEY, Descrizione TEXT COLLATE NOCASE)",
            "CREATE TABLE Clienti (OID INTEGER PRIMARY KEY, Descrizione TEXT COLLATE NOCASE, Codice TEXT COLLATE "
            "NOCASE, Punti INTEGER)",
            "CREATE TABLE Articoli (OID INTEGER PRIMARY KEY, Descrizione TEXT COLLATE NOCASE, Codice TEXT COLLATE "
            "NOCASE,"
            " PrezzoVendita REAL, PrezzoAcquisto REAL, ValoreScorta REAL, ScortaMinima INTEGER, PrezzoAcquistoMedio "
            "REAL,"
            " PercentualeScorporoVari REAL, CodiceAggiuntivo TEXT COLLATE NOCASE, DataInserimento TEXT, DataModifica "
            "TEXT,"
            " OID_Reparto INTEGER, OID_CodiceIva INTEGER)",
            "CREATE TABLE CaricoArticoli (OID INTEGER PRIMARY KEY, objParent INTEGER, ImportoCarico REAL, ValoreCarico "
            "REAL, DataCarico TEXT, Progressivo INTEGER)",
            "CREATE TABLE ScaricoArticoli (OID INTEGER PRIMARY KEY, objParent INTEGER, ImportoScarico REAL, "
            "ImportoSconto REAL,"
            " ValoreScarico REAL, PuntiPremio INTEGER, DataScarico TEXT, Progressivo INTEGER)",
            "CREATE TABLE Forniture (OID INTEGER PRIMARY KEY, ImportoAcquisto REAL, DataFornitura TEXT, Pagato "
            "INTEGER, Completato INTEGER, OID_Fornitore INTEGER)",
            "CREATE TABLE Vendite (OID INTEGER PRIMARY KEY, ImportoVendita REAL, DataVendita TEXT, Completato INTEGER, "
            "Punti INTEGER, OID_Cliente INTEGER)",
            "CREATE TABLE BuoniClienti (OID INTEGER PRIMARY KEY, Data TEXT, Descrizione TEXT COLLATE NOCASE, "
            "ImportoBuono REAL, ImportoUtilizzato REAL)",
            "CREATE TABLE \"Clienti$Buoni\" (OwnerOID INTEGER, MemberOID INTEGER UNIQUE)",
            "CREATE TABLE Ricevute (OID INTEGER PRIMARY KEY, Numero INTEGER, Data TEXT, AnnoRiferimento INTEGER, "
            "AnnoFiscale INTEGER, OID_Vendita INTEGER)",
            "CREATE TABLE Promemoria (OID INTEGER PRIMARY KEY, TestoPromemoria TEXT COLLATE NOCASE, "
            "DataProssimaNotifica TEXT, Chiuso INTEGER, DataRiferimento TEXT)",

            "INSERT INTO Reparti VALUES (1, '01', 'SALA', 4), (2, '05', 'BANCO GASTRONOMIA', 4), (3, '12', 'CONCORSI', "
            "4)",
            "INSERT INTO CodiciIva VALUES (1, 'IVA20', 'IVA al 20%', 20, 4), (2, 'IVA04', 'IVA al 4%', 4, 4)",
            "INSERT INTO Fornitori VALUES (1, 'Forno Rossi'), (2, 'Caseificio Bianchi')",
            "INSERT INTO Clienti VALUES (1, 'Cliente occasionale', '', 0), (2, 'Maria Verdi', 'C0002', 12)",
            // Codice, prices, stock 10/3/0, minimum 5/5/0
            "INSERT INTO Articoli VALUES (1, 'pàne casereccio', 'PANE', 2.5, 1.5, 10, 5, 1.2, 0, NULL, '2007-01-10 "
            "00:00:00', NULL, 1, 2),"
            " (2, 'Panettone', 'PNT', 12, 8, 3, 5, 7.5, 0, 'X1', '2007-01-11 00:00:00', NULL, 2, 1),"
            " (3, 'Spàn vario', 'VAR', 0, 0, 0, 0, 0, 2.5, '', '2007-01-12 00:00:00', NULL, 3, 1)",
            "INSERT INTO CaricoArticoli VALUES (1, 1, 6, 4, '2007-02-27 09:00:00', 1), (2, 1, 3, 2, '2007-03-01 "
            "09:00:00', 2),"
            " (3, 2, 16, 2, '2007-03-02 08:00:00', 1)",
            "INSERT INTO ScaricoArticoli VALUES (1, 1, 5, 0, 2, 0, '2007-02-28 18:00:00', 1), (2, 1, 2.5, 0, 1, 0, "
            "'2007-03-01 10:00:00', 1),"
            " (3, 2, 24, 0, 2, 0, '2007-03-05 11:30:00', 2), (4, 3, 10, 0, 1, 0, '2007-03-05 12:00:00', 3)",
            "INSERT INTO Forniture VALUES (1, 100, '2007-01-31 23:59:59', 1, 1, 1), (2, 50, '2007-02-01 00:00:00', 0, "
            "1, 2),"
            " (3, 75.5, '2007-03-15 10:00:00', 0, 0, 1)",
            "INSERT INTO Vendite VALUES (1, 7.5, '2007-03-05 08:00:00', 1, 0, 2), (2, 24, '2007-03-05 23:59:59', 0, 2, "
            "2),"
            " (3, 10, '2007-03-06 00:00:00', 1, 0, 1)",
            "INSERT INTO BuoniClienti VALUES (1, '2007-02-01 10:00:00', 'Natale', 50, 20), (2, '2007-02-02 10:00:00', "
            "'Pasqua', 10, 10),"
            " (3, '2007-02-03 10:00:00', 'Sciolto', 5, 0)",
            "INSERT INTO \"Clienti$Buoni\" VALUES (2, 1), (2, 2)",
            "INSERT INTO Ricevute VALUES (1, 1, '2006-12-30 00:00:00', NULL, 2006, 1), (2, 1, '2007-01-02 00:00:00', "
            "NULL, 2007, 3)",
            "INSERT INTO Promemoria VALUES (1, 'Scade Natale', '2007-03-05 10:00:00', 0, '2007-02-01 00:00:00'),"
            " (2, 'Chiuso vecchio', '2007-01-05 10:00:00', 1, '2007-01-05 00:00:00'),"
            " (3, 'Chiuso recente', '2007-03-01 10:00:00', 1, '2007-03-01 00:00:00'),"
            " (4, 'Futuro', '2007-03-09 10:00:00', 0, '2007-03-09 00:00:00')",
        };
        for (const char* s : script) exec(QString::fromUtf8(s));
    }

private:
    QString m_name;
};
