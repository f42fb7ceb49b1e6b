#include "platform/Alert.h"
#include "support/FakeDialogs.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::Alert;

namespace {
// Acts on the alert once it is up. Each try schedules the next one itself:
// a poll that held itself would never be freed.
void whenAlertShows(std::function<void(QMessageBox*)> act, int tries = 0) {
    QTimer::singleShot(10, [act = std::move(act), tries]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return act(box);
        if (tries + 1 < 200) whenAlertShows(std::move(act), tries + 1);
    });
}

Alert quitAlert() {
    Alert a;
    a.messageText = "Close Overink?";
    a.informativeText = "Something to read.";
    a.addButton("Cancel");
    a.addButton("Close");
    return a;
}
} // namespace

TEST(Alert, AnswersWithTheButtonsPositionInTheOrderAdded) {
    Alert alert = quitAlert();
    whenAlertShows([](QMessageBox* box) {
        for (auto* b : box->buttons())
            if (b->text() == "Close") b->click();
    });
    EXPECT_EQ(alert.runModal(), Alert::secondButtonReturn);

    // Return takes the first button, Esc the one titled Cancel.
    whenAlertShows([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton()->text(), "Cancel");
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
    });
    EXPECT_EQ(alert.runModal(), Alert::firstButtonReturn);
}

TEST(Alert, TestsAnswerThroughTheFake) {
    testing_support::FakeAlerts alerts;
    alerts.answer(Alert::secondButtonReturn);
    Alert alert = quitAlert();
    EXPECT_EQ(alert.runModal(), Alert::secondButtonReturn);
    EXPECT_EQ(alert.runModal(), Alert::firstButtonReturn);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[0].messageText, "Close Overink?");
    EXPECT_EQ(alerts.shown[0].buttons(), (std::vector<QString>{"Cancel", "Close"}));
}

TEST(FilePanels, OpenPanelsCompleteLaterAndSavePanelsAnswerAtOnce) {
    testing_support::FakeOpenPanels open;
    open.answer(platform::ModalResponse::ok, {"/tmp/a.gbr", "/tmp/b.vbr"});
    platform::OpenPanel panel;
    panel.allowsMultipleSelection = true;
    panel.allowedExtensions = {"gbr", "gih", "vbr"};
    QStringList got;
    bool done = false;
    panel.begin([&](platform::ModalResponse r, const QStringList& paths) {
        done = r == platform::ModalResponse::ok;
        got = paths;
    });
    EXPECT_FALSE(done); // not inside begin()
    EXPECT_TRUE(testing_support::waitUntil([&] { return done; }));
    EXPECT_EQ(got, (QStringList{"/tmp/a.gbr", "/tmp/b.vbr"}));
    EXPECT_EQ(platform::fileNameFilter(open.shown.front().allowedExtensions), "*.gbr *.gih *.vbr");

    testing_support::FakeSavePanels save;
    save.answer("/tmp/shot.jpg");
    platform::SavePanel s;
    s.nameFieldStringValue = "overink_1.jpg";
    auto r = s.runModal();
    EXPECT_EQ(r.response, platform::ModalResponse::ok);
    EXPECT_EQ(r.path, QString("/tmp/shot.jpg"));
    EXPECT_EQ(s.runModal().response, platform::ModalResponse::cancel);
}

namespace {

// The file panel on screen, once there is one.
QFileDialog* shownFileDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

// Names of the files in a folder that something opened, from the moment
// the watch starts.
class OpenWatch {
public:
    explicit OpenWatch(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    QStringList opened() {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                // Nameless events are the folder itself being listed.
                if (e->len > 0 && !(e->mask & IN_ISDIR) && !names_.contains(e->name)) names_ << e->name;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return names_;
    }

private:
    int fd_;
    QStringList names_;
};

// Waits, inside the panel's own event loop, until the panel lists every one
// of `names` with its kind, records the kinds and closes the panel.
void whenListed(const QString& folder, const QStringList& names, std::map<QString, QString>& kinds) {
    QTimer::singleShot(0, [=, &kinds] {
        QFileDialog* dialog = nullptr;
        const bool listed = testing_support::waitUntil([&] {
            dialog = shownFileDialog();
            auto* model = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
            if (!model) return false;
            for (const QString& name : names) {
                const QModelIndex index = model->index(folder + QLatin1Char('/') + name);
                if (!index.isValid() || model->type(index).isEmpty()) return false;
                kinds[name] = model->type(index);
            }
            return true;
        }, 10000);
        EXPECT_TRUE(listed) << folder.toStdString();
        if (dialog) dialog->reject();
    });
}

} // namespace

// Browsing a folder never reads its files: one that never answers
// (/proc/kmsg, a dead network mount) would hold the program for good, and
// some lose what is read from them. Kinds still come from the names.
TEST(FilePanels, BrowsingAFolderOpensNoneOfItsFiles) {
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path())); // the panels remember where they were
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("notes", "plain words, no name to tell them by");
    write("picture", QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"));
    write("shot.jpg", QByteArray::fromHex("ffd8ffe000104a464946"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const QStringList names{"notes", "picture", "shot.jpg", "pipe", "folder"};

    OpenWatch watch(dir.path());
    ASSERT_TRUE(watch.ok());
    std::map<QString, QString> kinds;
    whenListed(dir.path(), names, kinds);
    platform::SavePanel save;
    save.directory = dir.path();
    EXPECT_EQ(save.runModal().response, platform::ModalResponse::cancel);
    EXPECT_EQ(watch.opened(), QStringList()) << "the save panel";
    EXPECT_EQ(kinds["shot.jpg"], "JPEG image");
    EXPECT_EQ(kinds["folder"], "Folder");

    whenListed(dir.path(), names, kinds);
    platform::OpenPanel open;
    open.directory = dir.path();
    bool done = false;
    open.begin([&](platform::ModalResponse, const QStringList&) { done = true; });
    EXPECT_TRUE(testing_support::waitUntil([&] { return done; }, 15000));
    EXPECT_EQ(watch.opened(), QStringList()) << "the open panel";
}
