#pragma once
// A data set over a table or query, with a current row. This is the one way table rules,
// windows and tools read and change rows. Values are QVariant: a null QVariant is Null;
// currency fields hold Currency, dates QDateTime, integers qint64, Booleans bool,
// numbers double, texts QString.
//
// Contract (the library keeps it): every change to the database made through one call
// is atomic; a change refused with CancelWithMessage is undone wholly; field events
// reach a fixed point; a child row reads and writes its parent's fields by name.
#include "Currency.h"
#include <QString>
#include <QVariant>
#include <memory>

class Database;
class DBEngine;
class TableObject;
struct ReferenceDefinition;

class TableData {
public:
    virtual ~TableData() = default;

    // --- current row: values ---------------------------------------------------------
    virtual QVariant GetValue(const QString& field) const = 0;          // Null when empty
    virtual QVariant GetFieldValue(const QString& field) const = 0;     // 0 (of the field's type) when empty
    virtual Currency GetCurrencyValue(const QString& field) const = 0;  // 0 when empty
    virtual QString GetText(const QString& field) const = 0;            // display text
    virtual bool IsFieldNull(const QString& field) const = 0;
    virtual bool HasField(const QString& field) const = 0;
    // Raises OnBeforeUpdateField, stores, raises OnUpdateField; a refusal restores the old value.
    virtual void SetValue(const QString& field, const QVariant& value) = 0;
    virtual void AddToField(const QString& field, const QVariant& amount) = 0;
    virtual void SubtractFromField(const QString& field, const QVariant& amount) = 0;
    virtual qint64 GetOID() const = 0;                                  // 0 when no current row

    // --- rows --------------------------------------------------------------------------
    // New row: raises OnNewRow, then applies the (field, value, field, value, ...) pairs,
    // then stores it (OnUpdateRow). Returns the new row's OID.
    virtual qint64 AddRow(const QVariantList& fieldValuePairs) = 0;
    virtual void NewRow() = 0;              // new current row, not yet stored (OnNewRow raised)
    virtual void Update() = 0;              // stores the current row (OnUpdateRow); refusal raises AppError
    virtual void DeleteRow() = 0;           // OnDeleteRow; refusal raises AppError
    virtual bool IsNewRow() const = 0;
    virtual bool IsChanged() const = 0;

    // --- navigation -------------------------------------------------------------------
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual void MoveLast() = 0;
    virtual bool IsEOF() const = 0;
    bool EOF_() const { return IsEOF(); }
    virtual bool IsEmpty() const = 0;
    virtual qint64 RowCount() const = 0;    // a count query, never a full read
    // Moves to the row whose key field (the reference key field or "Codice") equals key.
    virtual bool FindKey(const QVariant& key) = 0;
    virtual bool MoveToOID(qint64 oid) = 0;

    // --- references and lists -----------------------------------------------------------
    // A single reference gives the referenced row (empty data set when unset);
    // a list gives its member rows.
    virtual std::unique_ptr<TableData> GetReference(const QString& reference) = 0;
    // All rows of the reference's target table (for choosing one).
    virtual std::unique_ptr<TableData> GetReferenceTable(const QString& reference) = 0;
    // Sets a single reference to the target row whose key field equals key; an empty key
    // selects the row whose key field is empty, or leaves the reference unset.
    virtual void SetReferenceByKey(const QString& reference, const QVariant& key) = 0;
    virtual void SetReferenceOID(const QString& reference, qint64 oid) = 0;
    virtual qint64 GetReferenceOID(const QString& reference) const = 0;
    // The row holding this one in an owned list (a line's document), or nullptr.
    virtual std::unique_ptr<TableData> GetOwnerRow() = 0;

    // --- queries ----------------------------------------------------------------------
    virtual TableObject* GetTable(const QString& name = QString()) const = 0;
    virtual std::unique_ptr<TableData> OpenQuery(const QString& table, const QString& filter) = 0;
    virtual QString BuildFieldCondition(const QString& field, const QVariant& value, bool wildcard = false) const = 0;
    // op 0 sum, 2 maximum; 0 without rows.
    virtual QVariant Aggregate(const QString& field, int op) const = 0;
    virtual QVariant GetNextProgressive(const QString& field) const = 0;
    virtual Database* GetDatabase() const = 0;
    virtual DBEngine* GetEngine() const = 0;
    virtual QString tableName() const = 0;

    // --- refusals ---------------------------------------------------------------------
    // Refuses the change under way; the handler goes on, the library undoes the change.
    virtual void CancelWithMessage(const QString& message) = 0;
    // Lets the change go on and shows the warning.
    virtual void WarnWithMessage(const QString& message) = 0;
};
