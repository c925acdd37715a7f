#pragma once
// The query behind one view of the main window: what the section tree's node asks for, in
// Jet SQL, as the database library takes it (a table, a select list, a condition, an order).
#include <QString>
#include <QStringList>
#include <optional>

struct ViewQuery {
    QString Table;   // the table whose rows are shown
    QString Fields;   // select list; empty: every field of the table
    QString Where;   // condition without the word WHERE; empty: all rows
    QString Order;   // the query order handed to the select
    QString Sort;   // the data set's sort ("Field[ DESC],...")
    QString DateField;   // the column the date selection restricts; empty: none

    QString PreviousTable;   // the table shown so far, when its state is carried over
    std::optional<qint64> KeptRowKey;   // the row that was current there

    // The view's title line: its standing text (the label's Tag) unless an entry replaced it.
    QString Title;
    // Status-bar texts, in the order the building wrote them; the last one stays.
    QStringList StatusTexts;
    bool EnableFiscalPrint = false;   // sales can be sent to the register
    bool EnablePrintLabel = false;   // articles and supplies print labels
    bool SelectionsBeforeQuery = false;   // the node has predefined selections (menu checked)
    bool NoView = false;   // no node, or a node without a key: no data set at all

    // The whole select in Jet SQL: the fields (or "*") from the table, the condition, and the
    // order the rows come in (the sort when there is one, else the
    // query order). top > 0 adds "TOP n". extraCondition is combined with the view's own.
    QString Statement(int top = 0, const QString& extraCondition = QString(),
                      const QString& orderOverride = QString()) const;
};

// "(" + a + ") AND " + b, or whichever of the two is not empty.
QString CombineConditions(const QString& a, const QString& b);
