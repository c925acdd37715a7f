#include "UiServices.h"
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

QString Msg::resultName(int r) {
    switch (r) {
    case OK: return QStringLiteral("OK");
    case Cancel: return QStringLiteral("Cancel");
    case Abort: return QStringLiteral("Abort");
    case Retry: return QStringLiteral("Retry");
    case Ignore: return QStringLiteral("Ignore");
    case Yes: return QStringLiteral("Yes");
    case No: return QStringLiteral("No");
    }
    return QString::number(r);
}

namespace {
// The buttons a box offers, in order, as results.
std::vector<int> buttonsOf(int flags) {
    switch (flags & 7) {
    case Msg::OKCancel: return {Msg::OK, Msg::Cancel};
    case Msg::AbortRetryIgnore: return {Msg::Abort, Msg::Retry, Msg::Ignore};
    case Msg::YesNoCancel: return {Msg::Yes, Msg::No, Msg::Cancel};
    case Msg::YesNo: return {Msg::Yes, Msg::No};
    case Msg::RetryCancel: return {Msg::Retry, Msg::Cancel};
    default: return {Msg::OK};
    }
}
}

ScriptedUiServices::ScriptedUiServices(QStringList answers, QString logPath, WhenUsedUp whenUsedUp)
    : m_logPath(std::move(logPath)), m_whenUsedUp(whenUsedUp) {
    for (const QString& a : answers) m_answers.push_back(a);
}

std::shared_ptr<ScriptedUiServices> ScriptedUiServices::fromEnvironment() {
    const QString prompts = qEnvironmentVariable("MIRTAVOLIA_PROMPTS");
    if (prompts.isEmpty()) return nullptr;
    QStringList answers;
    QFile f(prompts);
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&f);
        while (!in.atEnd()) answers << in.readLine();
    }
    return std::make_shared<ScriptedUiServices>(answers, qEnvironmentVariable("MIRTAVOLIA_PROMPT_LOG"), WhenUsedUp::EndRun);
}

QStringList ScriptedUiServices::prompts() const {
    QStringList out;
    for (const QString& l : m_log) out << l.section(QStringLiteral(": "), 1);
    return out;
}

void ScriptedUiServices::record(const QString& kind, const QString& text) {
    m_log << kind + QStringLiteral(": ") + text;
    if (m_logPath.isEmpty()) return;
    QFile f(m_logPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write((kind + QStringLiteral(": ") + text).toUtf8());
        f.write("\n");
    }
}

std::optional<QString> ScriptedUiServices::next(const QString& prompt) {
    if (!m_answers.empty()) {
        QString a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    if (m_whenUsedUp == WhenUsedUp::EndRun) {
        record(QStringLiteral("UNANSWERED"), prompt);
        std::fprintf(stderr, "UNANSWERED: %s\n", prompt.toLocal8Bit().constData());
        std::fflush(stderr);
        if (m_endRun) m_endRun();
        else std::_Exit(kUnansweredExitCode);
    }
    return std::nullopt;
}

int ScriptedUiServices::msgBox(const QString& text, int flags, const QString& title) {
    record(QStringLiteral("MSGBOX"), text);
    const auto buttons = buttonsOf(flags);
    int defIndex = (flags & 0xF00) / 256;
    int fallback = buttons[std::min<size_t>(defIndex, buttons.size() - 1)];
    auto a = next(text);
    if (!a) return fallback;
    for (int b : buttons)
        if (Msg::resultName(b).compare(a->trimmed(), Qt::CaseInsensitive) == 0) return b;
    return fallback;
}

std::optional<QString> ScriptedUiServices::textAnswer(const QString& kind, const QString& text, const QString& def) {
    record(kind, text);
    auto a = next(text);
    if (!a) return def.isNull() ? std::nullopt : std::optional<QString>(def);
    if (*a == QStringLiteral("<cancel>")) return std::nullopt;
    return a;
}

std::optional<QString> ScriptedUiServices::inputBox(const QString& prompt, const QString&, const QString& def) {
    return textAnswer(QStringLiteral("INPUT"), prompt, def.isNull() ? QStringLiteral("") : def);
}
std::optional<QString> ScriptedUiServices::openFileName(const QString& title, const QString&, const QString&) {
    return textAnswer(QStringLiteral("OPENFILE"), title, QString());
}
std::optional<QString> ScriptedUiServices::saveFileName(const QString& title, const QString&, const QString&) {
    return textAnswer(QStringLiteral("SAVEFILE"), title, QString());
}
std::optional<QString> ScriptedUiServices::folderName(const QString& title, const QString&) {
    return textAnswer(QStringLiteral("FOLDER"), title, QString());
}
bool ScriptedUiServices::runModal(ModalWindow& window) {
    while (window.isOpen()) {
        const QString prompt = u'[' + window.windowName() + QStringLiteral("] ") + window.answerPrompt();
        record(QStringLiteral("INPUT"), prompt);
        const auto answer = next(prompt);
        if (!answer || *answer == QStringLiteral("<cancel>")) {
            window.cancelWindow();
            break;
        }
        window.applyAnswer(*answer);
    }
    return window.isAccepted();
}

void ScriptedUiServices::beep() { record(QStringLiteral("BEEP"), QString()); }
bool ScriptedUiServices::openUrl(const QString& url) { record(QStringLiteral("OPEN"), url); return true; }
void ScriptedUiServices::status(const QString& text) { record(QStringLiteral("STATUS"), text); }

namespace {
std::shared_ptr<UiServices>& current() {
    static std::shared_ptr<UiServices> u;
    return u;
}
}

UiServices& ui() {
    auto& u = current();
    if (!u) {
        auto s = ScriptedUiServices::fromEnvironment();
        u = s ? std::static_pointer_cast<UiServices>(s) : std::make_shared<ScriptedUiServices>();
    }
    return *u;
}
void setUiServices(std::shared_ptr<UiServices> u) { current() = std::move(u); }
