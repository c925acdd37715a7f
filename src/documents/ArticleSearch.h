#pragma once
// The article search of the main window's articles view: a code, an additional code or a
// piece of description, typed or scanned, either moves the grid's selection to the first
// article that matches or narrows the view to the articles that match. The view, its tree
// and its grid are the main window's (ArticleSearchHost); the search window hands over the
// text and the options and shows what came of it.
//
// Beeps and error reports go through ui(); nothing here opens a window of its own.
#include <QString>
#include <optional>

class ArticleSearchHost;
class Database;

enum class ArticleSearchField { Codice, CodiceAggiuntivo, Descrizione };

class ArticleSearch {
public:
    // Either may be null (no database open, no main window): a search then reports that it
    // has nothing to search in.
    ArticleSearch(Database* db, ArticleSearchHost* host) : m_db(db), m_host(host) { }

    // "&Codice", "Codice &Aggiuntivo", "&Descrizione".
    ArticleSearchField field = ArticleSearchField::Codice;
    // "S&olo articoli corrispondenti": the view keeps only the matches.
    bool onlyMatches = false;

    // F4: Codice, then Descrizione, then Codice Aggiuntivo, then Codice again.
    static ArticleSearchField NextField(ArticleSearchField field);

    // The condition on the articles that the text stands for: the codes that begin with it,
    // the descriptions that contain it (raises without a database). The text is matched as written: the pattern
    // characters of Like in it ("*", "?", "#", "[") stand for themselves.
    [[nodiscard]] QString Criteria(const QString& text) const;
    // The text to find in what was typed: for a code search the article code that a barcode
    // layout cuts out of it (quantity and amount dropped), blanks around removed; for a
    // description the text as typed.
    [[nodiscard]] QString TextToFind(const QString& typed) const;

    enum class Outcome {
        NothingToFind,   // the text was empty: beeped
        Found,   // the article is selected in the grid
        NotFound,   // beeped; with onlyMatches the view shows no rows
        Failed   // reported
    };
    Outcome Search(const QString& typed);

    // What a scanner left in the search box: the code of its first line through the
    // barcode reader's filter, when the box holds a line break and the filter keeps a code;
    // nothing for text that was only typed.
    [[nodiscard]] static std::optional<QString> ScannedCode(const QString& boxText);

    // "&Stampa [F8]": labels of the articles selected in the grid. "&Modifica [F5]": the
    // selected article in its editor. Errors are reported.
    void PrintLabel();
    void Edit();

private:
    Outcome search(const QString& typed);
    Database& database() const;   // raises when none is open
    ArticleSearchHost& host() const;

    Database* m_db;
    ArticleSearchHost* m_host;
};

// A text as a Like pattern that matches only that text.
[[nodiscard]] QString LikeLiteral(const QString& text);
