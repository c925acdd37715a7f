#include "Lexer.h"

#include "ScriptError.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdint>

namespace vbs {

namespace {

bool isNameStart(QChar c) { return c.isLetter(); }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

class Lexer {
public:
    explicit Lexer(const QString& text) : m_s(text) { }

    std::vector<Token> run()
    {
        while (m_pos < m_s.size()) step();
        push(Token::Kind::EndOfStatement, QString(), true);
        Token end;
        end.kind = Token::Kind::EndOfText;
        end.line = m_line;
        end.column = column();
        m_tokens.push_back(end);
        return std::move(m_tokens);
    }

private:
    QChar at(qsizetype i) const { return i < m_s.size() ? m_s[i] : QChar(); }
    int column() const { return static_cast<int>(m_pos - m_lineStart) + 1; }

    [[noreturn]] void fail(int number) { throw ScriptError(number, errorText(number), m_line, column()); }

    bool atStatementStart() const
    {
        return m_tokens.empty() || m_tokens.back().kind == Token::Kind::EndOfStatement
            || (m_tokens.back().kind == Token::Kind::Name && m_tokens.back().key == u"then")
            || (m_tokens.back().kind == Token::Kind::Name && m_tokens.back().key == u"else");
    }

    Token& push(Token::Kind kind, const QString& text, bool newline = false)
    {
        // Consecutive statement ends fold into one; the parser needs only one.
        if (kind == Token::Kind::EndOfStatement && !m_tokens.empty()
            && m_tokens.back().kind == Token::Kind::EndOfStatement) {
            m_tokens.back().newline = m_tokens.back().newline || newline;
            return m_tokens.back();
        }
        Token t;
        t.kind = kind;
        t.text = text;
        t.line = m_tokLine;
        t.column = m_tokCol;
        t.spaceBefore = m_space;
        t.newline = newline;
        m_tokens.push_back(std::move(t));
        m_space = false;
        return m_tokens.back();
    }

    void newLine()
    {
        QChar c = m_s[m_pos];
        ++m_pos;
        if (c == u'\r' && at(m_pos) == u'\n') ++m_pos;
        ++m_line;
        m_lineStart = m_pos;
    }

    void skipToLineEnd()
    {
        while (m_pos < m_s.size() && m_s[m_pos] != u'\r' && m_s[m_pos] != u'\n') ++m_pos;
    }

    void step()
    {
        QChar c = m_s[m_pos];
        m_tokLine = m_line;
        m_tokCol = column();
        if (c == u' ' || c == u'\t' || c == QChar(0xA0) || c == u'\f' || c == u'\v') {
            ++m_pos;
            m_space = true;
            return;
        }
        if (c == u'\r' || c == u'\n') {
            push(Token::Kind::EndOfStatement, QString(), true);
            newLine();
            return;
        }
        if (c == u':') {
            push(Token::Kind::EndOfStatement, QStringLiteral(":"));
            ++m_pos;
            return;
        }
        if (c == u'\'') {
            skipToLineEnd();
            return;
        }
        if (c == u'_') {
            // A line continuation: "_" then only blanks up to the line end.
            qsizetype p = m_pos + 1;
            while (p < m_s.size() && (m_s[p] == u' ' || m_s[p] == u'\t')) ++p;
            if (p < m_s.size() && (m_s[p] == u'\r' || m_s[p] == u'\n')) {
                m_pos = p;
                newLine();
                m_space = true;
                return;
            }
            if (p >= m_s.size()) {
                m_pos = p;
                return;
            }
            fail(err::kInvalidCharacter);
        }
        if (c == u'"') return string();
        if (c == u'#') return date();
        if (c.isDigit() || (c == u'.' && at(m_pos + 1).isDigit() && !memberDotContext())) return number();
        if (c == u'&' && (at(m_pos + 1).toUpper() == u'H' || at(m_pos + 1).toUpper() == u'O')) {
            // &H1F and &O17; "&Hx" where no digit follows is the & operator and a name.
            QChar k = at(m_pos + 1).toUpper();
            QChar d = at(m_pos + 2);
            bool digit
                = k == u'H' ? d.isDigit() || (d.toUpper() >= u'A' && d.toUpper() <= u'F') : (d >= u'0' && d <= u'7');
            if (digit) return radixNumber();
        }
        if (isNameStart(c)) return name();
        if (c == u'[') {
            qsizetype close = m_s.indexOf(u']', m_pos + 1);
            if (close < 0) fail(err::kInvalidCharacter);
            QString n = m_s.mid(m_pos + 1, close - m_pos - 1);
            if (n.contains(u'\n') || n.contains(u'\r')) fail(err::kInvalidCharacter);
            Token& t = push(Token::Kind::Name, n);
            t.key = n.toLower();
            m_pos = close + 1;
            return;
        }
        // "=>", "=<" and "><" are old spellings of the same three comparisons.
        static const std::pair<QString, QString> twoChar[]
            = {{QStringLiteral("<="), QStringLiteral("<=")}, {QStringLiteral(">="), QStringLiteral(">=")},
               {QStringLiteral("<>"), QStringLiteral("<>")}, {QStringLiteral("=<"), QStringLiteral("<=")},
               {QStringLiteral("=>"), QStringLiteral(">=")}, {QStringLiteral("><"), QStringLiteral("<>")}};
        for (const auto& [written, op] : twoChar) {
            if (QStringView(m_s).mid(m_pos, 2) == written) {
                push(Token::Kind::Op, op);
                m_pos += 2;
                return;
            }
        }
        if (QStringLiteral("+-*/\\^&=<>(),.").contains(c)) {
            push(Token::Kind::Op, QString(c));
            ++m_pos;
            return;
        }
        fail(err::kInvalidCharacter);
    }

    // ".5" after a name or ")" with no blank is a member access, not a number.
    bool memberDotContext() const
    {
        if (m_space || m_tokens.empty()) return false;
        const Token& t = m_tokens.back();
        return t.kind == Token::Kind::Name || (t.kind == Token::Kind::Op && t.text == u")");
    }

    void name()
    {
        qsizetype start = m_pos;
        while (m_pos < m_s.size() && isNameChar(m_s[m_pos])) ++m_pos;
        QString n = m_s.mid(start, m_pos - start);
        QString key = n.toLower();
        if (key == u"rem" && atStatementStart() && (m_pos >= m_s.size() || !isNameChar(m_s[m_pos]))) {
            skipToLineEnd();
            return;
        }
        Token& t = push(Token::Kind::Name, n);
        t.key = std::move(key);
    }

    void string()
    {
        QString value;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_s.size() || m_s[m_pos] == u'\r' || m_s[m_pos] == u'\n') fail(err::kUnterminatedString);
            QChar c = m_s[m_pos++];
            if (c == u'"') {
                if (at(m_pos) == u'"') {
                    value += u'"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            value += c;
        }
        Token& t = push(Token::Kind::Text, QString());
        t.value = Variant(std::move(value));
    }

    void date()
    {
        qsizetype close = m_pos + 1;
        while (close < m_s.size() && m_s[close] != u'#' && m_s[close] != u'\r' && m_s[close] != u'\n') ++close;
        if (close >= m_s.size() || m_s[close] != u'#') fail(err::kSyntax);
        QString body = m_s.mid(m_pos + 1, close - m_pos - 1).trimmed();
        // Date literals are written month first, whatever the locale: #12/31/2024#.
        double serial = 0;
        QString swapped = body;
        static const QRegularExpression us(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{1,4})(.*)$"));
        auto m = us.match(body);
        if (m.hasMatch()) swapped = m.captured(2) + u'/' + m.captured(1) + u'/' + m.captured(3) + m.captured(4);
        if (!parseDate(swapped, serial)) fail(err::kSyntax);
        Token& t = push(Token::Kind::Date, QString());
        t.value = Variant::date(serial);
        m_pos = close + 1;
    }

    void number()
    {
        qsizetype start = m_pos;
        bool isFloat = false;
        while (m_pos < m_s.size() && m_s[m_pos].isDigit()) ++m_pos;
        if (at(m_pos) == u'.' && at(m_pos + 1).isDigit()) {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_s.size() && m_s[m_pos].isDigit()) ++m_pos;
        } else if (at(m_pos) == u'.' && !isNameStart(at(m_pos + 1))) {
            isFloat = true;   // "1." is a Double
            ++m_pos;
        }
        if ((at(m_pos) == u'e' || at(m_pos) == u'E')
            && (at(m_pos + 1).isDigit()
                || ((at(m_pos + 1) == u'+' || at(m_pos + 1) == u'-') && at(m_pos + 2).isDigit()))) {
            isFloat = true;
            m_pos += 2;
            while (m_pos < m_s.size() && m_s[m_pos].isDigit()) ++m_pos;
        }
        QString text = m_s.mid(start, m_pos - start);
        if (isNameChar(at(m_pos))) fail(err::kExpectedEndOfStatement);
        Token& t = push(Token::Kind::Number, text);
        double d = 0;
        if (!decimalToDouble(text.toLatin1(), d)) fail(err::kOverflow);
        if (!isFloat && d <= 2147483647.0)
            t.value = Variant(static_cast<int>(d));
        else
            t.value = Variant(d);
    }

    void radixNumber()
    {
        int base = m_s[m_pos + 1].toUpper() == u'H' ? 16 : 8;
        m_pos += 2;
        qsizetype start = m_pos;
        unsigned long long v = 0;
        while (m_pos < m_s.size()) {
            QChar c = m_s[m_pos].toUpper();
            int d = c.isDigit() ? c.digitValue() : (c >= u'A' && c <= u'F' ? c.unicode() - u'A' + 10 : -1);
            if (d < 0 || d >= base) break;
            v = v * base + d;
            if (v > 0xFFFFFFFFULL) fail(err::kOverflow);
            ++m_pos;
        }
        // Without a suffix the digits are read as 16 bits while they fit in 16, so &HFFFF is -1.
        // With "&" they are read as 32 bits and the literal takes the narrowest type holding the
        // result: &H10& and &HFFFFFFFF& (-1) are Integer, &HFFFF& (65535) is Long.
        bool thirtyTwoBits = at(m_pos) == u'&';
        if (thirtyTwoBits) ++m_pos;
        Token& t = push(Token::Kind::Number, m_s.mid(start - 2, m_pos - start + 2));
        if (!thirtyTwoBits && v <= 0xFFFF) {
            t.value = Variant::integer(static_cast<int16_t>(static_cast<uint16_t>(v)));
            return;
        }
        auto value = static_cast<int32_t>(static_cast<uint32_t>(v));
        if (thirtyTwoBits && value >= INT16_MIN && value <= INT16_MAX)
            t.value = Variant::integer(static_cast<int16_t>(value));
        else
            t.value = Variant::longValue(value);
    }

    const QString& m_s;
    qsizetype m_pos = 0;
    qsizetype m_lineStart = 0;
    int m_line = 1;
    int m_tokLine = 1;
    int m_tokCol = 1;
    bool m_space = false;
    std::vector<Token> m_tokens;
};

}   // namespace

std::vector<Token> tokenize(const QString& text) { return Lexer(text).run(); }

}   // namespace vbs
