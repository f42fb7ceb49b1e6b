#include "platform/UnixSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
int pipeFds[2] = {-1, -1};

extern "C" void onUnixSignal(int signo) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &b, 1);
    errno = saved;
}
} // namespace

UnixSignals& UnixSignals::instance() {
    static UnixSignals signals;
    return signals;
}

UnixSignals::~UnixSignals() = default;

void UnixSignals::install() {
    if (notifier_) return;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        unsigned char b = 0;
        while (::read(pipeFds[0], &b, 1) == 1) received.emit(static_cast<int>(b));
    });
    struct sigaction sa {};
    sa.sa_handler = onUnixSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &sa, nullptr);
}

} // namespace platform
