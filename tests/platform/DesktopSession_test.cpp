// The session type and the desktop's privacy settings, from the environment.
#include "platform/DesktopSession.h"

#include <gtest/gtest.h>

namespace {
QProcessEnvironment env(std::initializer_list<std::pair<const char*, const char*>> values) {
    QProcessEnvironment e;
    for (const auto& [k, v] : values) e.insert(QString::fromLatin1(k), QString::fromLatin1(v));
    return e;
}
} // namespace

TEST(DesktopSession, WaylandByTheSessionTypeOrAWaylandDisplay) {
    EXPECT_TRUE(platform::isWaylandSession(env({{"XDG_SESSION_TYPE", "wayland"}})));
    EXPECT_TRUE(platform::isWaylandSession(env({{"XDG_SESSION_TYPE", "Wayland"}})));
    EXPECT_TRUE(platform::isWaylandSession(env({{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}})));
    EXPECT_FALSE(platform::isWaylandSession(env({{"XDG_SESSION_TYPE", "x11"}})));
    EXPECT_FALSE(platform::isWaylandSession(env({{"WAYLAND_DISPLAY", ""}})));
    EXPECT_FALSE(platform::isWaylandSession(env({})));
}

TEST(DesktopSession, PrivacySettingsOnlyForADesktopWeKnow) {
    const QStringList gnome{"gnome-control-center", "privacy"};
    EXPECT_EQ(platform::privacySettingsCommand(env({{"XDG_CURRENT_DESKTOP", "GNOME"}})), gnome);
    EXPECT_EQ(platform::privacySettingsCommand(env({{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}})), gnome);
    EXPECT_TRUE(platform::privacySettingsCommand(env({{"XDG_CURRENT_DESKTOP", "XFCE"}})).isEmpty());
    EXPECT_TRUE(platform::privacySettingsCommand(env({})).isEmpty());
}
