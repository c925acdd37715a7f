#pragma once
// What the sale and supply documents ask of the operator through windows of their own: the
// library's pick list, its row editor (on a row, on a new row with presets, on one field),
// its list of rows, the question that beeps, and the card dialog. The document windows answer
// with those dialogs; tests answer in advance. Plain questions and messages go through ui().
//
// It is an ImportOperator too: the supply's import asks the same operator.
#include "ImportOperator.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class TableData;

class DocumentOperator : public ImportOperator {
public:
    // The pick list over `rows` (showing `columns`), opened on the current row: the chosen
    // row's key, or nothing when the operator chose none.
    virtual std::optional<qint64> pickRow(TableData& rows, const QStringList& columns) = 0;

    // The row editor on the current row of `rows`, pending changes included: the row's key
    // once the operator saved it, nothing when cancelled (the pending changes stay; the
    // caller decides what becomes of them).
    virtual std::optional<qint64> editRow(TableData& rows) = 0;

    // The row editor on a new row of `rows`, preset with the (field, value, ...) pairs. The
    // pairs may carry the editor's options "@InvertParent@" (the row is made from its parent
    // side: the parent is preset, the row's own fields are asked) and
    // "@DisableParentIdentify@". A reference's preset is the key (OID) of the row it points
    // to, "objParent" the parent row's. The saved row's key, or nothing when cancelled.
    virtual std::optional<qint64> newRow(TableData& rows, const QVariantList& presets) = 0;

    // The editor of one field of the current row: true when the operator confirmed it and
    // the row was saved.
    virtual bool editField(TableData& rows, const QString& field) = 0;

    // The rows in the library's list (showing `columns`), where the operator reviews and
    // changes them; returns when the list closes.
    virtual void showRows(TableData& rows, const QStringList& columns) = 0;

    // The modal question that beeps when it opens and does not take a confirmation typed by
    // accident (a barcode read meant for the code box): true for Yes.
    virtual bool confirmWithBeep(const QString& message) = 0;

    // The card dialog reading a customer's card: the code on the card, empty when none was
    // read.
    virtual QString readCustomerCard() = 0;
};
