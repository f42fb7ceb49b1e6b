#pragma once

// The subscriptions a panel or controller owns, and the ways its widgets
// follow published fields: every binding checks the main thread and stops by
// itself once its owner is gone, so owners write no sink/weak-pointer/assert
// blocks.

#include "platform/Dispatch.h"
#include "platform/Lifetime.h"
#include "platform/Published.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ui {

namespace detail {
// What a binding holds of its owner: a widget (or any QObject) through a
// QPointer, an object owned through a shared_ptr through a weak_ptr. The
// owner is locked for each call and skipped once gone.
template <typename W>
QPointer<W> guardOf(W* owner) {
    return QPointer<W>(owner);
}
template <typename O>
std::weak_ptr<O> guardOf(std::weak_ptr<O> owner) {
    return owner;
}
template <typename W>
W* lock(const QPointer<W>& guard) {
    return guard.data();
}
template <typename O>
std::shared_ptr<O> lock(const std::weak_ptr<O>& guard) {
    return guard.lock();
}
// An object that ends its own life tokens (platform::Lifetime) through a
// WeakRef.
template <typename O>
platform::WeakRef<O> guardOf(platform::WeakRef<O> owner) {
    return owner;
}
template <typename O>
O* lock(const platform::WeakRef<O>& guard) {
    return guard.get();
}
} // namespace detail

// `Owner` is a widget pointer, a weak_ptr to the owning object or a WeakRef
// from its Lifetime; handlers receive the owner by reference.
class Bindings {
public:
    Bindings() = default;
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;
    Bindings(Bindings&&) = default;
    Bindings& operator=(Bindings&&) = default;

    // Calls `apply(owner, value)` now and on every assignment of `field`,
    // with the new value (while it runs the field still holds the old one).
    template <typename T, typename Owner, typename Apply>
    void bind(platform::Published<T>& field, Owner owner, Apply apply,
              platform::Initial initial = platform::Initial::Include) {
        subscriptions_.push_back(field.sink(
            [guard = detail::guardOf(std::move(owner)), apply = std::move(apply)](const T& value) {
                platform::assertMainThread("binding");
                if (auto w = detail::lock(guard)) apply(*w, value);
            },
            platform::Delivery::Immediate, initial));
    }

    // Runs `react(owner)` on a later turn of the main loop after each
    // assignment of `field`, once every field assigned in the same turn
    // holds its new value: for reactions that read several fields. With
    // Initial::Include it also runs once on a later turn from now.
    template <typename T, typename Owner, typename React>
    void onChangeLater(platform::Published<T>& field, Owner owner, React react,
                       platform::Initial initial = platform::Initial::Skip) {
        // Delivered without a copy of the value, which may be large (the
        // strokes) and is not read.
        subscriptions_.push_back(field.sinkChange(
            [guard = detail::guardOf(std::move(owner)), react = std::move(react)] {
                platform::assertMainThread("binding");
                if (auto w = detail::lock(guard)) react(*w);
            },
            platform::Delivery::MainQueue, initial));
    }

    // Calls `react(owner, value)` on a later turn of the main loop after
    // each assignment of `field`, with the value assigned.
    template <typename T, typename Owner, typename React>
    void followLater(platform::Published<T>& field, Owner owner, React react,
                     platform::Initial initial = platform::Initial::Skip) {
        subscriptions_.push_back(field.sink(
            [guard = detail::guardOf(std::move(owner)), react = std::move(react)](const T& value) {
                platform::assertMainThread("binding");
                if (auto w = detail::lock(guard)) react(*w, value);
            },
            platform::Delivery::MainQueue, initial));
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

    // Calls `slot(owner, args...)` on every emission while the owner exists.
    template <typename Owner, typename Slot, typename... Args>
    void connect(platform::Signal<Args...>& signal, Owner owner, Slot slot) {
        subscriptions_.push_back(
            signal.connect([guard = detail::guardOf(std::move(owner)), slot = std::move(slot)](Args... args) {
                platform::assertMainThread("binding");
                if (auto w = detail::lock(guard)) slot(*w, args...);
            }));
    }

    // Any other registration the owner keeps.
    void add(platform::Subscription subscription) { subscriptions_.push_back(std::move(subscription)); }

    // Ends every binding now.
    void clear() { subscriptions_.clear(); }
    std::size_t size() const { return subscriptions_.size(); }

private:
    std::vector<platform::Subscription> subscriptions_;
};

} // namespace ui
