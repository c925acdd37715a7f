#include "Settings.h"

#include <utility>

namespace {
Settings g_programSettings;
Settings* g_inForce = &g_programSettings;
}

Settings& settings() { return *g_inForce; }

ScopedSettings::ScopedSettings() : ScopedSettings(settings()) { }

ScopedSettings::ScopedSettings(Settings start) : m_own(std::move(start)), m_previous(g_inForce) { g_inForce = &m_own; }

ScopedSettings::~ScopedSettings() { g_inForce = m_previous; }
