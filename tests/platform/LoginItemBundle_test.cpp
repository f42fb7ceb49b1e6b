#include "platform/Bundle.h"
#include "platform/LoginItem.h"
#include "platform/Xdg.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::LoginItem;

TEST(LoginItem, RegisterWritesAnAutostartEntryAndUnregisterRemovesIt) {
    QTemporaryDir dir;
    LoginItem item(dir.filePath("autostart"), "/opt/over ink/bin/overink");
    EXPECT_EQ(item.status(), LoginItem::Status::NotRegistered);
    ASSERT_TRUE(item.registerItem());
    EXPECT_EQ(item.status(), LoginItem::Status::Enabled);
    QFile f(item.filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    f.close();
    EXPECT_TRUE(text.contains("[Desktop Entry]"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/over ink/bin/overink\""));
    ASSERT_TRUE(item.unregisterItem());
    EXPECT_FALSE(QFile::exists(item.filePath()));
    EXPECT_EQ(item.status(), LoginItem::Status::NotRegistered);
    EXPECT_TRUE(item.unregisterItem()); // nothing to remove is not a failure
}

TEST(LoginItem, AHiddenEntryCountsAsNotRegistered) {
    QTemporaryDir dir;
    LoginItem item(dir.path(), "overink");
    QFile f(item.filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nType=Application\nExec=overink\nHidden=true\n");
    f.close();
    EXPECT_EQ(item.status(), LoginItem::Status::NotRegistered);
}

TEST(LoginItem, UnwritableFolderReportsFailure) {
    LoginItem item("/proc/overink-cannot-exist/autostart", "overink");
    EXPECT_FALSE(item.registerItem());
    EXPECT_EQ(item.status(), LoginItem::Status::NotRegistered);
}

TEST(Bundle, VersionStringsAreOptionalAndResourcesResolve) {
    platform::Bundle b("/nonexistent", std::nullopt, QString("7"));
    EXPECT_FALSE(b.infoString("CFBundleShortVersionString").has_value());
    EXPECT_EQ(b.infoString("CFBundleVersion"), QString("7"));
    EXPECT_FALSE(b.infoString("Other").has_value());
    EXPECT_TRUE(b.resource("x.svg").isEmpty());
    EXPECT_TRUE(platform::Bundle::main().infoString("CFBundleShortVersionString").has_value());
}

TEST(Xdg, RelativeVariablesAreIgnored) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(platform::xdg::dataHome(), platform::xdg::home() + "/.local/share");
    qputenv("XDG_DATA_HOME", "/tmp/xdg-data");
    EXPECT_EQ(platform::xdg::dataHome(), QString("/tmp/xdg-data"));
    if (saved.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", saved);
}
