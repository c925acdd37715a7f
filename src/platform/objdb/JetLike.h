#pragma once
// The Like operator of Jet SQL: "*" any run of characters, "?" one character, "#" one
// digit, "[abc]" / "[a-z]" one of, "[!abc]" none of; "[*]" a literal star. "%" and "_" are
// plain characters: they are what an operator types in "Sconto 50%" or "COD_1", and a
// wildcard there would find "Sconto 500". Text and pattern are compared folded: without case
// and without accents, so "PÀN*" finds "pàne".
#include <QString>
#include <vector>

class JetLikePattern {
public:
    // Raises AppError on a malformed pattern (an unclosed "[").
    explicit JetLikePattern(const QString& pattern);
    bool matches(const QString& text) const;
    // The same for a text of plain ASCII bytes (as SQLite hands a value over), without
    // making a string of it first: a pattern is matched against every row a query reads.
    bool matchesAscii(const char* text, size_t size) const;

    // Accent- and case-free form of a text, one code point per character.
    static std::u32string fold(const QString& text);

private:
    bool matchesFolded(const char32_t* t, size_t tn) const;
    struct Element {
        enum Kind { AnyRun, AnyChar, Digit, Literal, Set } kind = Literal;
        char32_t ch = 0;
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;
        bool matchesChar(char32_t c) const;
    };
    std::vector<Element> m_elements;
};
