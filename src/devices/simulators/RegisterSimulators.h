#pragma once
// The register simulators by name: ellisse, crf4600, sax, dsprogress, sarema, sweda.
#include "RegisterSimulator.h"
#include <QStringList>
#include <memory>

QStringList RegisterSimulatorNames();
// Null for a name no simulator has (case does not matter).
std::shared_ptr<RegisterSimulator> CreateRegisterSimulator(const QString& name);
