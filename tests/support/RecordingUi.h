#pragma once
#include "base/UiServices.h"
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

// Message boxes with their buttons, icon and title, the status bar's texts, and input boxes
// answered from a queue. Every box takes its default button (an error report's question: No).
class RecordingUi final : public UiServices {
public:
    struct Box {
        QString text;
        int flags = 0;
        QString title;
    };
    std::vector<Box> boxes;
    QStringList statuses;
    QStringList inputPrompts;
    std::deque<std::optional<QString>> inputAnswers;   // none: cancelled

    int msgBox(const QString& text, int flags, const QString& title) override
    {
        boxes.push_back({text, flags, title});
        const int buttons = flags & 0xF;
        if (buttons == Msg::YesNo || buttons == Msg::YesNoCancel)
            return (flags & Msg::DefaultButton2) ? Msg::No : Msg::Yes;
        return buttons == Msg::OKOnly ? Msg::OK : Msg::Cancel;
    }
    std::optional<QString> inputBox(const QString& prompt, const QString&, const QString&) override
    {
        inputPrompts << prompt;
        if (inputAnswers.empty()) return std::nullopt;
        auto a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    std::optional<QString> openFileName(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> folderName(const QString&, const QString&) override { return std::nullopt; }
    bool runModal(ModalWindow&) override { return false; }
    void beep() override { }
    bool openUrl(const QString&) override { return false; }
    void status(const QString& text) override { statuses << text; }

    QStringList texts() const
    {
        QStringList out;
        for (const Box& b : boxes) out << b.text;
        return out;
    }
};
