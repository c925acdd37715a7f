#pragma once
// The import of a supplier's delivery file into the supply open in the supply form: the
// work of the import window without the window. It keeps the window's state (the chosen
// layout, the read table and the row it stands on, whether the check went through every
// row, whether the operator confirmed the import) and runs its commands: reading, the
// difference check, associating a row with an article, creating or editing an article,
// the import pass, the additional-code maintenance, and at last adding the rows to the
// supply, all of them or none.
//
// Questions and messages go through ui(); windows of their own (pick list, row editor,
// text search) through ImportOperator; the label, pointer, events and grid through
// ImportFeedback.
#include "ArticleLookup.h"
#include "DeliveryLayout.h"
#include "DeliveryTable.h"
#include "ImportFeedback.h"
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class Database;
class ImportOperator;
class TableData;

class DeliveryImport {
public:
    DeliveryImport(Database& db, ImportOperator& op, ImportFeedback* feedback = nullptr);
    ~DeliveryImport();

    ImportLoop& loop() { return m_loop; }
    bool busy() const { return m_busy; }

    // ---- layouts -------------------------------------------------------------------------
    // The supplier's layouts (its Tracciati list): the list entries, each the layout's
    // FileSorgente, and the first one chosen.
    void setLayouts(TableData& layouts);
    QStringList layoutEntries() const;
    void chooseLayout(int index);
    int chosenLayout() const { return m_chosen; }
    const DeliveryLayout* layout() const;
    // The chosen layout's file, as the list shows it.
    QString sourceFile() const;

    // ---- reading -------------------------------------------------------------------------
    // "Lettura dei dati della fornitura da:" with the file: true when the operator said OK.
    bool askToRead() const;
    // The reading that follows the question, its message first; false when it failed.
    bool readAfterQuestion();
    // Both: false when the operator cancelled or the reading failed.
    bool confirmAndRead();
    // Reads the chosen layout's file (or `path` when given). On error the operator is shown
    // "Errore in importazione dati: ..." and false is returned; the records read up to the
    // error stay in the table, which the window then does not show, and nothing of such a
    // read is ever imported.
    bool read(const QString& path = QString());
    bool hasTable() const { return m_table != nullptr; }
    const DeliveryTable* table() const { return m_table.get(); }
    bool hasRows() const { return m_table && !m_table->isEmpty(); }
    qint64 linesRead() const { return m_linesRead; }

    // ---- the row the window stands on ------------------------------------------------------
    qsizetype currentRow() const { return m_current; }
    void setCurrentRow(qsizetype row);
    // The row names no article: its trimmed Codice is empty or no article carries it.
    bool rowNeedsArticle(qsizetype row) const;

    // ---- commands (errors are reported through ShowErrorDetails) --------------------------
    // Checks one row against the catalogue; autoCreate opens the row editor on a new article
    // for an unknown code; test compares the layout's marked fields with the article's.
    bool checkRow(qsizetype row, bool autoCreate, bool test);
    // The difference check from the row after the last pass's start, round to it again.
    void checkPass(bool autoTicked);
    // Confirms the import: checks every row (creating articles when autoTicked) and asks
    // "Proseguire con il carico?". True when the operator confirmed; the window then closes.
    bool importPass(bool autoTicked);
    // Associates the row with an article the operator finds by description.
    bool associate(qsizetype row);
    // Creates an article from the row in the row editor.
    bool insertArticle(qsizetype row);
    // Opens the row's article in the row editor at PrezzoVendita.
    bool editArticle(qsizetype row);
    // Copies each row's CodiceAggiuntivo into its article, after a warning.
    void setAdditionalCodes();

    bool checkDone() const { return m_checkDone; }
    bool imported() const { return m_imported; }

    // ---- after the window closed ------------------------------------------------------------
    // Adds a supply row for every read row whose code names an article: its quantity, its
    // purchase price and the article. All of them or none: on any failure nothing is added,
    // the supply row's pending change is undone, the error is reported and false returned.
    // True when the import was confirmed and every row went in.
    bool addRowsToSupply(TableData& supply, TableData& supplyRows, ImportFeedback* caller = nullptr);

    // The values a new article starts from: each article field (but those switched off) and
    // each single reference that the read table has a column of; prices only when numeric and
    // not 0.
    QVariantList articlePresets(qsizetype row) const;
    // The article fields switched off while an article is made from a read row, so that its
    // row editor does not offer them.
    static QStringList hiddenArticleFields();

private:
    enum class Check { Ok, MissingCode, Unknown, NotChosen, Differs, NotCreated };
    Check check(qsizetype row, bool autoCreate, bool test);
    Check compareWithArticle(qsizetype row, qint64 article);
    std::optional<qint64> addArticleAutomatically(qsizetype row);
    ArticleLookup::Match resolve(qsizetype row);
    QString code(qsizetype row) const;
    void setCode(qsizetype row, qint64 article);
    int requiredColumn(const QString& name) const;
    void reportError();
    void releaseArticle();

    Database& m_db;
    ImportOperator& m_op;
    ImportLoop m_loop;
    ArticleLookup m_lookup;
    std::vector<DeliveryLayout> m_layouts;
    int m_chosen = -1;
    std::unique_ptr<DeliveryTable> m_table;
    qint64 m_linesRead = 0;
    qsizetype m_current = -1;
    qsizetype m_checkStart = -1;
    bool m_checkDone = false;
    bool m_imported = false;
    bool m_readFailed = false;
    bool m_busy = false;
    // The article the last difference check set read values in, kept with its pending
    // changes for the row editor.
    std::unique_ptr<TableData> m_article;
};
