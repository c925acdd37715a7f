#pragma once
#include <QString>
#include <ostream>

// Readable QString values in failure messages.
#include "QStringPrint.h"
