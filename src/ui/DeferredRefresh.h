#pragma once

// A view's refresh run once on the next turn of the main loop, however many
// changes asked for it before: by then every field changed together holds
// its new value.

#include "platform/Published.h"
#include "platform/Subscription.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <utility>

namespace ui {

class DeferredRefresh {
public:
    // `owner` cancels a refresh still queued when it goes. The owner declares
    // this before the bindings that hold what `schedulingOn` returns.
    DeferredRefresh(QObject* owner, std::function<void()> refresh) : owner_(owner), refresh_(std::move(refresh)) {}
    DeferredRefresh(const DeferredRefresh&) = delete;
    DeferredRefresh& operator=(const DeferredRefresh&) = delete;

    void schedule() {
        if (queued_) return;
        queued_ = true;
        QTimer::singleShot(0, owner_, [this] {
            queued_ = false;
            refresh_();
        });
    }

    // Schedules on every assignment of `field` while the owner exists.
    template <typename T>
    platform::Subscription schedulingOn(platform::Published<T>& field) {
        return field.sink(
            [guard = QPointer<QObject>(owner_), this](const T&) {
                if (guard) schedule();
            },
            platform::Delivery::Immediate, platform::Initial::Skip);
    }

private:
    QObject* owner_;
    std::function<void()> refresh_;
    bool queued_ = false;
};

} // namespace ui
