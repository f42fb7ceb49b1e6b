#include "platform/NotificationCenter.h"

#include "platform/Dispatch.h"

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Subscription NotificationCenter::addObserver(const QString& name, std::function<void(const Notification&)> handler) {
    auto& signal = signals_[name];
    if (!signal) signal = std::make_shared<Signal<const Notification&>>();
    return signal->connect(std::move(handler));
}

void NotificationCenter::post(const QString& name, const void* object, const QVariantMap& userInfo) {
    assertMainThread("NotificationCenter::post");
    const auto it = signals_.constFind(name);
    if (it == signals_.constEnd()) return;
    auto signal = *it; // keeps the signal alive while observers unsubscribe
    signal->emit(Notification{name, object, userInfo});
}

} // namespace platform
