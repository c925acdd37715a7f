#pragma once
// What the grid command tests share: the find dialog answered from a queue, the message
// boxes recorded, and the sqlite3 command-line shell as the independent judge of what a
// condition selects.
#include "mainwindow/GridSearch.h"
#include "dialogs/frmSearchText.h"
#include "RecordingUi.h"
#include <QProcess>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <optional>

// The find dialog: each Ask takes the next answer (none: cancelled), as the real dialog
// leaves its memory.
class QueuedSearchPrompt final : public SearchPrompt {
public:
    explicit QueuedSearchPrompt(SearchTextMemory& memory) : m_memory(memory) { }

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
