#include "FiscalDescription.h"
#include <algorithm>

QString NormalizeDescription(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')) continue;
        switch (u) {
        case u'à': c = u'a'; break;
        case u'è':
        case u'é': c = u'e'; break;
        case u'ò': c = u'o'; break;
        case u'ù': c = u'u'; break;
        default: c = u' '; break;
        }
    }
    return out;
}

QString CleanDescription(const QString& text, int maxLength)
{
    QString out = NormalizeDescription(text).toUpper().left(std::max(0, maxLength));
    qsizetype end = out.size();
    while (end > 0 && out[end - 1] == u' ') --end;
    out.truncate(end);
    return out;
}
