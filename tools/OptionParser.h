#pragma once
#include <QString>
#include <QStringList>
#include <climits>
#include <functional>
#include <optional>
#include <vector>

namespace mvtool {

// A command's "--name" options, each a flag or followed by its value, and the words among
// them. The arguments are read in the order given and the first wrong one ends the reading:
// what the command says about it is printed and the command exits with status 2. The value
// is always the next argument, whatever it looks like; "--name" is the only option form, so a
// negative number or "-x" is a word like any other.
class OptionParser {
public:
    // Prints what is wrong with an argument (the option, or the word), or nothing.
    using Say = std::function<void(const QString& argument)>;
    // Takes a value; false when it is wrong.
    using Take = std::function<bool(const QString& value)>;
    // As Take, also told when the option is the last argument and so has no value.
    using TakeMaybe = std::function<bool(const std::optional<QString>& value)>;

    OptionParser& flag(const char* name, bool& set);
    OptionParser& flag(const char* name, std::function<void()> set);
    OptionParser& value(const char* name, QString& into);
    OptionParser& value(const char* name, std::optional<QString>& into);
    // `wrong`: said when `take` refuses the value; without it the command says nothing.
    OptionParser& value(const char* name, Take take, Say wrong = {});
    OptionParser& valueOrNothing(const char* name, TakeMaybe take, Say wrong = {});

    // An option it does not know, or a word beyond maxWords. Nothing is said by default.
    OptionParser& onUnknown(Say say);
    // An option without its value: by default as an unknown one.
    OptionParser& onMissingValue(Say say);
    // An option without its value is as one with a wrong value (said by its own `wrong`).
    OptionParser& missingValueIsWrong();
    OptionParser& maxWords(int most);
    // An option it does not know is a word: for commands whose words may begin with "--".
    OptionParser& unknownAreWords();

    // The words in the order given; nothing when an argument was wrong (and said so).
    [[nodiscard]] std::optional<QStringList> parse(const QStringList& args) const;

private:
    enum class Kind { Flag, Value, ValueOrNothing };
    struct Option {
        QString name;
        Kind kind;
        TakeMaybe take;
        Say wrong;
    };
    OptionParser& add(const char* name, Kind kind, TakeMaybe take, Say wrong);
    const Option* find(const QString& name) const;

    std::vector<Option> m_options;
    Say m_unknown;
    Say m_missing;
    bool m_missingIsWrong = false;
    int m_maxWords = -1;
    bool m_unknownAreWords = false;
};

// Values read as whole numbers within the bounds given; anything else is wrong.
OptionParser::Take number(int& into, int lowest = INT_MIN, int highest = INT_MAX);
OptionParser::Take number(std::optional<int>& into, int lowest = INT_MIN, int highest = INT_MAX);

}   // namespace mvtool
