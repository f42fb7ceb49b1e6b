#include "platform/UserDefaults.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cmath>

using platform::UserDefaults;

TEST(UserDefaults, EveryTypeRoundTripsThroughTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/defaults.json");
    {
        auto d = UserDefaults::fileBacked(path);
        d->setBool("b", true);
        d->setDouble("d", 11.25);
        d->setString("s", QStringLiteral("pencil.tip – ✎"));
        d->setStringArray("sa", {"Chaikin's", "Cubic B"});
        d->setNumberArray("na", {0.5, -2, 1e-9});
        d->setData("data", QByteArray("\x00\x01\xff", 3));
        d->setDouble("gone", 1);
        d->remove("gone");
        EXPECT_TRUE(d->flush());
    }
    auto d = UserDefaults::fileBacked(path);
    EXPECT_EQ(d->boolValue("b"), true);
    EXPECT_EQ(d->doubleValue("d"), 11.25);
    EXPECT_EQ(d->stringValue("s"), QStringLiteral("pencil.tip – ✎"));
    EXPECT_EQ(d->stringArray("sa"), (QStringList{"Chaikin's", "Cubic B"}));
    EXPECT_EQ(d->numberArray("na"), (std::vector<double>{0.5, -2, 1e-9}));
    EXPECT_EQ(d->data("data"), QByteArray("\x00\x01\xff", 3));
    EXPECT_FALSE(d->contains("gone"));
}

TEST(UserDefaults, AWrongTypeReadsAsAbsentButTheKeyStaysVisible) {
    auto d = UserDefaults::inMemory();
    d->setString("overink.lineWidth", "wide");
    EXPECT_FALSE(d->doubleValue("overink.lineWidth").has_value());
    EXPECT_TRUE(d->contains("overink.lineWidth"));
    EXPECT_EQ(d->type("overink.lineWidth"), UserDefaults::Type::String);
    d->setNumberArray("n", {1, 2});
    EXPECT_FALSE(d->stringArray("n").has_value());
    EXPECT_FALSE(d->boolValue("missing").has_value());
}

TEST(UserDefaults, UnreadableFileIsMovedAsideAndBadEntriesAreSkipped) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{ this is not json");
    }
    auto d = UserDefaults::fileBacked(path);
    EXPECT_FALSE(d->contains("anything"));
    EXPECT_EQ(d->movedAsidePath(), path + ".bad");
    EXPECT_TRUE(QFile::exists(path + ".bad"));
    EXPECT_FALSE(QFile::exists(path));

    // One malformed entry does not cost the others; non-finite numbers never load.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"good": {"double": 3}, "bad": {"double": "x"}, "nan": {"double": null},
                   "mixed": {"numbers": [1, "2"]}, "weird": [1]})");
    }
    auto e = UserDefaults::fileBacked(path);
    EXPECT_EQ(e->doubleValue("good"), 3);
    EXPECT_FALSE(e->contains("bad"));
    EXPECT_FALSE(e->contains("nan"));
    EXPECT_FALSE(e->contains("mixed"));
    EXPECT_FALSE(e->contains("weird"));
}

TEST(UserDefaults, NonFiniteNumbersAreNotWrittenAsNumbers) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    {
        auto d = UserDefaults::fileBacked(path);
        d->setDouble("nan", std::nan(""));
        d->setDouble("ok", 2);
    }
    auto d = UserDefaults::fileBacked(path);
    EXPECT_FALSE(d->contains("nan"));
    EXPECT_EQ(d->doubleValue("ok"), 2);
}

TEST(UserDefaults, BurstOfAssignmentsIsThrottledAndTheLastValueSurvivesSigterm) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    QProcess writer;
    writer.setProgram(QStringLiteral(OVERINK_DEFAULTS_WRITER));
    writer.setArguments({path, "1000"});
    writer.setProcessChannelMode(QProcess::MergedChannels);
    writer.start();
    ASSERT_TRUE(writer.waitForStarted());
    QByteArray output;
    ASSERT_TRUE(testing_support::waitUntil([&] {
        output += writer.readAll();
        return output.contains("assigned");
    }, 15000));
    ::kill(static_cast<pid_t>(writer.processId()), SIGTERM);
    ASSERT_TRUE(writer.waitForFinished(10000));
    output += writer.readAll();
    const QString out = QString::fromUtf8(output);
    EXPECT_EQ(writer.exitCode(), 0) << out.toStdString();
    const int writes = out.section("writes ", 1).trimmed().toInt();
    // 1,000 assignments over about 1.5 s: a handful of writes, not 1,000.
    EXPECT_GE(writes, 1);
    EXPECT_LE(writes, 8);

    auto d = UserDefaults::fileBacked(path);
    EXPECT_EQ(d->doubleValue("overink.lineWidth"), 999.0);
}
