#pragma once
// Shared set-up of the window tests: a QApplication (offscreen), scripted answers to every
// question, a clock moved by hand and settings in memory, all put back after each test.
#include "HeadlessGuard.h"
#include "ShownModalWindows.h"
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace wintest {

class WindowTest : public ::testing::Test {
protected:
    // For tests that click a window's controls while it waits (see whenModal).
    void showModalWindows() { setUiServices(std::make_shared<ShownModalWindows>(ui)); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
};

inline void pressKey(QWidget* target, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// A key typed while `window` is open: it arrives at the control that has the focus.
inline void typeKey(QWidget* window, int key, const QString& text = QString())
{
    QWidget* target = QApplication::focusWidget();
    if (!target || (target != window && !window->isAncestorOf(target))) target = window;
    pressKey(target, key, text);
}

// Runs `action` once the modal loop that the caller is about to start is running.
inline void whenModal(std::function<void()> action)
{
    QTimer::singleShot(0, [action = std::move(action)] { action(); });
}

}
