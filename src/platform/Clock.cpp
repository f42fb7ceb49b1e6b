// The steady clock and Qt's timers behind the platform's waits.
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace platform {

namespace {

class QtTimer : public Clock::Timer {
public:
    QtTimer(int ms, std::function<void()> work) : timer_(new QTimer) {
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setSingleShot(true);
        timer_->setInterval(std::max(0, ms));
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

class SystemClock : public Clock {
public:
    SystemClock() { start_.start(); }
    qint64 nowMs() const override { return start_.elapsed(); }
    std::unique_ptr<Timer> after(int ms, std::function<void()> work) override {
        return std::make_unique<QtTimer>(ms, std::move(work));
    }

private:
    QElapsedTimer start_;
};

} // namespace

std::shared_ptr<Clock> Clock::system() {
    static const auto kClock = std::make_shared<SystemClock>();
    return kClock;
}

} // namespace platform
