#pragma once
// Lets gtest show a QString in a failed expectation as text rather than as bytes. One
// definition for every test, so that files compiled together in a batch do not clash.
#include <QString>
#include <ostream>

#include "QStringPrint.h"
