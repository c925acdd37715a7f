#pragma once
// Price ranges with a rounding step each, edited by the rounding dialog and kept in the
// "Configuration" section under numbered keys. Loaded and saved only while UseRoundRanges
// is on.
#include "base/Currency.h"
#include <QList>
#include <memory>

class clsRoundItem {
public:
    Currency RoundValue() const { return m_roundValue; }
    void setRoundValue(Currency v) { m_roundValue = v; }
    Currency FromValue() const { return m_fromValue; }
    void setFromValue(Currency v) { m_fromValue = v; }
    Currency ToValue() const { return m_toValue; }
    void setToValue(Currency v) { m_toValue = v; }

private:
    Currency m_roundValue;
    Currency m_fromValue;
    Currency m_toValue;
};

// The ranges in use, in insertion order; empty at start.
extern QList<std::shared_ptr<clsRoundItem>> g_colRoundRanges;

// Numbers 1 to 10 are read; a number without "ArrotondaValore<n>" is skipped. An amount that
// cannot be read loads as 0.
void LoadRoundRanges();
// Removes the keys of numbers 1 to 10, then writes the collection numbered from 1. Nothing
// in backup-archive mode or while UseRoundRanges is off.
void SaveRoundRanges();
