#include "Person.h"
#include "core/seams/MainWindowServices.h"
#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
QString plain(QString caption) { return caption.remove(u'&').trimmed(); }

// A person can only reach a widget of the window on top.
void expectReachable(QWidget& w, const QString& what)
{
    QWidget* top = QApplication::activeModalWidget();
    EXPECT_TRUE(!top || top == w.window())
        << what.toStdString() << " lies under the window \"" << top->windowTitle().toStdString() << "\"";
    EXPECT_TRUE(w.isVisible()) << what.toStdString() << " is not shown";
    EXPECT_TRUE(w.isEnabled()) << what.toStdString() << " is disabled";
}

QAction* entryOf(const QList<QAction*>& actions, const QString& caption)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && plain(a->text()) == caption) return a;
    return nullptr;
}
}   // namespace

QMainWindow* MainWindow()
{
    MainWindowServices* s = mainWindowServices();
    return s ? qobject_cast<QMainWindow*>(s->mainWidget()) : nullptr;
}

Person& Person::when(const QString& what, Check ready, Act act)
{
    m_steps.push_back({what, std::move(ready), std::move(act)});
    return *this;
}

void Person::start(int timeoutMs)
{
    m_finished = false;
    m_stuck.clear();
    QTimer::singleShot(timeoutMs, qApp, [this] {
        if (m_finished) return;
        // What the person had before their eyes, for the failure's message.
        QString seen = QStringLiteral(" (on screen: ");
        if (QWidget* top = QApplication::activeModalWidget())
            seen += QString::fromLatin1(top->metaObject()->className()) + u' ' + top->objectName()
                + QStringLiteral(" \"") + top->windowTitle() + QStringLiteral("\" ") + messageText();
        else if (QWidget* active = QApplication::activeWindow())
            seen += QString::fromLatin1(active->metaObject()->className()) + u' ' + active->objectName();
        else
            seen += QStringLiteral("no active window");
        finish((m_steps.empty() ? QStringLiteral("(the end)") : m_steps.front().what) + seen + u')');
    });
    schedule();
}

void Person::schedule()
{
    QTimer::singleShot(10, qApp, [this] { poll(); });
}

void Person::poll()
{
    if (m_finished) return;
    if (m_steps.empty()) {
        finish(QString());
        return;
    }
    giveBackActivation();
    if (m_steps.front().ready && !m_steps.front().ready()) {
        schedule();
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    // The next steps go on while this one's window waits for them.
    schedule();
    if (step.act) step.act();
    if (::testing::Test::HasFailure() && !m_finished) finish(QStringLiteral("after: ") + step.what);
}

void Person::giveBackActivation()
{
    // The offscreen platform has no window manager: a window that closes leaves none active,
    // where a desktop gives the activation back to the window under it. Played here, as the
    // desktop does it, so that the keys go where a person's keys would go.
    if (QApplication::activeWindow()) return;
    QWidget* top = QApplication::activeModalWidget();
    if (!top) top = MainWindow();
    if (top && top->isVisible()) top->activateWindow();
}

void Person::finish(const QString& stuck)
{
    m_finished = true;
    m_stuck = stuck;
    if (!stuck.isEmpty()) m_steps.clear();
    QCoreApplication::exit(0);
}

QWidget* Person::modal(const QString& name)
{
    QWidget* w = QApplication::activeModalWidget();
    // Shown is not yet on top: the window takes the keys once it is the active one.
    if (!w || QApplication::activeWindow() != w) return nullptr;
    if (name.isEmpty() || w->objectName() == name) return w;
    return nullptr;
}

QWidget* Person::messageBox() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }

QString Person::messageText()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box ? box->text() : QString();
}

QWidget* Person::focus() { return QApplication::focusWidget(); }

QString Person::focusName()
{
    QWidget* w = focus();
    if (!w) return QStringLiteral("<none>");
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

bool Person::atMainWindow()
{
    QMainWindow* w = MainWindow();
    return w && w->isVisible() && w->isEnabled() && !QApplication::activeModalWidget();
}

void Person::chooseMenu(QMainWindow& window, const QStringList& path)
{
    ASSERT_FALSE(path.isEmpty());
    QMenuBar* bar = window.menuBar();
    QAction* top = entryOf(bar->actions(), path.first());
    ASSERT_TRUE(top && top->menu()) << "no menu " << path.first().toStdString();
    expectReachable(*bar, QStringLiteral("the menu bar"));
    EXPECT_TRUE(top->isEnabled() && top->isVisible()) << path.first().toStdString();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
    QMenu* menu = top->menu();
    for (qsizetype i = 1; i < path.size(); ++i) {
        ASSERT_TRUE(menu->isVisible()) << "the menu " << path.at(i - 1).toStdString() << " did not open";
        QAction* item = entryOf(menu->actions(), path.at(i));
        ASSERT_TRUE(item) << "no entry " << path.at(i).toStdString();
        EXPECT_TRUE(item->isEnabled() && item->isVisible()) << path.at(i).toStdString() << " cannot be chosen";
        if (::testing::Test::HasFailure()) {
            menu->hide();
            return;
        }
        if (i + 1 < path.size()) {
            ASSERT_TRUE(item->menu());
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
            menu->setActiveAction(item);
            item->menu()->popup(menu->mapToGlobal(menu->actionGeometry(item).topRight()));
            menu = item->menu();
        } else {
            // The entry's command runs on the release; a window it opens waits here.
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        }
    }
}

void Person::clickToolButton(QMainWindow& window, const QString& caption)
{
    for (QToolBar* bar : window.findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (plain(a->text()) == caption || plain(a->toolTip()) == caption) {
                auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a));
                ASSERT_TRUE(b) << caption.toStdString();
                expectReachable(*b, caption);
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
    ADD_FAILURE() << "no tool bar button " << caption.toStdString();
}

void Person::type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* w = focus();
        ASSERT_TRUE(w) << "nothing has the focus to type " << text.toStdString();
        if (c == u'\n')
            QTest::keyClick(w, Qt::Key_Return);
        else
            QTest::keyClicks(w, QString(c));
    }
}

void Person::key(int k, Qt::KeyboardModifiers modifiers)
{
    QWidget* w = focus();
    ASSERT_TRUE(w) << "nothing has the focus for a key";
    QTest::keyClick(w, Qt::Key(k), modifiers);
}

QAbstractButton* Person::button(QWidget& window, const QString& caption)
{
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (plain(b->text()) == caption && b->isVisibleTo(&window)) return b;
    return nullptr;
}

void Person::click(const QString& caption)
{
    QWidget* top = QApplication::activeModalWidget();
    if (!top) top = QApplication::activeWindow();
    ASSERT_TRUE(top) << "no window for the button " << caption.toStdString();
    QAbstractButton* b = button(*top, caption);
    ASSERT_TRUE(b) << "no button " << caption.toStdString() << " in " << top->objectName().toStdString();
    click(*b);
}

void Person::click(QAbstractButton& b)
{
    expectReachable(b, plain(b.text()));
    if (::testing::Test::HasFailure()) return;
    QTest::mouseClick(&b, Qt::LeftButton);
}

void Person::clickInto(QWidget& widget)
{
    expectReachable(widget, widget.objectName());
    if (::testing::Test::HasFailure()) return;
    QTest::mouseClick(&widget, Qt::LeftButton);
}

void Person::answerBox(const QString& caption)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box) << "no message box to answer " << caption.toStdString();
    for (QAbstractButton* b : box->buttons())
        if (plain(b->text()).compare(caption, Qt::CaseInsensitive) == 0) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "the box \"" << box->text().toStdString() << "\" has no button " << caption.toStdString();
}
