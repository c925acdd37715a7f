#pragma once
// A person at the counter, played with Qt Test's key presses and mouse clicks on the real
// windows. The person's steps are a list of "when this is so, do that": the program runs its
// own event loop meanwhile, and a step that opens a window that waits (a modal window, a
// message box) does not hold up the steps after it, which go on inside that window's wait,
// as a person goes on looking at the screen.
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QAbstractButton;
class QMainWindow;
class QWidget;

class Person {
public:
    using Check = std::function<bool()>;
    using Act = std::function<void()>;

    // Waits until `ready` holds, then does `act`. `what` names the step when it never comes.
    Person& when(const QString& what, Check ready, Act act = {});
    // Starts the steps in the event loop about to run; once they are all done (or a check
    // failed, or `timeoutMs` passed), every event loop is left.
    void start(int timeoutMs = 60000);
    bool done() const { return m_steps.empty() && m_finished; }
    // The step that never came, empty when none.
    QString stuckAt() const { return m_stuck; }

    // ---- what a person sees -------------------------------------------------------------
    // The modal window on top, when it is the one of that object name (a message box: any).
    static QWidget* modal(const QString& name = QString());
    static bool modalIs(const QString& name) { return modal(name) != nullptr; }
    // The message box on top, with its text; null when none is shown.
    static QWidget* messageBox();
    static QString messageText();
    // The widget that has the keyboard focus.
    static QWidget* focus();
    // The focus widget's object name (its class when it has none), "<none>" without focus:
    // what a failed check on the focus prints.
    static QString focusName();
    // No modal window, the main window shown and enabled.
    static bool atMainWindow();

    // ---- what a person does ------------------------------------------------------------
    // Clicks through the main window's menu bar: the menu, sub-menus, the entry (captions
    // without '&'). Each must be visible and enabled, as a person finds it.
    static void chooseMenu(QMainWindow& window, const QStringList& path);
    // Clicks the tool bar button of that tool tip or text.
    static void clickToolButton(QMainWindow& window, const QString& caption);
    // Types into whatever has the focus, each key as a key press; "\n" is Enter.
    static void type(const QString& text);
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Clicks the button of that caption (without '&') in the window on top.
    static void click(const QString& caption);
    static void click(QAbstractButton& button);
    // Clicks into a widget of the window on top (a box: it takes the focus).
    static void clickInto(QWidget& widget);
    // The button of that caption in `window`, null when none.
    static QAbstractButton* button(QWidget& window, const QString& caption);
    // Answers the message box on top with the button of that caption ("Yes", "OK"...).
    static void answerBox(const QString& caption);

private:
    void poll();
    static void giveBackActivation();
    void schedule();
    void finish(const QString& stuck);

    struct Step {
        QString what;
        Check ready;
        Act act;
    };
    std::deque<Step> m_steps;
    QString m_stuck;
    bool m_finished = false;
};

// The main window of the running program.
QMainWindow* MainWindow();
