// The scripted dialogs: how a modal window is fed from the answer lines, and what happens
// once the lines are used up.
#include "UiServices.h"
#include <gtest/gtest.h>

namespace {

// A window with a password box: a line is the password; a wrong one is refused with a
// message box and the window stays open, as the real password window does.
class PasswordWindow final : public ModalWindow {
public:
    explicit PasswordWindow(UiServices& ui) : m_ui(ui) {}
    bool showModal() override { ADD_FAILURE() << "a scripted run never shows a window"; return false; }
    QString windowName() const override { return QStringLiteral("frmPassword"); }
    QString answerPrompt() const override { return QStringLiteral("Password"); }
    void applyAnswer(const QString& answer) override {
        typed << answer;
        if (answer != QStringLiteral("segreta")) {
            m_ui.msgBox(QStringLiteral("La password non è corretta."));
            return;
        }
        m_open = false;
        m_accepted = true;
    }
    void cancelWindow() override { m_open = false; ++cancels; }
    bool isOpen() const override { return m_open; }
    bool isAccepted() const override { return m_accepted; }

    QStringList typed;
    int cancels = 0;

private:
    UiServices& m_ui;
    bool m_open = true;
    bool m_accepted = false;
};

}  // namespace

TEST(ScriptedModalWindow, LinesFillTheWindowUntilItClosesOrIsCancelled) {
    struct Case {
        const char* name;
        QStringList answers;
        bool accepted;
        QStringList typed;
        int cancels;
        int unused;   // lines left for whatever comes next
    };
    const Case cases[] = {
        {"accepted at once", {"segreta", "dopo"}, true, {"segreta"}, 0, 1},
        {"refused, then accepted", {"sbagliata", "OK", "segreta"}, true, {"sbagliata", "segreta"}, 0, 0},
        {"<cancel> is Esc", {"<cancel>", "segreta"}, false, {}, 1, 1},
        {"used up: cancelled", {"sbagliata", "OK"}, false, {"sbagliata"}, 1, 0},
    };
    for (const Case& c : cases) {
        ScriptedUiServices ui(c.answers);
        PasswordWindow window(ui);
        EXPECT_EQ(ui.runModal(window), c.accepted) << c.name;
        EXPECT_EQ(window.typed, c.typed) << c.name;
        EXPECT_EQ(window.cancels, c.cancels) << c.name;
        EXPECT_FALSE(window.isOpen()) << c.name;
        int left = 0;
        while (ui.hasAnswers()) {
            (void)ui.inputBox(QStringLiteral("resto"), QString(), QString());
            ++left;
        }
        EXPECT_EQ(left, c.unused) << c.name;
        EXPECT_EQ(ui.log().first(), QStringLiteral("INPUT: [frmPassword] Password")) << c.name;
    }
}

TEST(ScriptedUsedUp, EndsTheRunAtTheFirstUnansweredQuestion) {
    ScriptedUiServices ui({QStringLiteral("No")}, QString(), ScriptedUiServices::WhenUsedUp::EndRun);
    int ends = 0;
    ui.setEndRun([&] { ++ends; });
    EXPECT_EQ(ui.msgBox(QStringLiteral("Vuoi crearlo ?"), Msg::YesNo, QString()), Msg::No);
    EXPECT_EQ(ends, 0);
    // The box's default (Yes) would have led back to the same question for ever.
    (void)ui.msgBox(QStringLiteral("Vuoi cambiare le impostazioni ?"), Msg::YesNo, QString());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ui.log().last(), QStringLiteral("UNANSWERED: Vuoi cambiare le impostazioni ?"));

    PasswordWindow window(ui);
    EXPECT_FALSE(ui.runModal(window));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(ui.log().last(), QStringLiteral("UNANSWERED: [frmPassword] Password"));
    // A handler that returns (tests only) leaves the question to its default.
    EXPECT_EQ(ui.inputBox(QStringLiteral("Codice"), QString(), QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(ends, 3);
}

TEST(ScriptedUsedUp, TakesTheDefaultsWhenSetSo) {
    ScriptedUiServices ui;
    EXPECT_EQ(ui.msgBox(QStringLiteral("Continuare ?"), int(Msg::YesNo) + int(Msg::DefaultButton2), QString()), Msg::No);
    EXPECT_EQ(ui.msgBox(QStringLiteral("Continuare ?"), Msg::YesNo, QString()), Msg::Yes);
    EXPECT_EQ(ui.inputBox(QStringLiteral("Codice"), QString(), QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(ui.log().filter(QStringLiteral("UNANSWERED")).size(), 0);
}
