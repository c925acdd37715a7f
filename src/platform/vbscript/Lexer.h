#pragma once
// Splits script text into tokens: names, literals, operators and statement ends. Line
// continuations ("_" at the end of a line) and comments ("'" and Rem) never reach the
// parser; every token knows its 1-based line.
#include "Variant.h"

#include <QString>
#include <vector>

namespace vbs {

struct Token {
    enum class Kind { Name, Number, Text, Date, Op, EndOfStatement, EndOfText };
    Kind kind = Kind::EndOfText;
    QString text;   // as written (Name, Op)
    QString key;   // Name: lower case
    Variant value;   // Number, Text, Date
    int line = 1;
    int column = 1;
    bool spaceBefore = false;
    bool newline = false;   // EndOfStatement: a line end rather than ':'
        // (text is ":" when a ':' came first, before any line end)
};

// Throws ScriptError for a character or literal it cannot read.
std::vector<Token> tokenize(const QString& text);

}   // namespace vbs
