#pragma once
// The program's icon in the notification area (the system tray): added when the main window
// loads, removed when it unloads, with the mouse actions on it decoded for the main window
// (right button: the pop-up menu; double click: show the window again).
//
// Where the desktop has no notification area, hiding the main window would leave the user no
// way back: HideMainWindow minimises it instead.
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWidget;

// The notification area itself, replaceable in tests.
class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    virtual bool available() const = 0;
    // Operation codes of the classic call: 0 add, 1 modify, 2 delete. True on success.
    virtual bool add(const QIcon& icon, const QString& tip) = 0;
    virtual bool modify(const QIcon& icon, const QString& tip) = 0;
    virtual bool remove() = 0;
    // The back-end calls this with the mouse message of each action (0x201 left press,
    // 0x203 left double click, 0x204 right press).
    std::function<void(int mouseMessage)> onMouse;
};

// QSystemTrayIcon.
class QtNotificationArea final : public NotificationArea {
public:
    QtNotificationArea();
    ~QtNotificationArea() override;
    bool available() const override;
    bool add(const QIcon& icon, const QString& tip) override;
    bool modify(const QIcon& icon, const QString& tip) override;
    bool remove() override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

class clsOSTNA {
public:
    static constexpr int kTipLength = 63;
    static constexpr int kMouseMessageScale = 15;   // twips per pixel of the classic decoding

    explicit clsOSTNA(std::unique_ptr<NotificationArea> area = nullptr);   // null: QtNotificationArea
    ~clsOSTNA();   // removes the icon
    clsOSTNA(const clsOSTNA&) = delete;
    clsOSTNA& operator=(const clsOSTNA&) = delete;

    // Adds the icon (removing an earlier one first); 1 on success, 0 on failure. `callbackBox`
    // (may be null) is hidden; `onMouse` receives the X value of each mouse action, to be read
    // with IsLeftButton, IsDoubleClick and IsRightButton.
    int IconStart(QWidget* callbackBox, const QIcon& icon, const QString& tip,
                  std::function<void(float x)> onMouse = {});
    void IconStop();
    void ChangeIcon(const QIcon& icon);
    void ChangeTip(const QString& tip);

    static bool IsLeftButton(float x);
    static bool IsDoubleClick(float x);
    static bool IsRightButton(float x);
    // The X value a mouse message arrives as.
    static float MouseX(int mouseMessage) { return float(mouseMessage * kMouseMessageScale); }
    // The tooltip as stored: at most 63 characters.
    static QString CutTip(const QString& tip) { return tip.left(kTipLength); }

    bool Added() const { return m_added; }
    QString Tip() const { return m_tip; }
    // True when hiding the main window leaves the icon as the way back.
    bool CanHideWindow() const;
    // What the main window's close box does: hide it behind the icon, or minimise it when
    // there is no icon to bring it back.
    void HideMainWindow(QWidget* mainWindow) const;

private:
    std::unique_ptr<NotificationArea> m_area;
    bool m_added = false;
    bool m_shown = false;   // the last add succeeded
    QIcon m_icon;
    QString m_tip;
    std::function<void(float)> m_onMouse;
};
