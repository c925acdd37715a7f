#include "QtUiServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
QWidget* owner() { return QApplication::activeWindow(); }

struct BoxButton {
    int result;
    QMessageBox::StandardButton button;
};

std::vector<BoxButton> buttonsOf(int flags)
{
    using B = QMessageBox;
    switch (flags & 7) {
    case Msg::OKCancel: return {{Msg::OK, B::Ok}, {Msg::Cancel, B::Cancel}};
    case Msg::AbortRetryIgnore: return {{Msg::Abort, B::Abort}, {Msg::Retry, B::Retry}, {Msg::Ignore, B::Ignore}};
    case Msg::YesNoCancel: return {{Msg::Yes, B::Yes}, {Msg::No, B::No}, {Msg::Cancel, B::Cancel}};
    case Msg::YesNo: return {{Msg::Yes, B::Yes}, {Msg::No, B::No}};
    case Msg::RetryCancel: return {{Msg::Retry, B::Retry}, {Msg::Cancel, B::Cancel}};
    default: return {{Msg::OK, B::Ok}};
    }
}

QMessageBox::Icon iconOf(int flags)
{
    switch (flags & 0x70) {
    case Msg::Critical: return QMessageBox::Critical;
    case Msg::Question: return QMessageBox::Question;
    case Msg::Exclamation: return QMessageBox::Warning;
    case Msg::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
}

QString QtFileFilter(const QString& filter)
{
    if (filter.isEmpty() || filter.contains(QStringLiteral(";;")) || !filter.contains(u'|')) return filter;
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return out.join(QStringLiteral(";;"));
}

QString QtMessageText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

QtUiServices::QtUiServices(QString defaultTitle, std::function<void(const QString&)> statusLine)
    : m_defaultTitle(std::move(defaultTitle)), m_statusLine(std::move(statusLine))
{ }

int QtUiServices::msgBox(const QString& text, int flags, const QString& title)
{
    if (systemEnding()) return Msg::escapeResult(flags);
    QMessageBox box(iconOf(flags), titleOr(title), QtMessageText(text), QMessageBox::NoButton, owner());
    const auto buttons = buttonsOf(flags);
    for (const BoxButton& b : buttons) box.addButton(b.button);
    const size_t def = std::min<size_t>((flags & 0xF00) / 256, buttons.size() - 1);
    box.setDefaultButton(buttons[def].button);
    // Qt makes Cancel, No or the only button the one Esc answers.
    box.exec();
    // Closed by the end of the program: Esc's answer, whatever had the focus.
    if (systemEnding()) return Msg::escapeResult(flags);
    const auto answer = box.standardButton(box.clickedButton());
    for (const BoxButton& b : buttons)
        if (b.button == answer) return b.result;
    return buttons[def].result;
}

std::optional<QString> QtUiServices::inputBox(const QString& prompt, const QString& title, const QString& def)
{
    if (systemEnding()) return std::nullopt;
    bool ok = false;
    const QString text
        = QInputDialog::getText(owner(), titleOr(title), QtMessageText(prompt), QLineEdit::Normal, def, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> QtUiServices::openFileName(const QString& title, const QString& filter, const QString& initial)
{
    if (systemEnding()) return std::nullopt;
    const QString f = QFileDialog::getOpenFileName(owner(), titleOr(title), initial, QtFileFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f;
}

std::optional<QString> QtUiServices::saveFileName(const QString& title, const QString& filter, const QString& initial)
{
    if (systemEnding()) return std::nullopt;
    // The program asks its own question before replacing a file.
    const QString f = QFileDialog::getSaveFileName(owner(), titleOr(title), initial, QtFileFilter(filter), nullptr,
                                                   QFileDialog::DontConfirmOverwrite);
    if (f.isEmpty()) return std::nullopt;
    return f;
}

std::optional<QString> QtUiServices::folderName(const QString& title, const QString& initial)
{
    if (systemEnding()) return std::nullopt;
    const QString f = QFileDialog::getExistingDirectory(owner(), titleOr(title), initial);
    if (f.isEmpty()) return std::nullopt;
    return f;
}

bool QtUiServices::runModal(ModalWindow& window)
{
    if (systemEnding()) {
        window.cancelWindow();
        return false;
    }
    return window.showModal();
}

void QtUiServices::beep() { QApplication::beep(); }

bool QtUiServices::openUrl(const QString& urlOrPath)
{
    QUrl url(urlOrPath);
    if (url.scheme().isEmpty() || (url.scheme().size() == 1 && QFileInfo(urlOrPath).isAbsolute()))
        url = QUrl::fromLocalFile(QFileInfo(urlOrPath).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

void QtUiServices::status(const QString& text)
{
    if (m_statusLine) m_statusLine(text);
}

void InstallUiServices(const QString& defaultTitle, std::function<void(const QString&)> statusLine)
{
    if (auto scripted = ScriptedUiServices::fromEnvironment()) {
        setUiServices(scripted);
        return;
    }
    setUiServices(std::make_shared<QtUiServices>(defaultTitle, std::move(statusLine)));
}
