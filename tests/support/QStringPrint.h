#pragma once
// How a failed expectation shows Qt's texts and values: a QString as quoted text, its line
// breaks and other control characters escaped ("\r" as the prompt logs write it); a
// QVariant as its type and value. Lists of them (QStringList, QVariantList) follow.
//
// GoogleTest chooses a type's printer where it first prints one, and a program keeps one
// choice: a single file that printed QString without these declarations could leave every
// file of its program printing texts as bytes. So every test file sees them first: they
// are in the tests' precompiled header, or included ahead of each file without one
// (tests/support/CMakeLists.txt).
#include <QString>
#include <QVariant>
#include <ostream>

void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QVariant& value, std::ostream* os);
