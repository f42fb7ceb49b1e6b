#include "platform/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/stat.h>

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
    ASSERT_TRUE(testing_support::waitUntil(
        [&] {
            output += writer.readAll();
            return output.contains("assigned");
        },
        15000));
    ::kill(static_cast<pid_t>(writer.processId()), SIGTERM);
    ASSERT_TRUE(writer.waitForFinished(10000));
    output += writer.readAll();
    const QString out = QString::fromUtf8(output);
    EXPECT_EQ(writer.exitCode(), 0) << out.toStdString();
    const int writes = out.section("writes ", 1).trimmed().toInt();
    const double burstSeconds = out.section("assigned in ", 1).section(' ', 0, 0).toDouble() / 1000;
    // 1,000 assignments (about 1.5 s, longer on a loaded machine): at most
    // two writes a second and one at SIGTERM, not 1,000.
    EXPECT_GE(writes, 1);
    EXPECT_LE(writes, 2 * static_cast<int>(std::ceil(burstSeconds)) + 2) << out.toStdString();

    auto d = UserDefaults::fileBacked(path);
    EXPECT_EQ(d->doubleValue("overink.lineWidth"), 999.0);
}

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// One run of the helper that saves into a disk without room, then gives the
// room back and lets a change (or quitting) save again.
struct NoSpaceRun {
    QByteArray fileAfterFailure, fileAtEnd, othersAfterFailure, firstFlush, log;
    int writesAtEnd = -1;
    bool ran = false;

    NoSpaceRun(const QString& program, const QStringList& arguments) {
        QProcess p;
        p.start(program, arguments);
        if (!p.waitForStarted()) return;
        QByteArray out;
        const bool waiting = testing_support::waitUntil(
            [&] {
                out += p.readAllStandardOutput();
                return out.contains("waiting\n") || p.state() == QProcess::NotRunning;
            },
            20000);
        if (!waiting || !out.contains("waiting\n")) {
            p.kill();
            p.waitForFinished();
            log = p.readAllStandardError();
            return;
        }
        log = p.readAllStandardError();
        const auto lines = out.split('\n');
        for (const auto& l : lines) {
            if (l.startsWith("flush ")) firstFlush = l.mid(6);
            if (l.startsWith("file ")) fileAfterFailure = QByteArray::fromBase64(l.mid(5));
            if (l.startsWith("others")) othersAfterFailure = l.mid(6).trimmed();
        }
        p.write("go\n");
        p.closeWriteChannel();
        if (!p.waitForFinished(20000)) return;
        const QByteArray rest = out + p.readAllStandardOutput();
        log += p.readAllStandardError();
        for (const auto& l : rest.mid(rest.indexOf("waiting\n")).split('\n')) {
            if (l.startsWith("writes ")) writesAtEnd = l.mid(7).toInt();
            if (l.startsWith("file ")) fileAtEnd = QByteArray::fromBase64(l.mid(5));
        }
        ran = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
};

// The file a previous run left: one preference and one entry of a later version.
const QByteArray kEarlierFile = R"({
    "overink.lineWidth": {"double": 7},
    "overink.fromLaterVersion": {"int64": 12345678901234567890}
}
)";

void expectSavedAfterAll(const NoSpaceRun& run, const char* how) {
    EXPECT_EQ(run.writesAtEnd, 1) << how;
    const auto saved = UserDefaults::decodeFile(run.fileAtEnd);
    ASSERT_TRUE(saved) << how;
    EXPECT_EQ(saved->values.size(), 50u + 1u + (QByteArray(how) == "change" ? 1u : 0u)) << how;
    EXPECT_EQ(saved->values.value("overink.lineWidth"), UserDefaults::Value(7.0)) << how;
    EXPECT_TRUE(run.fileAtEnd.contains(R"("overink.fromLaterVersion": {"int64": 12345678901234567890})")) << how;
}

} // namespace

// A write that stops part way must not be committed: the previous file stays
// whole, the failure is logged with the path and the reason, and the save is
// tried again at the next change or at quit.
TEST(UserDefaults, ASaveBeyondTheFileSizeLimitKeepsTheOldFileAndIsTriedAgain) {
    for (const char* retry : {"change", "quit"}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.json");
        writeFile(path, kEarlierFile);
        NoSpaceRun run(OVERINK_DEFAULTS_WRITER,
                       {"--no-space", "limit", QString::number(kEarlierFile.size() + 64), path, "50", retry});
        ASSERT_TRUE(run.ran) << run.log.toStdString();
        EXPECT_EQ(run.firstFlush, "failed") << retry;
        EXPECT_EQ(run.fileAfterFailure, kEarlierFile) << retry;
        EXPECT_EQ(run.othersAfterFailure, "") << retry; // no temporary file left behind
        const QString log = QString::fromLocal8Bit(run.log);
        EXPECT_EQ(log.count("Cannot save preferences to " + path), 1) << log.toStdString();
        EXPECT_TRUE(log.contains("File too large")) << log.toStdString();
        expectSavedAfterAll(run, retry);
    }
}

// The same on a private file system that is nearly full (where mount
// namespaces are allowed).
TEST(UserDefaults, ASaveIntoAFullDiskKeepsTheOldFileAndIsTriedAgain) {
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("tmpfs");
    QDir().mkpath(mountPoint);
    const QString seed = dir.filePath("seed.json");
    writeFile(seed, kEarlierFile);
    const QString script = QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$0\" && "
                                          "cp \"$1\" \"$0/defaults.json\" && "
                                          "exec \"$2\" --no-space fill 4096 \"$0/defaults.json\" 50 change");
    NoSpaceRun run("unshare", {"-rm", "sh", "-c", script, mountPoint, seed, OVERINK_DEFAULTS_WRITER});
    if (!run.ran && run.fileAfterFailure.isEmpty()) GTEST_SKIP() << "no private tmpfs here: " << run.log.toStdString();
    EXPECT_EQ(run.firstFlush, "failed");
    EXPECT_EQ(run.fileAfterFailure, kEarlierFile);
    EXPECT_EQ(run.othersAfterFailure, "");
    const QString log = QString::fromLocal8Bit(run.log);
    EXPECT_EQ(log.count("Cannot save preferences to " + mountPoint + "/defaults.json"), 1) << log.toStdString();
    EXPECT_TRUE(log.contains("No space left on device")) << log.toStdString();
    expectSavedAfterAll(run, "change");
}

// A later version's entries, and damaged ones, survive a save byte for byte;
// only the keys this program sets or removes change.
TEST(UserDefaults, EntriesNotUnderstoodAreKeptExactlyAsFound) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    const QList<QByteArray> foreign = {
        R"("overink.future": {"int64": 12345678901234567890})",
        R"("overink.huge": {"double": 1.0, "precision": 12345678901234567890})",
        R"("overink.badData": {"data": "@@not base64@@"})",
        R"("overink.twoTags": {"double": 3, "unit": "pt"})",
        R"("overink.nested": { "a" : [1, {"b": "}]\"{["}], "c" : null })",
        R"("overink.plain": "not wrapped")",
        R"("caf\u00e9 \"key\"": {"strings": ["x", 2]})",
    };
    QByteArray file = "{\n  \"overink.lineWidth\": {\"double\": 5},\n  \"overink.showTooltips\": {\"bool\": \"yes\"}";
    for (const auto& entry : foreign) file += ",\n  " + entry;
    file += "\n}\n";
    writeFile(path, file);
    {
        auto d = UserDefaults::fileBacked(path);
        EXPECT_EQ(d->doubleValue("overink.lineWidth"), 5);
        EXPECT_FALSE(d->contains("overink.huge"));
        EXPECT_TRUE(d->keepsUnreadEntry("overink.huge"));
        EXPECT_TRUE(d->keepsUnreadEntry(QStringLiteral("caf\u00e9 \"key\"")));
        d->setDouble("overink.lineWidth", 6);
        d->setBool("overink.showTooltips", false); // replaces the damaged entry
        EXPECT_TRUE(d->flush());
    }
    const QByteArray saved = contents(path);
    for (const auto& entry : foreign)
        EXPECT_TRUE(saved.contains(entry)) << entry.toStdString() << "\n" << saved.toStdString();
    EXPECT_FALSE(saved.contains("yes"));

    auto d = UserDefaults::fileBacked(path);
    EXPECT_EQ(d->doubleValue("overink.lineWidth"), 6);
    EXPECT_EQ(d->boolValue("overink.showTooltips"), false);
    d->remove("overink.future");
    EXPECT_TRUE(d->flush());
    EXPECT_FALSE(contents(path).contains("overink.future"));
    EXPECT_TRUE(contents(path).contains(foreign[1]));
    // A number beyond a double's range is not JSON to the parser: the whole
    // file is kept aside rather than rewritten.
    writeFile(path, R"({"overink.lineWidth": {"double": 1e400}})");
    EXPECT_EQ(UserDefaults::fileBacked(path)->movedAsidePath(), path + ".bad");
}

// Whatever the preferences path names, the start neither hangs nor reads
// without bound; a file it cannot use is kept aside and logged, never
// overwritten first.
TEST(UserDefaults, StrangeFilesAtThePathNeitherHangNorAreLost) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    testing_support::LogCapture log;

    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    {
        auto d = UserDefaults::fileBacked(path); // would block on open for a writer
        EXPECT_TRUE(d->movedAsidePath().isEmpty());
        EXPECT_EQ(log.countLines({path, "not a regular file"}), 1);
        d->setDouble("overink.lineWidth", 9);
        EXPECT_TRUE(d->flush());
    }
    EXPECT_EQ(UserDefaults::fileBacked(path)->doubleValue("overink.lineWidth"), 9);

    QFile::remove(path);
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    EXPECT_FALSE(UserDefaults::fileBacked(path)->contains("overink.lineWidth"));
    EXPECT_EQ(log.countLines({path, "not a regular file"}), 2);

    QFile::remove(path);
    QByteArray big(int(UserDefaults::kMaxFileBytes) + 1, ' ');
    big[0] = '{';
    big[big.size() - 1] = '}';
    writeFile(path, big);
    auto d = UserDefaults::fileBacked(path);
    EXPECT_EQ(d->movedAsidePath(), path + ".bad");
    EXPECT_EQ(QFileInfo(path + ".bad").size(), big.size());
    EXPECT_EQ(log.countLines({path, "more than", path + ".bad"}), 1);
}

// Preferences kept behind a link: a link to a regular file is read and saved
// through, an unreadable target kept aside by copy so the link stays; a link
// to a FIFO (as to a device) is never written through.
TEST(UserDefaults, APreferencesLinkIsFollowedOnlyToARegularFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json"), target = dir.filePath("dotfiles/overink.json");
    QDir().mkpath(dir.filePath("dotfiles"));
    writeFile(target, "{ torn");
    ASSERT_TRUE(QFile::link(target, path));
    {
        auto d = UserDefaults::fileBacked(path);
        EXPECT_EQ(d->movedAsidePath(), path + ".bad");
        EXPECT_EQ(contents(path + ".bad"), "{ torn");
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
        d->setDouble("overink.lineWidth", 4);
        EXPECT_TRUE(d->flush());
    }
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
    EXPECT_EQ(UserDefaults::fileBacked(target)->doubleValue("overink.lineWidth"), 4);

    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(fifo, path));
    testing_support::LogCapture log;
    {
        auto d = UserDefaults::fileBacked(path);
        d->setDouble("overink.lineWidth", 5);
        EXPECT_TRUE(d->flush());
    }
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the link's target was replaced";
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(UserDefaults::fileBacked(path)->doubleValue("overink.lineWidth"), 5);
    EXPECT_EQ(QFileInfo(path + ".bad").symLinkTarget(), fifo);
    EXPECT_EQ(log.countLines({path, fifo, "moved to " + path + ".bad"}), 1);
}
