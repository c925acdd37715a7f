#pragma once
// What the stock-load and stock-unload lines share: their numbering within the document
// that owns them, and how a rule tells whether a changed field is one it watches.
#include <QString>
#include <QStringList>
#include <QVariant>

class TableData;

// The numbering state of one line table: the document that got the last line number and
// that number. Kept while the database is open, never stored.
struct LineNumbering {
    // The line's date field: a line is unique by its date, its article and its number.
    explicit LineNumbering(const QString& dateField) : dateField(dateField) { }

    QString dateField;
    qint64 lastDocument = 0;
    qint64 counter = 0;

    // Gives a new line the next Progressivo of its document (the document's highest line
    // number plus one whenever the document changes). Nothing while a report reads the rows.
    void number(TableData& line);

private:
    // The line's number was taken meanwhile by another counter's line of the same article in
    // the same second: the next one free among those and in the document.
    QVariant nextFree(TableData& line);
};

// True when field is one of the comma-separated names.
bool isOneOf(const QString& field, const char* commaList);
