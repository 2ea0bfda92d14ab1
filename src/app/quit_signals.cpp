#include "app/quit_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalSockets[2] = { -1, -1 };
bool quitting = false;

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(signalSockets[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        qWarning("no clean quit on SIGTERM: socketpair failed");
        return;
    }
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::onNotified);

    struct sigaction action
    {
    };
    action.sa_handler = &QuitSignals::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &m_oldTerm);
    ::sigaction(SIGINT, &action, &m_oldInt);
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
    quitting = false;
}

void QuitSignals::onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

void QuitSignals::onNotified()
{
    char byte;
    [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
    // Not by closing the windows: one whose close question shows is already closing and would
    // stay, and a question closed that way would read as answered. exit() ends every loop.
    quitting = true;
    QCoreApplication::exit(0);
}

bool QuitSignals::isQuitting()
{
    return quitting;
}
