#pragma once
// What the grid command tests share: the find dialog answered from a queue, and the
// sqlite3 command-line shell as the independent judge of what a condition selects.
#include "mainwindow/GridSearch.h"
#include "base/UiServices.h"
#include "dialogs/frmSearchText.h"
#include <QProcess>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

// The find dialog: each Ask takes the next answer (none: cancelled), as the real dialog
// leaves its memory.
class QueuedSearchPrompt final : public SearchPrompt {
public:
    explicit QueuedSearchPrompt(SearchTextMemory& memory) : m_memory(memory) {}

    struct Answer {
        QString text;
        bool inside = false;
        bool next = false;   // closed with Next rather than OK
    };
    std::deque<std::optional<Answer>> answers;
    QStringList asked;   // "label|title" of each opening

    bool Ask(const QString& label, const QString& title, bool showInside, bool) override
    {
        asked << label + u'|' + title;
        m_memory.load();
        if (answers.empty() || !answers.front()) {
            if (!answers.empty()) answers.pop_front();
            return false;
        }
        const Answer a = *answers.front();
        answers.pop_front();
        m_memory.confirm(label, a.text, a.inside, showInside, a.next);
        return true;
    }

private:
    SearchTextMemory& m_memory;
};

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
        if (buttons == Msg::YesNo || buttons == Msg::YesNoCancel) return (flags & Msg::DefaultButton2) ? Msg::No : Msg::Yes;
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
    std::optional<QString> openFileName(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> folderName(const QString&, const QString&) override { return std::nullopt; }
    bool runModal(ModalWindow&) override { return false; }
    void beep() override {}
    bool openUrl(const QString&) override { return false; }
    void status(const QString& text) override { statuses << text; }

    QStringList texts() const
    {
        QStringList out;
        for (const Box& b : boxes) out << b.text;
        return out;
    }
};

// The rows (first column of each, one a line) sqlite3 gives for `sql` on the file.
inline QStringList sqlite3Column(const QString& path, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-readonly"), path, sql});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return lines;
}
