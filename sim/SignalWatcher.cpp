#include "sim/SignalWatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace corvantis {

namespace {

sigset_t setOf(const QList<int> &signalNumbers)
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : signalNumbers)
        sigaddset(&set, number);
    return set;
}

} // namespace

bool SignalWatcher::blockForWatching(const QList<int> &signalNumbers)
{
    const sigset_t set = setOf(signalNumbers);
    return ::sigprocmask(SIG_BLOCK, &set, nullptr) == 0;
}

SignalWatcher::SignalWatcher(const QList<int> &signalNumbers, QObject *parent) : QObject(parent)
{
    const sigset_t set = setOf(signalNumbers);
    m_fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignals);
}

SignalWatcher::~SignalWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void SignalWatcher::readSignals()
{
    signalfd_siginfo info{};
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        Q_EMIT signalled(static_cast<int>(info.ssi_signo));
}

} // namespace corvantis
