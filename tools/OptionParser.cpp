#include "OptionParser.h"

namespace mvtool {

OptionParser& OptionParser::add(const char* name, Kind kind, TakeMaybe take, Say wrong)
{
    m_options.push_back({QString::fromLatin1(name), kind, std::move(take), std::move(wrong)});
    return *this;
}

OptionParser& OptionParser::flag(const char* name, bool& set)
{
    return flag(name, [&set] { set = true; });
}

OptionParser& OptionParser::flag(const char* name, std::function<void()> set)
{
    return add(name, Kind::Flag,
               [set = std::move(set)](const std::optional<QString>&) {
                   set();
                   return true;
               },
               {});
}

OptionParser& OptionParser::value(const char* name, QString& into)
{
    return value(name, [&into](const QString& v) {
        into = v;
        return true;
    });
}

OptionParser& OptionParser::value(const char* name, std::optional<QString>& into)
{
    return value(name, [&into](const QString& v) {
        into = v;
        return true;
    });
}

OptionParser& OptionParser::value(const char* name, Take take, Say wrong)
{
    return add(
        name, Kind::Value, [take = std::move(take)](const std::optional<QString>& v) { return take(*v); },
        std::move(wrong));
}

OptionParser& OptionParser::valueOrNothing(const char* name, TakeMaybe take, Say wrong)
{
    return add(name, Kind::ValueOrNothing, std::move(take), std::move(wrong));
}

OptionParser& OptionParser::onUnknown(Say say)
{
    m_unknown = std::move(say);
    return *this;
}

OptionParser& OptionParser::onMissingValue(Say say)
{
    m_missing = std::move(say);
    return *this;
}

OptionParser& OptionParser::missingValueIsWrong()
{
    m_missingIsWrong = true;
    return *this;
}

OptionParser& OptionParser::maxWords(int most)
{
    m_maxWords = most;
    return *this;
}

OptionParser& OptionParser::unknownAreWords()
{
    m_unknownAreWords = true;
    return *this;
}

const OptionParser::Option* OptionParser::find(const QString& name) const
{
    for (const Option& o : m_options)
        if (o.name == name) return &o;
    return nullptr;
}

std::optional<QStringList> OptionParser::parse(const QStringList& args) const
{
    const auto refuse = [](const Say& say, const QString& argument) -> std::optional<QStringList> {
        if (say) say(argument);
        return std::nullopt;
    };
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool optionLike = a.startsWith(QLatin1String("--"));
        const Option* option = optionLike ? find(a) : nullptr;
        if (!option) {
            if (optionLike && !m_unknownAreWords) return refuse(m_unknown, a);
            if (m_maxWords >= 0 && words.size() >= m_maxWords) return refuse(m_unknown, a);
            words << a;
            continue;
        }
        std::optional<QString> value;
        if (option->kind != Kind::Flag && i + 1 < args.size()) value = args.at(++i);
        if (option->kind == Kind::Value && !value) {
            if (m_missingIsWrong) return refuse(option->wrong, a);
            return refuse(m_missing ? m_missing : m_unknown, a);
        }
        if (!option->take(value)) return refuse(option->wrong, a);
    }
    return words;
}

OptionParser::Take number(int& into, int lowest, int highest)
{
    return [&into, lowest, highest](const QString& v) {
        bool ok = false;
        const int n = v.toInt(&ok);
        if (!ok || n < lowest || n > highest) return false;
        into = n;
        return true;
    };
}

OptionParser::Take number(std::optional<int>& into, int lowest, int highest)
{
    return [&into, lowest, highest](const QString& v) {
        int n = 0;
        if (!number(n, lowest, highest)(v)) return false;
        into = n;
        return true;
    };
}

}   // namespace mvtool
