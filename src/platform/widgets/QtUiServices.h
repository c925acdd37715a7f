#pragma once
// The real dialogs: Qt message boxes, input boxes and file dialogs over the active window.
#include "base/UiServices.h"
#include <functional>

class QtUiServices final : public UiServices {
public:
    // A box whose caller gives no title takes `defaultTitle`; status lines go to `statusLine`
    // (none: they are dropped, there is no bar to show them).
    explicit QtUiServices(QString defaultTitle = QString(), std::function<void(const QString&)> statusLine = {});

    int msgBox(const QString& text, int flags, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> folderName(const QString& title, const QString& initial) override;
    bool runModal(ModalWindow& window) override;
    void beep() override;
    bool openUrl(const QString& urlOrPath) override;
    void status(const QString& text) override;

private:
    QString titleOr(const QString& title) const { return title.isEmpty() ? m_defaultTitle : title; }

    QString m_defaultTitle;
    std::function<void(const QString&)> m_statusLine;
};

// A filter in the classic "Text|*.txt|All|*.*" form turned into Qt's "Text (*.txt);;All (*.*)";
// a filter already in Qt's form is returned unchanged.
QString QtFileFilter(const QString& filter);
// Message text as a Qt box shows it: the program's CR line breaks made "\n".
QString QtMessageText(const QString& text);

// Installs the dialogs the program uses: the scripted ones when MIRTAVOLIA_PROMPTS is set
// (headless runs), else the Qt ones with this title and status line.
void InstallUiServices(const QString& defaultTitle, std::function<void(const QString&)> statusLine);
