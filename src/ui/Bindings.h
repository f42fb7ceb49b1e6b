#pragma once

// The subscriptions a panel owns, and the ways its widgets follow published
// fields: every binding checks the main thread and stops by itself once its
// widget is gone, so panels write no sink/weak-pointer/assert blocks.

#include "platform/Dispatch.h"
#include "platform/Published.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

namespace ui {

class Bindings {
public:
    Bindings() = default;
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;
    Bindings(Bindings&&) = default;
    Bindings& operator=(Bindings&&) = default;

    // Calls `apply(widget, value)` now and on every assignment of `field`,
    // with the new value (while it runs the field still holds the old one).
    template <typename T, typename W, typename Apply>
    void bind(platform::Published<T>& field, W* widget, Apply apply,
              platform::Initial initial = platform::Initial::Include) {
        QPointer<W> guard(widget);
        subscriptions_.push_back(field.sink(
            [guard, apply = std::move(apply)](const T& value) {
                platform::assertMainThread("binding");
                if (W* w = guard.data()) apply(*w, value);
            },
            platform::Delivery::Immediate, initial));
    }

    // Runs `react()` on a later turn of the main loop after each assignment
    // of `field`, once every field assigned in the same turn holds its new
    // value: for reactions that read several fields.
    template <typename T, typename W, typename React>
    void onChangeLater(platform::Published<T>& field, W* widget, React react) {
        QPointer<W> guard(widget);
        subscriptions_.push_back(field.sink(
            [guard, react = std::move(react)](const T&) {
                platform::assertMainThread("binding");
                if (W* w = guard.data()) react(*w);
            },
            platform::Delivery::MainQueue, platform::Initial::Skip));
    }

    // Schedules a repaint of `widget` on every assignment of `field`;
    // painting happens later and reads the stored values.
    template <typename T>
    void repaintOn(platform::Published<T>& field, QWidget* widget) {
        QPointer<QWidget> guard(widget);
        subscriptions_.push_back(field.sink(
            [guard](const T&) {
                if (QWidget* w = guard.data()) w->update();
            },
            platform::Delivery::Immediate, platform::Initial::Skip));
    }

    // Calls `slot(widget, args...)` on every emission while `widget` exists.
    template <typename W, typename Slot, typename... Args>
    void connect(platform::Signal<Args...>& signal, W* widget, Slot slot) {
        QPointer<W> guard(widget);
        subscriptions_.push_back(signal.connect([guard, slot = std::move(slot)](Args... args) {
            platform::assertMainThread("binding");
            if (W* w = guard.data()) slot(*w, args...);
        }));
    }

    // Any other registration the panel owns.
    void add(platform::Subscription subscription) { subscriptions_.push_back(std::move(subscription)); }

    // Ends every binding now.
    void clear() { subscriptions_.clear(); }
    std::size_t size() const { return subscriptions_.size(); }

private:
    std::vector<platform::Subscription> subscriptions_;
};

} // namespace ui
