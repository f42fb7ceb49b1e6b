#include "canvas/CanvasClock.h"

#include <QTimer>

#include <cmath>

namespace {

class SystemClock : public CanvasClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }

    void after(double seconds, QObject* context, std::function<void()> work) override {
        const int ms = static_cast<int>(std::lround(std::max(seconds, 0.0) * 1000));
        QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(work));
    }
};

} // namespace

std::shared_ptr<CanvasClock> CanvasClock::system() {
    static const std::shared_ptr<CanvasClock> kClock = std::make_shared<SystemClock>();
    return kClock;
}
