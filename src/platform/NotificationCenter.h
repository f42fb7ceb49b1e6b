#pragma once

// Named notifications between components.

#include "platform/Signal.h"

#include <QHash>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace platform {

struct Notification {
    QString name;
    const void* object = nullptr;
    QVariantMap userInfo;
};

// Named notifications between components that hold no reference to each
// other. Delivery is synchronous, on the main thread, in registration order.
class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    [[nodiscard]] Subscription addObserver(const QString& name, std::function<void(const Notification&)> handler);
    void post(const QString& name, const void* object = nullptr, const QVariantMap& userInfo = {});

private:
    QHash<QString, std::shared_ptr<Signal<const Notification&>>> signals_;
};

} // namespace platform
