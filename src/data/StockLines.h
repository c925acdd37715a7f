#pragma once
// What the stock-load and stock-unload lines share: their numbering within the document
// that owns them, and how a rule tells whether a changed field is one it watches.
#include <QString>
#include <QStringList>

class TableData;

// The numbering state of one line table: the document that got the last line number and
// that number. Kept while the database is open, never stored.
struct LineNumbering {
    qint64 lastDocument = 0;
    qint64 counter = 0;

    // Gives a new line the next Progressivo of its document (the document's highest line
    // number plus one whenever the document changes). Nothing while a report reads the rows.
    void number(TableData& line);
};

// True when field is one of the comma-separated names.
bool isOneOf(const QString& field, const char* commaList);
