#pragma once
#include "OptionParser.h"
#include <QString>
#include <QStringList>
#include <functional>

// The developer's command-line window into the program's libraries. A command file
// registers its commands with MV_COMMAND; the command prints to stdout and returns the
// process exit code (0 success, 1 failure, 2 bad usage).
namespace mvtool {
using Run = std::function<int(const QStringList& args)>;
bool add(const char* name, const char* usage, Run run);
void out(const QString& line);   // one line to stdout (UTF-8, "\n")
void err(const QString& line);   // one line to stderr
QString lines(QString text);   // the program's CR line breaks as "\n"
// A wrong argument's complaint: this text to stderr, whatever the argument.
std::function<void(const QString& argument)> saying(const QString& text);
}

#define MV_CONCAT2(a, b) a##b
#define MV_CONCAT(a, b) MV_CONCAT2(a, b)
// Numbered by __COUNTER__, not by line, so that command files can share a unity batch.
#define MV_COMMAND(name, usage, fn) static const bool MV_CONCAT(mv_command_, __COUNTER__) = mvtool::add(name, usage, fn)
