#pragma once

// The colour picker's requests for the keyboard and its giving it back, as
// posted to the default notification centre, in order.

#include "platform/NotificationCenter.h"
#include "ui/NotificationNames.h"

#include <QStringList>

namespace testing_support {

struct ColorPickerKeyRequests {
    QStringList posted;
    platform::Subscription request = platform::NotificationCenter::defaultCenter().addObserver(
        Notifications::colorPickerRequestKey, [this](const platform::Notification& n) { posted << n.name; });
    platform::Subscription resign = platform::NotificationCenter::defaultCenter().addObserver(
        Notifications::colorPickerResignKey, [this](const platform::Notification& n) { posted << n.name; });
};

} // namespace testing_support
