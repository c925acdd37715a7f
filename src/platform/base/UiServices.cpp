#include "UiServices.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

QString Msg::resultName(int r)
{
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

int Msg::escapeResult(int flags)
{
    switch (flags & 7) {
    case OKCancel:
    case YesNoCancel:
    case RetryCancel: return Cancel;
    case YesNo: return No;
    case AbortRetryIgnore: return Abort;
    default: return OK;
    }
}

namespace {
bool g_systemEnding = false;

// The loops that wait for a line of an answer pipe, the innermost last: the end of the
// program stops them all.
struct AnswerWait {
    QEventLoop* loop;
    QSocketNotifier* ready;
};
std::vector<AnswerWait>& answerWaits()
{
    static std::vector<AnswerWait> waits;
    return waits;
}
}

void setSystemEnding(bool ending)
{
    g_systemEnding = ending;
    if (ending)
        for (const AnswerWait& w : answerWaits()) w.loop->quit();
}

bool systemEnding() { return g_systemEnding; }

namespace {
// The buttons a box offers, in order, as results.
std::vector<int> buttonsOf(int flags)
{
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
    : m_logPath(std::move(logPath)), m_whenUsedUp(whenUsedUp)
{
    for (const QString& a : answers) m_answers.push_back(a);
}

ScriptedUiServices::~ScriptedUiServices()
{
    if (m_pipe >= 0) ::close(m_pipe);
}

std::shared_ptr<ScriptedUiServices> ScriptedUiServices::fromEnvironment()
{
    const QString prompts = qEnvironmentVariable("MIRTAVOLIA_PROMPTS");
    if (prompts.isEmpty()) return nullptr;
    QStringList answers;
    struct stat info { };
    const bool pipe = ::stat(QFile::encodeName(prompts).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
    if (!pipe) {
        QFile f(prompts);
        if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&f);
            while (!in.atEnd()) answers << in.readLine();
        }
    }
    auto scripted = std::make_shared<ScriptedUiServices>(answers, qEnvironmentVariable("MIRTAVOLIA_PROMPT_LOG"),
                                                         WhenUsedUp::EndRun);
    if (pipe) scripted->readPipe(prompts);
    scripted->setWindowCommands(true);
    return scripted;
}

void ScriptedUiServices::readPipe(const QString& path)
{
    if (m_pipe >= 0) ::close(m_pipe);
    m_partial.clear();
    // Opening a pipe for reading waits for its writer: the run starts once someone drives it.
    int fd = -1;
    do fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_pipe = fd;
}

void ScriptedUiServices::readAvailable()
{
    while (m_pipe >= 0) {
        char buffer[4096];
        const ssize_t n = ::read(m_pipe, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n > 0) {
            m_partial.append(buffer, n);
            qsizetype end;
            while ((end = m_partial.indexOf('\n')) >= 0) {
                QByteArray line = m_partial.left(end);
                m_partial.remove(0, end + 1);
                if (line.endsWith('\r')) line.chop(1);
                m_answers.push_back(QString::fromUtf8(line));
            }
            continue;
        }
        // Every writer has gone (or the pipe failed): what is left is the last line.
        if (!m_partial.isEmpty()) m_answers.push_back(QString::fromUtf8(m_partial));
        m_partial.clear();
        ::close(m_pipe);
        m_pipe = -1;
    }
}

void ScriptedUiServices::awaitAnswer()
{
    if (m_pipe < 0 || !m_answers.empty()) return;
    readAvailable();
    if (m_pipe < 0 || !m_answers.empty() || systemEnding()) return;
    if (!QCoreApplication::instance()) {
        while (m_pipe >= 0 && m_answers.empty()) {
            pollfd p {m_pipe, POLLIN, 0};
            if (::poll(&p, 1, -1) < 0 && errno != EINTR) break;
            readAvailable();
        }
        return;
    }
    QEventLoop loop;
    QSocketNotifier ready(qintptr(m_pipe), QSocketNotifier::Read);
    QObject::connect(&ready, &QSocketNotifier::activated, &loop, [&] {
        ready.setEnabled(false);
        readAvailable();
        if (m_pipe < 0 || !m_answers.empty())
            loop.quit();
        else
            ready.setEnabled(true);
    });
    // A question asked while another waits (a timer's, an event's) is the one the next line
    // answers: the waits around it stop reading until it is answered.
    if (!answerWaits().empty()) answerWaits().back().ready->setEnabled(false);
    answerWaits().push_back({&loop, &ready});
    loop.exec();
    answerWaits().pop_back();
    if (!answerWaits().empty()) {
        // Lines that came meanwhile are already read: the wait around this one has them.
        if (!m_answers.empty() || m_pipe < 0)
            answerWaits().back().loop->quit();
        else
            answerWaits().back().ready->setEnabled(true);
    }
}

QStringList ScriptedUiServices::prompts() const
{
    QStringList out;
    for (const QString& l : m_log) out << l.section(QStringLiteral(": "), 1);
    return out;
}

void ScriptedUiServices::record(const QString& kind, const QString& text)
{
    m_log << kind + QStringLiteral(": ") + text;
    if (m_logPath.isEmpty()) return;
    QFile f(m_logPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write((kind + QStringLiteral(": ") + text).toUtf8());
        f.write("\n");
    }
}

std::optional<QString> ScriptedUiServices::next(const QString& prompt)
{
    if (systemEnding()) return std::nullopt;
    awaitAnswer();
    if (systemEnding()) return std::nullopt;
    if (!m_answers.empty()) {
        QString a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    if (m_whenUsedUp == WhenUsedUp::EndRun) {
        record(QStringLiteral("UNANSWERED"), prompt);
        std::fprintf(stderr, "UNANSWERED: %s\n", prompt.toLocal8Bit().constData());
        std::fflush(stderr);
        if (m_endRun)
            m_endRun();
        else
            std::_Exit(kUnansweredExitCode);
    }
    return std::nullopt;
}

int ScriptedUiServices::msgBox(const QString& text, int flags, const QString& title)
{
    record(QStringLiteral("MSGBOX"), text);
    const auto buttons = buttonsOf(flags);
    int defIndex = (flags & 0xF00) / 256;
    int fallback = buttons[std::min<size_t>(defIndex, buttons.size() - 1)];
    auto a = next(text);
    if (!a) return systemEnding() ? Msg::escapeResult(flags) : fallback;
    for (int b : buttons)
        if (Msg::resultName(b).compare(a->trimmed(), Qt::CaseInsensitive) == 0) return b;
    return fallback;
}

std::optional<QString> ScriptedUiServices::textAnswer(const QString& kind, const QString& text, const QString& def)
{
    record(kind, text);
    auto a = next(text);
    if (!a && systemEnding()) return std::nullopt;
    if (!a) return def.isNull() ? std::nullopt : std::optional<QString>(def);
    if (*a == QStringLiteral("<cancel>")) return std::nullopt;
    return a;
}

std::optional<QString> ScriptedUiServices::inputBox(const QString& prompt, const QString&, const QString& def)
{
    return textAnswer(QStringLiteral("INPUT"), prompt, def.isNull() ? QStringLiteral("") : def);
}
std::optional<QString> ScriptedUiServices::openFileName(const QString& title, const QString&, const QString&)
{
    return textAnswer(QStringLiteral("OPENFILE"), title, QString());
}
std::optional<QString> ScriptedUiServices::saveFileName(const QString& title, const QString&, const QString&)
{
    return textAnswer(QStringLiteral("SAVEFILE"), title, QString());
}
std::optional<QString> ScriptedUiServices::folderName(const QString& title, const QString&)
{
    return textAnswer(QStringLiteral("FOLDER"), title, QString());
}
bool ScriptedUiServices::runModal(ModalWindow& window)
{
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
bool ScriptedUiServices::openUrl(const QString& url)
{
    record(QStringLiteral("OPEN"), url);
    return true;
}
void ScriptedUiServices::status(const QString& text) { record(QStringLiteral("STATUS"), text); }

void ScriptedUiServices::refused(const QString& window, const QString& what)
{
    record(QStringLiteral("REFUSED"), u'[' + window + QStringLiteral("] ") + what);
}

std::optional<QString> ScriptedUiServices::command(const QString& window, const QString& prompt)
{
    if (!m_windowCommands || systemEnding()) return std::nullopt;
    // Used up: nothing is asked, the window just waits.
    if (m_answers.empty() && m_pipe < 0) return std::nullopt;
    record(QStringLiteral("INPUT"), u'[' + window + QStringLiteral("] ") + prompt);
    awaitAnswer();
    if (systemEnding() || m_answers.empty()) return std::nullopt;
    QString a = m_answers.front();
    m_answers.pop_front();
    return a;
}

namespace {
std::shared_ptr<UiServices>& current()
{
    static std::shared_ptr<UiServices> u;
    return u;
}
}

UiServices& ui()
{
    auto& u = current();
    if (!u) {
        auto s = ScriptedUiServices::fromEnvironment();
        u = s ? std::static_pointer_cast<UiServices>(s) : std::make_shared<ScriptedUiServices>();
    }
    return *u;
}
void setUiServices(std::shared_ptr<UiServices> u) { current() = std::move(u); }
