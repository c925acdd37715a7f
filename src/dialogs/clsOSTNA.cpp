#include "clsOSTNA.h"
#include <QSystemTrayIcon>
#include <QWidget>
#include <cmath>

QtNotificationArea::QtNotificationArea() = default;
QtNotificationArea::~QtNotificationArea() = default;

bool QtNotificationArea::available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtNotificationArea::add(const QIcon& icon, const QString& tip)
{
    if (!available()) return false;
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(tip);
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
        if (!onMouse) return;
        switch (r) {
        case QSystemTrayIcon::Trigger: onMouse(0x201); break;
        case QSystemTrayIcon::DoubleClick: onMouse(0x203); break;
        case QSystemTrayIcon::Context: onMouse(0x204); break;
        default: break;
        }
    });
    m_icon->show();
    return m_icon->isVisible();
}

bool QtNotificationArea::modify(const QIcon& icon, const QString& tip)
{
    if (!m_icon) return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tip);
    return true;
}

bool QtNotificationArea::remove()
{
    if (!m_icon) return false;
    m_icon->hide();
    m_icon.reset();
    return true;
}

clsOSTNA::clsOSTNA(std::unique_ptr<NotificationArea> area)
    : m_area(area ? std::move(area) : std::make_unique<QtNotificationArea>())
{
    m_area->onMouse = [this](int message) {
        if (m_onMouse) m_onMouse(MouseX(message));
    };
}

clsOSTNA::~clsOSTNA() { IconStop(); }

int clsOSTNA::IconStart(QWidget* callbackBox, const QIcon& icon, const QString& tip, std::function<void(float)> onMouse)
{
    if (m_added) IconStop();
    if (callbackBox) callbackBox->hide();
    m_icon = icon;
    m_tip = CutTip(tip);
    m_onMouse = std::move(onMouse);
    m_shown = m_area->add(m_icon, m_tip);
    // Added even on failure, so that IconStop always tries to take it away.
    m_added = true;
    return m_shown ? 1 : 0;
}

void clsOSTNA::IconStop()
{
    if (!m_added) return;
    m_area->remove();
    m_added = false;
    m_shown = false;
}

void clsOSTNA::ChangeIcon(const QIcon& icon)
{
    m_icon = icon;
    m_area->modify(m_icon, m_tip);
}

void clsOSTNA::ChangeTip(const QString& tip)
{
    m_tip = CutTip(tip);
    m_area->modify(m_icon, m_tip);
}

namespace {
int lowBits(float x) { return int(std::lround(x)) & 15; }
}

bool clsOSTNA::IsLeftButton(float x) { return lowBits(x) == 15; }
bool clsOSTNA::IsDoubleClick(float x) { return lowBits(x) == 13; }
bool clsOSTNA::IsRightButton(float x) { return lowBits(x) == 12; }

bool clsOSTNA::CanHideWindow() const { return m_added && m_shown && m_area->available(); }

void clsOSTNA::HideMainWindow(QWidget* mainWindow) const
{
    if (!mainWindow) return;
    if (CanHideWindow())
        mainWindow->hide();
    else
        mainWindow->showMinimized();
}
