#pragma once
// The window shown while the program starts: logo, product name, version.
#include <QString>
#include <QWidget>

class QLabel;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    static frmSplash& instance();
    static bool isLoaded();
    static void unloadInstance();

    // Shows the window with the picture in `logoFile` (none when empty or unreadable) and,
    // when a picture was loaded, keeps it up for two seconds.
    void ShowSplash(const QString& logoFile);
    // Shows the window and paints it at once (the event loop is not running yet).
    void ShowNow();

    bool HasLogo() const { return m_hasLogo; }

private:
    QLabel* m_picLogo = nullptr;
    QLabel* m_lblProductName = nullptr;
    QLabel* m_lblVersion = nullptr;
    bool m_hasLogo = false;
};
