#pragma once
// A line edit as the box scanned codes go to (CounterServices.h). The box is held weakly:
// once it is gone it receives nothing and never counts as active.
#include "core/seams/CounterServices.h"
#include <memory>

class QLineEdit;

std::shared_ptr<BarcodeTarget> LineEditBarcodeTarget(QLineEdit* box);
