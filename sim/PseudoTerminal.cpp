#include "sim/PseudoTerminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace corvantis {

namespace {

constexpr int kHangUpPollMs = 20;
// More than a program could leave unread on a 9600 baud line; beyond it output is dropped.
constexpr qsizetype kMaxPending = 64 * 1024;

QString systemError(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : QObject(parent)
{
    m_hangUpPoll.setInterval(kHangUpPollMs);
    connect(&m_hangUpPoll, &QTimer::timeout, this, &PseudoTerminal::checkHangUp);
}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(const QString &linkPath, QString *error)
{
    close();
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        close();
        return false;
    };
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return fail(systemError(QStringLiteral("Cannot open a pseudo-terminal")));
    char name[128] = {};
    if (::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0 || ::ptsname_r(m_fd, name, sizeof name) != 0)
        return fail(systemError(QStringLiteral("Cannot prepare the pseudo-terminal")));
    m_devicePath = QString::fromLocal8Bit(name);

    // Raw mode before anyone opens the device: the default echo would send every frame back.
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return fail(systemError(QStringLiteral("Cannot read the terminal settings")));
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    if (::tcsetattr(m_fd, TCSANOW, &settings) != 0)
        return fail(systemError(QStringLiteral("Cannot set the terminal settings")));

    // Opening and closing the device once puts the master into the hung-up state, so "nobody
    // attached yet" looks the same as "the program closed the port".
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0)
        ::close(slave);

    if (!linkPath.isEmpty() && !createLink(linkPath, error)) {
        const QString message = error ? *error : QString();
        return fail(message);
    }

    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readAvailable);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::flushPending);
    m_readNotifier->setEnabled(false);
    m_hangUpPoll.start();
    checkHangUp();
    return true;
}

void PseudoTerminal::close()
{
    m_hangUpPoll.stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    removeLink();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_devicePath.clear();
    m_pending.clear();
    m_attached = false;
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (m_fd < 0 || !m_attached)
        return;
    if (m_pending.size() + bytes.size() > kMaxPending)
        return;
    m_pending.append(bytes);
    flushPending();
}

bool PseudoTerminal::createLink(const QString &linkPath, QString *error)
{
    const QFileInfo info(linkPath);
    if (info.exists() || info.isSymLink()) {
        if (!info.isSymLink()) {
            if (error)
                *error =
                    QStringLiteral("%1 exists and is not a link; it was left alone").arg(linkPath);
            return false;
        }
    }
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("Cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    // Made under a temporary name and renamed, so a stale link is replaced in one step.
    const QByteArray target = m_devicePath.toLocal8Bit();
    const QByteArray finalName = QFile::encodeName(info.absoluteFilePath());
    const QByteArray tempName = finalName + ".new" + QByteArray::number(::getpid());
    ::unlink(tempName.constData());
    if (::symlink(target.constData(), tempName.constData()) != 0 ||
        ::rename(tempName.constData(), finalName.constData()) != 0) {
        if (error)
            *error = systemError(QStringLiteral("Cannot create the link %1").arg(linkPath));
        ::unlink(tempName.constData());
        return false;
    }
    m_linkPath = info.absoluteFilePath();
    return true;
}

void PseudoTerminal::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    // Another line may have taken the link over since; its link stays.
    if (QFileInfo(m_linkPath).symLinkTarget() == m_devicePath)
        ::unlink(QFile::encodeName(m_linkPath).constData());
    m_linkPath.clear();
}

void PseudoTerminal::readAvailable()
{
    if (m_fd < 0)
        return;
    QByteArray received;
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // EIO (or end of file): the last holder of the device has closed it.
        setAttached(false);
        break;
    }
    if (!received.isEmpty())
        Q_EMIT bytesRead(received);
}

void PseudoTerminal::checkHangUp()
{
    if (m_fd < 0)
        return;
    pollfd probe{m_fd, POLLIN, 0};
    if (::poll(&probe, 1, 0) < 0)
        return;
    if ((probe.revents & POLLHUP) == 0)
        setAttached(true);
    else if (probe.revents & POLLIN)
        readAvailable(); // a program that wrote and closed in between
}

void PseudoTerminal::flushPending()
{
    while (!m_pending.isEmpty() && m_fd >= 0) {
        const ssize_t n =
            ::write(m_fd, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        m_pending.clear();
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PseudoTerminal::setAttached(bool attached)
{
    if (attached == m_attached)
        return;
    m_attached = attached;
    if (m_readNotifier)
        m_readNotifier->setEnabled(attached);
    if (attached) {
        m_hangUpPoll.stop();
    } else {
        m_pending.clear();
        if (m_writeNotifier)
            m_writeNotifier->setEnabled(false);
        m_hangUpPoll.start();
    }
    Q_EMIT attachedChanged(attached);
}

} // namespace corvantis
