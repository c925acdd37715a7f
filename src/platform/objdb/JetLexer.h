#pragma once
// Tokens of Jet SQL text. Strings, bracketed names and date literals are read whole here,
// so nothing later ever looks inside them.
#include <QString>
#include <vector>

struct JetToken {
    enum Kind {
        End,
        Word,   // a bare name or keyword (a trailing "$" as in Left$ is dropped)
        Bracketed,   // [name]: text is the name
        String,   // "..." or '...': text is the value, quotes undone
        Number,   // as written
        Date,   // #...#: text is the stored form "YYYY-MM-DD HH:MM:SS"
        Symbol,   // ( ) , . * / \ + - & ^ = < > <= >= <> ; (and "!" read as ".")
        Parameter   // ?
    };
    Kind kind = End;
    QString text;
    int pos = 0;   // offset in the source text, for messages

    bool isWord(const char* keyword) const;   // case-insensitive
    bool isSymbol(const char* symbol) const;
};

// Raises AppError on an unclosed string, bracket or date, or on an invalid date literal.
std::vector<JetToken> jetTokenize(const QString& sql);

// Reads the inside of a Jet date literal: m/d/yyyy (or yy) or yyyy-mm-dd, with an optional
// time h:n[:s] [AM|PM]; a time alone falls on 1899-12-30. Empty when invalid.
QString jetDateLiteralToStored(const QString& inside);
