#pragma once
// Message boxes and file choices answered from the script, modal windows shown for real:
// for the tests that work a window's own controls (or a device) while it waits.
#include "base/UiServices.h"
#include <memory>

namespace wintest {

class ShownModalWindows final : public UiServices {
public:
    explicit ShownModalWindows(std::shared_ptr<ScriptedUiServices> boxes) : m_boxes(std::move(boxes)) { }
    int msgBox(const QString& text, int flags, const QString& title) override
    {
        return m_boxes->msgBox(text, flags, title);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& def) override
    {
        return m_boxes->inputBox(prompt, title, def);
    }
    std::optional<QString> openFileName(const QString& title, const QString& filter, const QString& initial) override
    {
        return m_boxes->openFileName(title, filter, initial);
    }
    std::optional<QString> saveFileName(const QString& title, const QString& filter, const QString& initial) override
    {
        return m_boxes->saveFileName(title, filter, initial);
    }
    std::optional<QString> folderName(const QString& title, const QString& initial) override
    {
        return m_boxes->folderName(title, initial);
    }
    bool runModal(ModalWindow& window) override { return window.showModal(); }
    void beep() override { m_boxes->beep(); }
    bool openUrl(const QString& url) override { return m_boxes->openUrl(url); }
    void status(const QString& text) override { m_boxes->status(text); }

private:
    std::shared_ptr<ScriptedUiServices> m_boxes;
};

}
