#pragma once
// Shared set-up of the window tests: a QApplication (offscreen), scripted answers to every
// question, a clock moved by hand and settings in memory, all put back after each test.
#include "Clock.h"
#include "SettingsStore.h"
#include "ShownModalWindows.h"
#include "UiServices.h"
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
    void SetUp() override {
        ui = std::make_shared<ScriptedUiServices>();
        setUiServices(ui);
        clock = std::make_shared<ManualClock>();
        setAppClock(clock);
        settings = std::make_shared<MemorySettingsStore>();
        setSettingsStore(settings);
    }
    void TearDown() override {
        setUiServices(nullptr);
        setAppClock(nullptr);
        setSettingsStore(nullptr);
    }

    // For tests that click a window's controls while it waits (see whenModal).
    void showModalWindows() { setUiServices(std::make_shared<ShownModalWindows>(ui)); }

    std::shared_ptr<ScriptedUiServices> ui;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<MemorySettingsStore> settings;
};

inline void pressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// A key typed while `window` is open: it arrives at the control that has the focus.
inline void typeKey(QWidget* window, int key, const QString& text = QString()) {
    QWidget* target = QApplication::focusWidget();
    if (!target || (target != window && !window->isAncestorOf(target))) target = window;
    pressKey(target, key, text);
}

// Runs `action` once the modal loop that the caller is about to start is running.
inline void whenModal(std::function<void()> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(); });
}

}
