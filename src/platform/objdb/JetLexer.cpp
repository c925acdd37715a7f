#include "JetLexer.h"
#include "base/AppError.h"
#include "JetValues.h"
#include <QStringList>

namespace {
[[noreturn]] void syntaxError(const QString& what, int pos, const QString& sql)
{
    throw AppError(3075, QStringLiteral("JetSQL"),
                   QStringLiteral("Errore di sintassi nell'espressione della query: %1 (posizione %2) in «%3»")
                       .arg(what)
                       .arg(pos + 1)
                       .arg(sql));
}

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
// Numbers are written in ASCII digits: SQLite reads no other as a number.
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// "h:n[:s]" with an optional AM/PM; false when malformed.
bool parseTime(QString text, QTime& out)
{
    text = text.trimmed().toUpper();
    int extra = -1;
    if (text.endsWith(QLatin1String("AM")) || text.endsWith(QLatin1String("PM"))) {
        extra = text.endsWith(QLatin1String("PM")) ? 12 : 0;
        text.chop(2);
        text = text.trimmed();
    }
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3) return false;
    int v[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok || parts[i].isEmpty()) return false;
    }
    if (extra >= 0) {
        if (v[0] < 1 || v[0] > 12) return false;
        v[0] = v[0] % 12 + extra;
    }
    out = QTime(v[0], v[1], v[2]);
    return out.isValid();
}
}   // namespace

bool JetToken::isWord(const char* keyword) const
{
    return kind == Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool JetToken::isSymbol(const char* symbol) const { return kind == Symbol && text == QLatin1String(symbol); }

QString jetDateLiteralToStored(const QString& inside)
{
    QString text = inside.trimmed();
    QDate date = jet::zeroDate();
    QTime time(0, 0);
    QString timePart;
    const int blank = text.indexOf(QLatin1Char(' '));
    QString datePart = blank < 0 ? text : text.left(blank);
    if (blank >= 0) timePart = text.mid(blank + 1);
    if (datePart.contains(QLatin1Char(':'))) {   // a time alone
        timePart = text;
        datePart.clear();
    }
    if (!datePart.isEmpty()) {
        QStringList p = datePart.split(QLatin1Char('/'));
        int y = 0, m = 0, d = 0;
        bool ok1 = false, ok2 = false, ok3 = false;
        if (p.size() == 3) {   // month first, as Jet SQL always reads it
            m = p[0].toInt(&ok1);
            d = p[1].toInt(&ok2);
            y = p[2].toInt(&ok3);
            if (p[2].size() <= 2) y = jet::expandYear(y);
        } else if ((p = datePart.split(QLatin1Char('-'))).size() == 3 && p[0].size() == 4) {
            y = p[0].toInt(&ok1);
            m = p[1].toInt(&ok2);
            d = p[2].toInt(&ok3);
        }
        if (!(ok1 && ok2 && ok3)) return QString();
        date = QDate(y, m, d);
        if (!date.isValid()) return QString();
    }
    if (!timePart.isEmpty() && !parseTime(timePart, time)) return QString();
    return jet::storedDate(QDateTime(date, time, Qt::UTC));
}

std::vector<JetToken> jetTokenize(const QString& sql)
{
    // Jet's own limit on the length of a statement; it also bounds the depth of the trees
    // built from the text.
    constexpr int kMaxLength = 64000;
    if (sql.size() > kMaxLength)
        throw AppError(
            3075, QStringLiteral("JetSQL"),
            QStringLiteral("Istruzione SQL troppo lunga: %1 caratteri, al massimo %2").arg(sql.size()).arg(kMaxLength));
    std::vector<JetToken> out;
    const int n = static_cast<int>(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        JetToken t;
        t.pos = i;
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            t.kind = JetToken::String;
            int j = i + 1;
            for (;;) {
                if (j >= n) syntaxError(QStringLiteral("stringa non chiusa"), i, sql);
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        t.text += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += sql[j++];
            }
            i = j + 1;
        } else if (c == QLatin1Char('[')) {
            const int close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) syntaxError(QStringLiteral("manca ']'"), i, sql);
            t.kind = JetToken::Bracketed;
            t.text = sql.mid(i + 1, close - i - 1);
            if (t.text.isEmpty()) syntaxError(QStringLiteral("nome vuoto"), i, sql);
            // Jet names hold no control characters; a NUL would also end SQLite's reading
            // of the statement inside the quoted name.
            for (const QChar ch : t.text)
                if (ch.unicode() < 0x20) syntaxError(QStringLiteral("carattere non valido nel nome"), i, sql);
            i = close + 1;
        } else if (c == QLatin1Char('#')) {
            const int close = sql.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0) syntaxError(QStringLiteral("data non chiusa"), i, sql);
            t.kind = JetToken::Date;
            t.text = jetDateLiteralToStored(sql.mid(i + 1, close - i - 1));
            if (t.text.isEmpty())
                syntaxError(QStringLiteral("data non valida %1").arg(sql.mid(i, close - i + 1)), i, sql);
            i = close + 1;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(sql[i + 1]))) {
            t.kind = JetToken::Number;
            int j = i;
            while (j < n && isDigit(sql[j])) ++j;
            if (j < n && sql[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(sql[j])) ++j;
            }
            if (j < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-'))) ++k;
                if (k < n && isDigit(sql[k])) {
                    j = k;
                    while (j < n && isDigit(sql[j])) ++j;
                }
            }
            if (j < n && isNameStart(sql[j])) syntaxError(QStringLiteral("numero non valido"), i, sql);
            t.text = sql.mid(i, j - i);
            i = j;
        } else if (isNameStart(c)) {
            int j = i + 1;
            while (j < n && isNamePart(sql[j])) ++j;
            t.kind = JetToken::Word;
            t.text = sql.mid(i, j - i);
            if (j < n && sql[j] == QLatin1Char('$')) ++j;   // Left$, Mid$...
            i = j;
        } else if (c == QLatin1Char('?')) {
            t.kind = JetToken::Parameter;
            t.text = QStringLiteral("?");
            ++i;
        } else {
            t.kind = JetToken::Symbol;
            const QString two = sql.mid(i, 2);
            if (two == QLatin1String("<=") || two == QLatin1String(">=") || two == QLatin1String("<>")) {
                t.text = two;
                i += 2;
            } else if (QStringLiteral("(),.*/\\+-&^=<>;").contains(c)) {
                t.text = c;
                ++i;
            } else if (c == QLatin1Char('!')) {
                t.text = QStringLiteral(".");
                ++i;
            } else {
                syntaxError(QStringLiteral("carattere non valido '%1'").arg(c), i, sql);
            }
        }
        out.push_back(std::move(t));
    }
    JetToken end;
    end.pos = n;
    out.push_back(end);
    return out;
}
