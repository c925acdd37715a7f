#pragma once
// A data set over a table or query, with a current row. This is the one way table rules,
// windows and tools read and change rows. Values are QVariant: a null QVariant is Null;
// currency fields hold Currency, dates QDateTime, integers qint64, Booleans bool,
// numbers double, texts QString.
//
// Contract (the library keeps it): every change to the database made through one call
// is atomic; a change refused with CancelWithMessage is undone wholly; field events
// reach a fixed point; a child row reads and writes its parent's fields by name.
//
// Keys: the key of a row is its OID (GetKey, MoveToOID, GetParentKey, GetReferenceKey);
// the key field (TableObject::GetKeyField, "Codice" for most tables) is what a user types
// (FindKey, SetReferenceByKey).
//
// Refusals: inside an operation (SetValue, Update, DeleteRow, AddRow, NewRow, reference
// changes) CancelWithMessage makes the library undo the operation and send the message to
// the database's notification sink (itfNotifyEvent::OnRefusal). SetValue and reference
// changes then return normally (WasRefused() tells); Update, DeleteRow, AddRow and NewRow
// raise AppError with objdb::Refused so the caller stops (objdb::isRefusal(e): already shown).
// Outside any operation CancelWithMessage raises that AppError at once.
#include "base/Currency.h"
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class Database;
class DBEngine;
class TableObject;
class itfProgress;
struct ReferenceDefinition;
namespace objdb {
struct TableSchema;
struct RowState;
class DataSetAccess;
}

// Set while a report reads the rows; table rules look at it to skip work (line numbers).
struct RecordSource {
    bool Suspended = false;
};

// What the grid and the row editor show of a field.
struct FieldInfo {
    QString Name;
    QString Caption;
    int TypeCode = 0;   // FieldType code; -1 for a reference, -2 for a computed column
    int Size = 0;
    bool Shown = true;   // visible at the database's access level
    bool Editable = true;   // changeable at the database's access level
    QString DisplayFormat;   // "#,##0.00##", "dd/mm/yyyy", "dd/mm/yyyy hh:nn:ss" or empty
    QString Description;
};

class TableData {
public:
    virtual ~TableData();

    // --- current row: values ---------------------------------------------------------
    virtual QVariant GetValue(const QString& field) const;   // Null when empty
    virtual QVariant GetFieldValue(const QString& field) const;   // 0 (of the field's type) when empty
    virtual Currency GetCurrencyValue(const QString& field) const;   // 0 when empty
    // With converted True: the amount in the database's conversion currency.
    Currency GetCurrencyValue(const QString& field, bool converted) const;
    virtual QString GetText(const QString& field) const;   // display text
    virtual bool IsFieldNull(const QString& field) const;
    bool IsFieldEmpty(const QString& field) const;   // Null or empty text
    bool GetBoolValue(const QString& field) const;   // Null is False
    virtual bool HasField(const QString& field) const;
    // Raises OnBeforeUpdateField, stores, raises OnUpdateField; a refusal restores the old value.
    // A field of the parent row (child tables) is set in the parent row, saved with this row.
    // "objParent" sets the parent row (SetParent); a single reference name sets the reference by key.
    virtual void SetValue(const QString& field, const QVariant& value);
    // The amount is added to the value as it stands when the change is made (the row's copy
    // read again first when it is old).
    virtual void AddToField(const QString& field, const QVariant& amount);
    virtual void SubtractFromField(const QString& field, const QVariant& amount);
    // Sets a number the rules took as the next free one (the highest so far plus one, say).
    // The row keeps `again` until it is stored, and storing runs it under the write lock, so
    // that two programs that took the same number while neither had stored its row store
    // different ones: BeforeStoring runs it first thing (a rule checks the number when the row
    // is stored); OnCollision only when writing the row breaks a unique index over the field,
    // the row being written again with what it gives. Setting the field otherwise drops it.
    enum class TakeAgain { BeforeStoring, OnCollision };
    void TakeNumber(const QString& field, const QVariant& number, std::function<QVariant(TableData& row)> again,
                    TakeAgain when = TakeAgain::BeforeStoring);
    virtual qint64 GetOID() const;   // 0 when no current row
    QVariant GetKey() const;   // the OID; Null when no current row
    QString GetKeyText() const;
    bool WasRefused() const;   // the last operation of this data set was refused
    QString LastRefusal() const;

    // --- rows --------------------------------------------------------------------------
    // New row: raises OnNewRow, then applies the (field, value, field, value, ...) pairs,
    // then stores it (OnUpdateRow). Returns the new row's OID.
    virtual qint64 AddRow(const QVariantList& fieldValuePairs);
    virtual void NewRow();   // new current row, not yet stored (OnNewRow raised)
    virtual void Update();   // stores the current row (OnUpdateRow); refusal raises AppError
    virtual void DeleteRow();   // OnDeleteRow; refusal raises AppError
    virtual bool IsNewRow() const;
    virtual bool IsChanged() const;
    void CancelUpdate();   // drops the pending changes of the current row
    bool HasNoCurrentRow() const;
    // True when the current row cannot be edited or kept (none, or a new row not yet stored).
    bool RowFlag() const;
    // True when the rows are documents (their table owns lists of lines).
    bool DocumentFlag() const;
    void SelectField(const QString& field);

    // --- navigation -------------------------------------------------------------------
    virtual void MoveFirst();
    virtual void MoveNext();
    virtual void MoveLast();
    void MovePrevious();
    virtual bool IsEOF() const;
    bool IsBOF() const;
    virtual bool IsEmpty() const;
    virtual qint64 RowCount() const;   // a count query, never a full read
    // Moves to the row whose key field (the reference key field or "Codice") equals key.
    // False (the current row unchanged) when there is none.
    [[nodiscard]] bool FindKey(const QVariant& key);
    [[nodiscard]] bool MoveToOID(qint64 oid);
    // For a grid: the OIDs of up to `count` rows after the row `afterOid` (0: from the first),
    // in the data set's order, read by key without moving the current row.
    std::vector<qint64> PageAfter(qint64 afterOid, int count) const;
    // First row (after the current one when next is True) meeting the condition (Jet SQL).
    [[nodiscard]] bool FindFirst(const QString& condition, int start = 0, bool next = false);
    // Keeps only the rows meeting the condition when filtering is True; else FindFirst.
    // `values` are bound to the condition's "?" in order: a condition run again and again
    // (a look-up per sale line) stays the same text, prepared and translated once.
    [[nodiscard]] bool Find(const QString& condition, bool filtering = true);
    [[nodiscard]] bool Find(const QString& condition, const QVariantList& values, bool filtering = true);

    // --- references and lists -----------------------------------------------------------
    // A single reference gives the referenced row (empty data set when unset);
    // a list gives its member rows.
    virtual std::unique_ptr<TableData> GetReference(const QString& reference);
    // All rows of the reference's target table (for choosing one); raises OnSelectReference.
    virtual std::unique_ptr<TableData> GetReferenceTable(const QString& reference);
    // Sets a single reference to the target row whose key field equals key; an empty key
    // selects the row whose key field is empty, or leaves the reference unset.
    // On a list reference, adds that row to the list.
    virtual void SetReferenceByKey(const QString& reference, const QVariant& key);
    // The row of the reference's table that SetReferenceByKey would choose for key; 0 when none.
    qint64 FindReferenceKey(const QString& reference, const QVariant& key) const;
    virtual void SetReferenceOID(const QString& reference, qint64 oid);
    virtual qint64 GetReferenceOID(const QString& reference) const;
    QVariant GetReferenceKey(const QString& reference) const;   // the OID, Null when unset
    // The row holding this one in an owned list (a line's document), or nullptr.
    virtual std::unique_ptr<TableData> GetOwnerRow();
    std::unique_ptr<TableData> GetOwnerByTable(const QString& table);
    // Lists: add or remove a member row (events on the owner with the member row).
    void AddToList(const QString& reference, qint64 memberOid);
    void RemoveFromList(const QString& reference, qint64 memberOid);
    // In a list's data set: the current row was added to the list by the save under way.
    bool IsNewListRow() const;
    // Condition selecting the rows of this row's owned list (of the given member table).
    QString GetChildFilter(const QString& memberTable = QString()) const;
    // Rows of another table whose single reference (the named one, or the first towards
    // this table) points to the current row.
    std::unique_ptr<TableData> GetReferencingRows(const QString& table, const QString& reference = QString());
    // Marks that pair the handlers of one change (kept per row until removed).
    bool TestAndMark(const QString& mark);   // sets the mark; True when it was already there
    bool IsMarked(const QString& mark) const;
    void Unmark(const QString& mark);

    // --- parent row (child tables) ----------------------------------------------------
    QVariant GetParentKey() const;   // the parent's OID, Null when none
    // Attaches the row to another parent: field events of the parent's fields are raised
    // with the old parent in place, then with the new one; then OnSetParent.
    void SetParent(qint64 parentOid);
    [[nodiscard]] bool SetParentByKey(const QVariant& key);   // by the parent's key field; false when none
    std::unique_ptr<TableData> GetParentRow();
    // The candidate parents of the current row (OnSelectParent raised on them).
    std::unique_ptr<TableData> SelectParentCandidates();
    QString GetParentLinkField() const { return QStringLiteral("objParent"); }

    // --- queries ----------------------------------------------------------------------
    virtual TableObject* GetTable(const QString& name = QString()) const;
    virtual std::unique_ptr<TableData> OpenQuery(const QString& table, const QString& filter);
    virtual QString BuildFieldCondition(const QString& field, const QVariant& value, bool wildcard = false) const;
    // Condition for field against value; with a wildcard ("%" or "*") a text becomes a Like
    // pattern: the text followed by any run of characters.
    QString BuildCondition(const QString& field, const QVariant& value, const QString& wildcard = QString()) const;
    QString BuildReferenceCondition(const QString& reference, const QVariant& key) const;
    QString QuoteText(const QString& text) const;
    // op 0 sum, 1 count, 2 maximum, 3 minimum, 4 average; 0 without rows.
    virtual QVariant Aggregate(const QString& field, int op) const;
    virtual QVariant GetNextProgressive(const QString& field) const;
    virtual Database* GetDatabase() const;
    virtual DBEngine* GetEngine() const;
    virtual QString tableName() const;
    RecordSource& GetRecordSource();

    QString GetFilter() const;   // the filter set with SetFilter
    // Narrows the selected rows (Jet SQL; empty: none); `values` are bound to its "?" in order.
    void SetFilter(const QString& filter, const QVariantList& values = {});
    QString GetSelectCondition() const;   // the condition the rows were selected with
    void SelectWhere(const QString& condition);   // selects the rows again with this condition
    QString GetOrder() const;
    void SetOrder(const QString& order);   // "Field[ DESC], ..."; empty: the default order
    bool AllowsOrder(const QString& order) const;
    QString GetFieldList() const;
    std::vector<FieldInfo> GetFieldInfos() const;
    FieldInfo GetFieldInfo(const QString& field) const;
    void Refresh();   // reads the current row and its page again
    void Requery();   // runs the query again from the first row
    std::unique_ptr<TableData> Clone() const;   // same rows, same current row, own cursor
    void Close();

    // --- bulk work (no row rules: rows travel as they are, keeping their OIDs) ---------
    // Copies every row of this data set into the target's table (usually another file),
    // with the rows of its owned lists; related rows (parents, referenced rows) are
    // added when missing, and replaced when copyRelated is True. False when stopped or failed.
    [[nodiscard]] bool CopyRows(TableData& target, itfProgress* progress = nullptr, bool copyRelated = false);
    [[nodiscard]] bool CopyRowTo(TableData& target, bool copyRelated = true);
    // Deletes every row of this data set with its owned lines, without row rules. False when
    // stopped through the progress.
    [[nodiscard]] bool DeleteRows(itfProgress* progress = nullptr);
    // The archive delete of the current row (moved to another file): its owned lines go
    // with it, no row rule runs (a sale moved away gives no stock back).
    void DeleteRowWithoutRules();
    // Format 2: HTML table of the shown fields (fieldOrder: comma list, empty for all).
    [[nodiscard]] bool Export(int format, const QString& path, itfProgress* progress = nullptr,
                              const QString& fieldOrder = QString());
    QString ExportHtml(const QString& fieldOrder = QString());

    // --- refusals ---------------------------------------------------------------------
    // Refuses the change under way; the handler goes on, the library undoes the change.
    virtual void CancelWithMessage(const QString& message);
    // Lets the change go on and shows the warning.
    virtual void WarnWithMessage(const QString& message);
    // Shows a message; with cancel True it also refuses the change under way.
    void NotifyWithMessage(int kind, const QString& message, bool cancel = false);
    void ShowMessage(int kind, const QString& message);

    struct Impl;

protected:
    TableData();

private:
    explicit TableData(std::unique_ptr<Impl> impl);
    // SetValue with the value worked out inside the operation, once the row stands as stored.
    void changeField(const QString& field, const std::function<QVariant()>& value);
    std::unique_ptr<Impl> d;
    friend class objdb::DataSetAccess;
};
