#include "PseudoTerminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
[[noreturn]] void fail(const char* what)
{
    throw std::runtime_error(std::string("pseudo-terminal: ") + what + ": " + std::strerror(errno));
}

bool onApplicationThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}
}

PseudoTerminal::PseudoTerminal(const QString& linkFolder)
{
    QString folder = linkFolder;
    if (folder.isEmpty()) {
        m_ownFolder = std::make_unique<QTemporaryDir>();
        if (!m_ownFolder->isValid()) throw std::runtime_error("pseudo-terminal: no private folder for the link");
        folder = m_ownFolder->path();
    }
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) fail("ptsname");
    m_terminalPath = QString::fromLocal8Bit(name);

    m_device = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_device < 0) fail("open device side");
    termios tio {};
    if (::tcgetattr(m_device, &tio) != 0) fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_device, TCSANOW, &tio) != 0) fail("tcsetattr");
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    static std::atomic<int> serial {0};
    m_linkPath = QStringLiteral("%1/pty-%2-%3").arg(folder).arg(::getpid()).arg(++serial);
    if (::symlink(name, QFile::encodeName(m_linkPath).constData()) != 0) fail("symlink");
}

PseudoTerminal::~PseudoTerminal()
{
    stopServing();
    if (m_device >= 0) ::close(m_device);
    if (m_master >= 0) ::close(m_master);
    if (!m_linkPath.isEmpty()) ::unlink(QFile::encodeName(m_linkPath).constData());
}

bool PseudoTerminal::waitUnfetched(qsizetype count, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        int queued = 0;
        // The port and our own hold share the line's input queue.
        if (::ioctl(m_device, FIONREAD, &queued) == 0 && queued >= count) return true;
        if (t.elapsed() >= timeoutMs) return false;
        ::usleep(1000);
    }
}

bool PseudoTerminal::waitOutputHeld(int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const char probe = 0;
        const ssize_t n = ::write(m_device, &probe, 1);
        if (n < 0 && errno == EAGAIN) return true;   // a stopped line takes nothing
        if (n == 1) {
            // Not held yet: the probe went through and must not reach the reads.
            char back = 0;
            while (::read(m_master, &back, 1) != 1 && t.elapsed() < timeoutMs) ::usleep(1000);
        }
        ::usleep(1000);
    }
    return false;
}

bool PseudoTerminal::send(const QByteArray& bytes, int timeoutMs)
{
    // Whole pieces: the serving thread and its owner may both be sending.
    std::lock_guard lock(m_sendMutex);
    QElapsedTimer t;
    t.start();
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        const qint64 left = timeoutMs - t.elapsed();
        if (left <= 0) return false;
        pollfd p {m_master, POLLOUT, 0};
        ::poll(&p, 1, int(std::min<qint64>(left, 10)));
    }
    return true;
}

bool PseudoTerminal::readSome(QByteArray& into, int waitMs, bool pumpEvents)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        char buf[512];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            into.append(buf, n);
            return true;
        }
        // EIO: nobody holds the device side open; cannot happen while we hold it.
        const qint64 left = waitMs - t.elapsed();
        if (left <= 0) return false;
        if (pumpEvents) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p {m_master, POLLIN, 0};
        ::poll(&p, 1, int(std::min<qint64>(left, 5)));
    }
}

template <typename Done> QByteArray PseudoTerminal::receiveWhile(Done done, int timeoutMs)
{
    const bool pump = onApplicationThread();
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!done(got)) {
        const qint64 left = timeoutMs - t.elapsed();
        if (left <= 0) break;
        readSome(got, int(left), pump);
    }
    return got;
}

QByteArray PseudoTerminal::receive(qsizetype count, int timeoutMs)
{
    // May hold more than `count` when the port wrote more in one go.
    return receiveWhile([&](const QByteArray& g) { return g.size() >= count; }, timeoutMs);
}

QByteArray PseudoTerminal::receiveUntil(char last, int timeoutMs)
{
    return receiveWhile([&](const QByteArray& g) { return g.contains(last); }, timeoutMs);
}

QByteArray PseudoTerminal::receiveFor(int timeoutMs)
{
    return receiveWhile([](const QByteArray&) { return false; }, timeoutMs);
}

QByteArray PseudoTerminal::receiveUntilQuiet(int quietMs, int timeoutMs)
{
    const bool pump = onApplicationThread();
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const int wait = int(std::min<qint64>(quietMs, timeoutMs - t.elapsed()));
        if (!readSome(got, wait, pump) && !got.isEmpty()) break;
    }
    return got;
}

void PseudoTerminal::listen(Listener heard)
{
    stopServing();
    m_serving = true;
    m_server = std::thread([this, heard = std::move(heard)] {
        while (m_serving) {
            QByteArray chunk;
            if (!readSome(chunk, 20, false)) continue;
            {
                std::lock_guard lock(m_servedMutex);
                m_served.append(chunk);
            }
            heard(chunk);
        }
    });
}

void PseudoTerminal::serve(Answer answer)
{
    listen([this, answer = std::move(answer), pending = QByteArray()](const QByteArray& chunk) mutable {
        pending.append(chunk);
        const QByteArray reply = answer(pending);
        if (!reply.isEmpty()) send(reply, 1000);
    });
}

void PseudoTerminal::hangUp()
{
    stopServing();
    std::lock_guard lock(m_sendMutex);
    // Closing the controlling side hangs the device side up for every holder of it.
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
}

void PseudoTerminal::stopServing()
{
    m_serving = false;
    if (m_server.joinable()) m_server.join();
}

QByteArray PseudoTerminal::servedBytes() const
{
    std::lock_guard lock(m_servedMutex);
    return m_served;
}
