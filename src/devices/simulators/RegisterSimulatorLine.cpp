#include "RegisterSimulatorLine.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {
[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string("register simulator: ") + what + ": " + std::strerror(errno));
}

qint64 monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}

RegisterSimulatorLine::RegisterSimulatorLine(std::shared_ptr<RegisterSimulator> simulator)
    : m_simulator(std::move(simulator)) {
    if (!m_dir.isValid())
        throw std::runtime_error("register simulator: no private folder for the line");
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        fail("ptsname");
    // Held open so that the line lives across the program's close and reopen.
    m_device = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_device < 0)
        fail("open device side");
    termios tio{};
    if (::tcgetattr(m_device, &tio) != 0)
        fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_device, TCSANOW, &tio) != 0)
        fail("tcsetattr");
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_linkPath = m_dir.path() + QStringLiteral("/register");
    if (::symlink(name, QFile::encodeName(m_linkPath).constData()) != 0)
        fail("symlink");
    m_startMs = monotonicMs();
    m_thread = std::thread([this] { serve(); });
}

RegisterSimulatorLine::~RegisterSimulatorLine() {
    m_running = false;
    if (m_thread.joinable())
        m_thread.join();
    if (m_device >= 0)
        ::close(m_device);
    if (m_master >= 0)
        ::close(m_master);
}

QString RegisterSimulatorLine::devicePath() const { return m_linkPath; }

void RegisterSimulatorLine::setPowered(bool on) { m_powered = on; }

void RegisterSimulatorLine::send(const QByteArray& bytes) {
    write(bytes);
    record(Direction::ToProgram, bytes);
}

void RegisterSimulatorLine::write(const QByteArray& bytes) {
    std::lock_guard lock(m_writeMutex);
    qsizetype done = 0;
    QElapsedTimer t;
    t.start();
    while (done < bytes.size() && t.elapsed() < 2000) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{m_master, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
}

void RegisterSimulatorLine::record(Direction d, const QByteArray& bytes) {
    std::lock_guard lock(m_trafficMutex);
    m_traffic.push_back({monotonicMs() - m_startMs, d, bytes});
}

void RegisterSimulatorLine::serve() {
    QByteArray pending;
    while (m_running) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            continue;
        const QByteArray chunk(buf, n);
        if (!m_powered) {
            pending.clear();
            record(Direction::LostWhileOff, chunk);
            continue;
        }
        record(Direction::FromProgram, chunk);
        pending += chunk;
        for (const SimulatorChunk& out : m_simulator->answer(pending)) {
            for (int waited = 0; waited < out.delayMs && m_running; waited += 5)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, out.delayMs - waited)));
            if (!m_running)
                return;
            if (!out.bytes.isEmpty())
                send(out.bytes);
        }
    }
}

QByteArray RegisterSimulatorLine::fromProgram() const {
    std::lock_guard lock(m_trafficMutex);
    QByteArray all;
    for (const Event& e : m_traffic) {
        if (e.direction == Direction::FromProgram)
            all += e.bytes;
    }
    return all;
}

QList<RegisterSimulatorLine::Event> RegisterSimulatorLine::traffic() const {
    std::lock_guard lock(m_trafficMutex);
    return m_traffic;
}
