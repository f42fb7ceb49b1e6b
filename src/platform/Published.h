#pragma once

// Published fields, their subscriptions and the objects that own them.

#include "platform/Dispatch.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace platform {

// An object whose published fields announce every change on one signal,
// fired before the field changes.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    Signal<> willChange;
};

enum class Delivery { Immediate, MainQueue };
enum class Initial { Include, Skip };

// A published field. Every assignment notifies, equal values included:
// first the owner's willChange, then each subscriber with the new value,
// while the field still holds the old one; then the value is stored and the
// field's own did-set observer (if any) runs with the old value.
template <typename T>
class Published {
public:
    using Handler = std::function<void(const T&)>;
    using DidSet = std::function<void(const T& oldValue)>;

    explicit Published(T initial = T{}, ObservableObject* owner = nullptr)
        : value_(std::move(initial)), owner_(owner), subscribers_(std::make_shared<Subscribers>()) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

    Published& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }

    void set(T newValue) {
        if (owner_) owner_->willChange.emit();
        notify(newValue);
        T old = std::exchange(value_, std::move(newValue));
        if (didSet_) didSet_(old);
    }

    // Assigns a changed copy: for edits of one element or member, which
    // notify like any other assignment.
    template <typename F>
    void modify(F&& change) {
        T copy = value_;
        std::forward<F>(change)(copy);
        set(std::move(copy));
    }

    // Changes the stored value in place, then notifies as an assignment
    // does, except that handlers reading the field see the new value too:
    // for large values (a list of thousands of items) that a copy per change
    // would cost more than the change itself. With a did-set observer,
    // which needs the old value, it is an ordinary modify().
    template <typename F>
    void modifyInPlace(F&& change) {
        if (didSet_) {
            modify(std::forward<F>(change));
            return;
        }
        if (owner_) owner_->willChange.emit();
        std::forward<F>(change)(value_);
        notify(value_);
    }

    // Stores without notifying anyone: for initialisers that read stored
    // values and must not run observers.
    void setSilently(T newValue) { value_ = std::move(newValue); }

    // The field's own change observer (a property's didSet): runs after every
    // assignment through set(), never after setSilently().
    void setDidSet(DidSet observer) { didSet_ = std::move(observer); }

    [[nodiscard]] Subscription sink(Handler handler, Delivery delivery = Delivery::Immediate,
                                    Initial initial = Initial::Include) {
        return add(std::make_shared<Subscriber>(Subscriber{std::move(handler), {}, delivery, true}), initial);
    }

    // Like sink, for handlers that only need to know of the assignment: a
    // later delivery carries no copy of the value.
    [[nodiscard]] Subscription sinkChange(std::function<void()> handler, Delivery delivery = Delivery::Immediate,
                                          Initial initial = Initial::Include) {
        return add(std::make_shared<Subscriber>(Subscriber{{}, std::move(handler), delivery, true}), initial);
    }

    std::size_t subscriberCount() const { return subscribers_->size(); }

private:
    // One of the two handlers is set: the value's, or a bare one.
    struct Subscriber {
        Handler handler;
        std::function<void()> bare;
        Delivery delivery;
        bool alive;
    };
    using Subscribers = std::vector<std::shared_ptr<Subscriber>>;

    void deliver(const std::shared_ptr<Subscriber>& s, const T& value) {
        if (s->delivery == Delivery::Immediate) {
            if (s->bare) s->bare();
            else s->handler(value);
            return;
        }
        std::weak_ptr<Subscriber> weak = s;
        if (s->bare) {
            dispatchMain([weak] {
                if (auto strong = weak.lock(); strong && strong->alive) strong->bare();
            });
        } else {
            dispatchMain([weak, copy = value] {
                if (auto strong = weak.lock(); strong && strong->alive) strong->handler(copy);
            });
        }
    }

    void notify(const T& value) {
        if (subscribers_->empty()) return;
        const auto snapshot = *subscribers_;
        for (const auto& s : snapshot)
            if (s->alive) deliver(s, value);
    }

    Subscription add(std::shared_ptr<Subscriber> sub, Initial initial) {
        subscribers_->push_back(sub);
        if (initial == Initial::Include) deliver(sub, value_);
        std::weak_ptr<Subscribers> weakList = subscribers_;
        std::weak_ptr<Subscriber> weakSub = sub;
        return Subscription([weakList, weakSub] {
            auto s = weakSub.lock();
            if (!s) return;
            s->alive = false;
            if (auto list = weakList.lock()) {
                list->erase(std::remove(list->begin(), list->end(), s), list->end());
            }
        });
    }

    T value_;
    ObservableObject* owner_;
    std::shared_ptr<Subscribers> subscribers_;
    DidSet didSet_;
};

// Calls `handler(a, b)` whenever either field is assigned, once both have a
// value: the assigned field contributes its new value, the other its current.
template <typename A, typename B>
[[nodiscard]] std::vector<Subscription>
combineLatest(Published<A>& a, Published<B>& b, std::function<void(const A&, const B&)> handler,
              Delivery delivery = Delivery::Immediate, Initial initial = Initial::Include) {
    struct Latest {
        std::optional<A> a;
        std::optional<B> b;
        std::function<void(const A&, const B&)> handler;
        bool primed = false;
    };
    auto latest = std::make_shared<Latest>();
    latest->handler = std::move(handler);
    std::vector<Subscription> subs;
    subs.push_back(a.sink(
        [latest](const A& v) {
            latest->a = v;
            if (latest->primed && latest->b) latest->handler(*latest->a, *latest->b);
        },
        delivery, Initial::Include));
    subs.push_back(b.sink(
        [latest](const B& v) {
            latest->b = v;
            if (latest->primed && latest->a) latest->handler(*latest->a, *latest->b);
        },
        delivery, Initial::Include));
    auto prime = [latest, initial] {
        latest->primed = true;
        if (initial == Initial::Include && latest->a && latest->b) latest->handler(*latest->a, *latest->b);
    };
    if (delivery == Delivery::Immediate) prime();
    else dispatchMain(prime);
    return subs;
}

} // namespace platform
