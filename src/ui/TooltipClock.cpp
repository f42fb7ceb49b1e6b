#include "ui/TooltipClock.h"

#include <QTimer>

#include <cmath>

namespace {

class QtTimer : public TooltipClock::Timer {
public:
    QtTimer(double seconds, bool repeats, std::function<void()> work) : timer_(new QTimer) {
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setSingleShot(!repeats);
        timer_->setInterval(std::max(0, int(std::lround(seconds * 1000))));
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(work));
        timer_->start();
    }
    // The timer may be the one delivering the call that ends it: stopped now,
    // deleted once its delivery is over.
    ~QtTimer() override {
        timer_->stop();
        timer_->deleteLater();
    }

private:
    QTimer* timer_;
};

class SystemClock : public TooltipClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<Timer> schedule(double seconds, bool repeats, std::function<void()> work) override {
        return std::make_unique<QtTimer>(seconds, repeats, std::move(work));
    }
};

} // namespace

std::shared_ptr<TooltipClock> TooltipClock::system() {
    static const auto kClock = std::make_shared<SystemClock>();
    return kClock;
}
