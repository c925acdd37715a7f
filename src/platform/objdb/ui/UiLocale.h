#pragma once
// Numbers and amounts the operator types and reads: the system's way of writing them, and
// Italian where the system has none (C/POSIX).
#include <QLocale>

inline QLocale uiLocale()
{
    const QLocale system;
    return system.language() == QLocale::C ? QLocale(QLocale::Italian, QLocale::Italy) : system;
}
