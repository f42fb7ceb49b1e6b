// Writing a screenshot where the user chose: never through a link planted at
// the name, never over a special file, and with the system's reason when the
// disk refuses it.
#include "capture/ScreenshotFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage greenImage() {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(QColor(40, 160, 60));
    return image;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

bool isJpegFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink() && QImageReader(path).format() == "jpeg";
}

// What the folder holds besides `names`: nothing half-written is left.
QStringList leftOver(const QTemporaryDir& dir, const QStringList& names) {
    QStringList all = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& n : names) all.removeAll(n);
    return all;
}

} // namespace

// Another user's link at the chosen name in a shared folder: the screenshot
// takes the link's place, and what the link named is neither created nor
// changed.
TEST(ScreenshotFile, ALinkAtTheChosenNameIsReplacedNeverWrittenThrough) {
    QTemporaryDir dir;
    const QString dangling = dir.filePath("dangling.jpg"), planted = dir.filePath("planted.jpg");
    const QString victim = dir.filePath("victim");
    writeFile(victim, "someone else's file");
    ASSERT_TRUE(QFile::link(dir.filePath("not-yet-there"), dangling));
    ASSERT_TRUE(QFile::link(victim, planted));

    EXPECT_EQ(writeJPEG(greenImage(), dangling), std::nullopt);
    EXPECT_TRUE(isJpegFile(dangling));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("not-yet-there")));

    EXPECT_EQ(writeJPEG(greenImage(), planted), std::nullopt);
    EXPECT_TRUE(isJpegFile(planted));
    EXPECT_EQ(contents(victim), "someone else's file");
    EXPECT_EQ(leftOver(dir, {"dangling.jpg", "planted.jpg", "victim"}).join(" ").toStdString(), "");
}

// A file the user chose to replace keeps its permissions; a folder, a FIFO
// or a device at the name is left alone at once (a FIFO never blocks).
TEST(ScreenshotFile, ReplacesARegularFileAndLeavesSpecialFilesAlone) {
    QTemporaryDir dir;
    const QString earlier = dir.filePath("earlier.jpg");
    writeFile(earlier, "old bytes");
    ASSERT_EQ(::chmod(QFile::encodeName(earlier).constData(), 0640), 0);
    EXPECT_EQ(writeJPEG(greenImage(), earlier), std::nullopt);
    EXPECT_TRUE(isJpegFile(earlier));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(earlier).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const QString fifo = dir.filePath("pipe.jpg"), folder = dir.filePath("folder.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    for (const QString& special : {fifo, folder, QStringLiteral("/dev/null")}) {
        const auto failure = writeJPEG(greenImage(), special);
        ASSERT_TRUE(failure) << special.toStdString();
        EXPECT_FALSE(failure->isEmpty());
    }
    EXPECT_EQ(writeJPEG(greenImage(), folder), QStringLiteral("Is a directory"));
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo("/dev/null").exists() && !QFileInfo("/dev/null").isFile());
    EXPECT_EQ(leftOver(dir, {"earlier.jpg", "pipe.jpg", "folder.jpg"}).join(" ").toStdString(), "");
}

// A write the disk refuses part way says why, in the system's words, and
// leaves the earlier file whole and nothing half-written beside it.
TEST(ScreenshotFile, AWriteThatFailsPartWayGivesTheReasonAndKeepsTheEarlierFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("shot.jpg");
    writeFile(path, "the earlier screenshot");
    std::size_t room = 100;
    const ScreenshotWrite fullDisk = [&](int fd, const char* data, std::size_t size) -> ssize_t {
        if (room == 0) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t n = std::min(room, size);
        room -= n;
        return ::write(fd, data, n);
    };
    EXPECT_EQ(writeJPEG(greenImage(), path, fullDisk), QStringLiteral("No space left on device"));
    EXPECT_EQ(contents(path), "the earlier screenshot");
    EXPECT_EQ(leftOver(dir, {"shot.jpg"}).join(" ").toStdString(), "");

    // A write interrupted by a signal is tried again.
    bool interrupted = false;
    const ScreenshotWrite once = [&](int fd, const char* data, std::size_t size) -> ssize_t {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return -1;
        }
        return ::write(fd, data, size);
    };
    EXPECT_EQ(writeJPEG(greenImage(), path, once), std::nullopt);
    EXPECT_TRUE(isJpegFile(path));
    EXPECT_EQ(leftOver(dir, {"shot.jpg"}).join(" ").toStdString(), "");
}

// The same on a real file system that is full (where mount namespaces are
// allowed).
TEST(ScreenshotFile, OnAFullDiskTheReasonIsNoSpace) {
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("tmpfs");
    QDir().mkpath(mountPoint);
    const QString script = QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$0\" && "
                                          "printf 'the earlier screenshot' > \"$0/shot.jpg\" && "
                                          "exec \"$1\" \"$0/shot.jpg\"");
    QProcess p;
    p.start("unshare", {"-rm", "sh", "-c", script, mountPoint, OVERINK_SCREENSHOT_WRITER});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QByteArray out = p.readAllStandardOutput();
    if (!out.contains("file ")) GTEST_SKIP() << "no private tmpfs here: " << p.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("failed No space left on device\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("file " + QByteArray("the earlier screenshot").toBase64() + "\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("others \n")) << out.toStdString();
}
