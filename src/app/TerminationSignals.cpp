#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
// The handler may only write to a pipe; the event loop reads the other end.
int pipeEnds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &number, 1);
    errno = saved;
}
#endif
} // namespace

void TerminationSignals::install()
{
#ifdef Q_OS_UNIX
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action
    {
    };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
#endif
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    install();
    if (pipeEnds[0] < 0)
        return;
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char number = 0;
        while (::read(pipeEnds[0], &number, 1) == 1)
            Q_EMIT received(int(number));
    });
#endif
}
