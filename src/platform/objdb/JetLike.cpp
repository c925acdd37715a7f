#include "JetLike.h"
#include "base/AppError.h"
#include <QList>

namespace {
char32_t foldChar(char32_t c)
{
    if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    QString s = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    QString base;
    for (QChar q : s)
        if (q.category() != QChar::Mark_NonSpacing) base += q;
    base = base.toCaseFolded();
    auto ucs = base.toUcs4();
    return ucs.isEmpty() ? c : static_cast<char32_t>(ucs.first());
}
}   // namespace

std::u32string JetLikePattern::fold(const QString& text)
{
    std::u32string out;
    out.reserve(static_cast<size_t>(text.size()));
    bool ascii = true;
    for (QChar q : text)
        if (q.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        for (QChar q : text) out += foldChar(q.unicode());
        return out;
    }
    // Decompose once, drop the accents, fold the case of what remains.
    QString base;
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    base.reserve(decomposed.size());
    for (QChar q : decomposed)
        if (q.category() != QChar::Mark_NonSpacing) base += q;
    for (char32_t c : base.toCaseFolded().toUcs4()) out += c;
    return out;
}

JetLikePattern::JetLikePattern(const QString& pattern)
{
    const std::u32string p = fold(pattern);
    const size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t c = p[i];
        Element e;
        if (c == U'*') {
            if (!m_elements.empty() && m_elements.back().kind == Element::AnyRun) continue;
            e.kind = Element::AnyRun;
        } else if (c == U'?') {
            e.kind = Element::AnyChar;
        } else if (c == U'#') {
            e.kind = Element::Digit;
        } else if (c == U'[') {
            size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos)
                throw AppError(93, QStringLiteral("Like"),
                               QStringLiteral("Criterio di ricerca non valido: manca ']' in «%1»").arg(pattern));
            std::u32string body = p.substr(i + 1, close - i - 1);
            i = close;
            if (body.empty()) continue;   // "[]" stands for nothing
            e.kind = Element::Set;
            size_t k = 0;
            if (body[0] == U'!' && body.size() > 1) {
                e.negated = true;
                k = 1;
            }
            for (; k < body.size(); ++k) {
                char32_t lo = body[k];
                if (k + 2 < body.size() && body[k + 1] == U'-') {
                    char32_t hi = body[k + 2];
                    if (hi < lo) std::swap(lo, hi);
                    e.ranges.emplace_back(lo, hi);
                    k += 2;
                } else {
                    e.ranges.emplace_back(lo, lo);
                }
            }
        } else {
            e.ch = c;
        }
        m_elements.push_back(std::move(e));
    }
}

bool JetLikePattern::Element::matchesChar(char32_t c) const
{
    switch (kind) {
    case AnyChar: return true;
    case Digit: return c >= U'0' && c <= U'9';
    case Literal: return c == ch;
    case Set: {
        bool in = false;
        for (const auto& [lo, hi] : ranges)
            if (c >= lo && c <= hi) {
                in = true;
                break;
            }
        return in != negated;
    }
    case AnyRun: return false;
    }
    return false;
}

bool JetLikePattern::matches(const QString& text) const
{
    const std::u32string t = fold(text);
    return matchesFolded(t.data(), t.size());
}

bool JetLikePattern::matchesAscii(const char* text, size_t size) const
{
    thread_local std::u32string t;
    t.resize(size);
    for (size_t i = 0; i < size; ++i) t[i] = foldChar(static_cast<unsigned char>(text[i]));
    return matchesFolded(t.data(), size);
}

bool JetLikePattern::matchesFolded(const char32_t* t, size_t tn) const
{
    // Every element but a run takes exactly one character, so the classic two-pointer walk
    // with one back-tracking point (the last run seen) decides the match in O(n*m).
    size_t ti = 0, pi = 0;
    size_t starP = std::u32string::npos, starT = 0;
    const size_t pn = m_elements.size();
    while (ti < tn) {
        if (pi < pn && m_elements[pi].kind == Element::AnyRun) {
            starP = pi++;
            starT = ti;
        } else if (pi < pn && m_elements[pi].matchesChar(t[ti])) {
            ++pi;
            ++ti;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < pn && m_elements[pi].kind == Element::AnyRun) ++pi;
    return pi == pn;
}
