#include "VXNServiceFramework/app/StopSignalNotifier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onStopSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignalNotifier::StopSignalNotifier(std::vector<int> signalNumbers,
                                       std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)), m_signals(std::move(signalNumbers)) {
    if (g_pipe[0] >= 0) {
        return; // a second instance: the first one keeps the signals
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return; // no descriptors: the signals keep their default action
    }
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);

    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignalNotifier::readSignals);

    for (int number : m_signals) {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        struct sigaction previous {};
        ::sigaction(number, &action, &previous);
        m_previous.push_back(previous);
    }
}

StopSignalNotifier::~StopSignalNotifier() {
    if (!m_notifier) {
        return;
    }
    for (std::size_t i = 0; i < m_signals.size(); ++i) {
        ::sigaction(m_signals[i], &m_previous[i], nullptr);
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignalNotifier::readSignals() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        m_onSignal(byte);
    }
}
