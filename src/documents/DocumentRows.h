#pragma once
// The row entry that the sale and the supply share: a code typed or scanned becomes a row of
// the document (or more of an existing row), and the row commands change, retype, edit and
// remove rows. The rows are the document's owned list "Articoli"; the table rules of the row
// tables keep stock, amounts, points and totals. The windows hand over the code box's text
// and the key of the row selected in the grid, and show the rows again as told.
//
// Questions and messages go through ui(); pick lists and row editors through the
// DocumentOperator.
#include "base/Currency.h"

#include <QString>
#include <QStringList>
#include <optional>

class Database;
class DocumentOperator;
class TableData;

enum class DocumentKind { Sale, Supply };

// What differs between the rows of a sale and those of a supply.
struct RowNames {
    QString rowTable;   // "ScaricoArticoli", "CaricoArticoli"
    QString quantity;   // the row's quantity field
    QString amount;   // the row's amount field
    QString price;   // the article's price that gates "+", "-" and the kind of row
    QString searchFields;   // the fields the description search selects
    QString quantityTitle;   // title of the quantity input box
    QString layoutName;   // the grid layout's name
    QStringList hiddenColumns;   // grid columns hidden at binding (the sale hides PuntiPremio too without points)
    QString defaultColumns;   // the grid's field sequence until the operator chooses one: the article's fields first
};
const RowNames& rowNames(DocumentKind kind);

// A quantity the operator typed: an optional sign, digits and at most one decimal
// separator, the comma as well as the point ("1,5" is 1.5), blanks around. Nothing for any
// other text, so that "abc" or "1,5kg" is refused rather than read as part of a number.
[[nodiscard]] std::optional<double> ReadQuantity(const QString& text);

// The quantity a weighed article's amount stands for: amount / price, rounded half to even
// to 3 decimals for a unit sold in fractions, to a whole number otherwise. Exact: the amount
// and the price are divided as the decimal numbers they are.
[[nodiscard]] double QuantityForAmount(Currency amount, Currency price, bool decimals);

class DocumentRows {
public:
    DocumentRows(DocumentKind kind, DocumentOperator& op);

    // The document (standing on its row) and its rows (the data set of its list "Articoli");
    // null: no document is open, and every command does nothing.
    void bind(TableData* document, TableData* rows);
    DocumentKind kind() const { return m_kind; }
    const RowNames& names() const { return rowNames(m_kind); }

    // "Cerca codice a&ggiuntivo [F8]": an unknown code is looked for among the additional codes.
    bool findAdditionalCode = false;
    // Supply: "Solo articoli del fornitore in ricerca   [F4]": the description search offers
    // only the articles of the supply's supplier.
    bool supplierArticlesOnly = false;

    // What a command did, for the window: show the rows again standing on `row` (0: the
    // first), and whether the code box is to be emptied. The focus always goes back to the
    // code box.
    struct Result {
        bool changed = false;
        qint64 row = 0;
        bool clearCode = false;
    };

    // "Agg. [F2]": the article whose code is the code box's text, cut by the barcode layouts;
    // with an empty box, an article found by its description. A new row, or the quantity
    // added to the article's row when the article is sold by the piece at a price.
    Result AddArticle(const QString& codeText);
    // "+": one more of the selected row (a return of one becomes a sale of one); without a
    // selected row, as "Agg. [F2]" with the code box's text.
    Result Increment(qint64 selected, const QString& codeText);
    // "-": one less (a sale of one becomes a return of one).
    Result Decrement(qint64 selected);
    // "&Quantità [F5]": the quantity typed in an input box.
    Result EditQuantity(qint64 selected);
    // "&Elimina [F10]": the row leaves the document, its quantity goes back to stock.
    Result DeleteRow(qint64 selected);
    // "&Modifica [F12]": the row in the row editor.
    Result EditRow(qint64 selected);
    // "&Definisci": a row made in the row editor.
    Result DefineRow();

    // The sale's marks for the selected row: "RESO" for a returned article, "SCORTA" when
    // the article's stock is at or below its minimum.
    struct Marks {
        bool returned = false;
        bool lowStock = false;
    };
    Marks marks(qint64 selected);

private:
    Result addArticle(const QString& codeText);
    // The row the grid shows selected, made current; false when none is (or it is gone).
    bool select(qint64 selected);
    // An article to add: its key, or what the window does when there is none.
    struct Article {
        qint64 key = 0;
        double quantity = 0;   // from the supply's new article with initial stock
        Result otherwise;
    };
    Article findByDescription();
    Article findByCode(const QString& code);
    Article newArticle(const QString& code);
    // `price`: the article's price as it was just read.
    Result addRow(qint64 article, double quantity, Currency amount, Currency price);
    Result step(qint64 selected, int direction);
    void linkToSupplier(qint64 article);
    Database& db() const;
    template <class F> Result guarded(F&& command);

    DocumentKind m_kind;
    DocumentOperator& m_op;
    TableData* m_document = nullptr;
    TableData* m_rows = nullptr;
};
