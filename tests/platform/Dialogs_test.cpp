#include "platform/Alert.h"
#include "support/FakeDialogs.h"
#include "support/FileOpenWatch.h"
#include "support/ShownDialogs.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::Alert;
using testing_support::FileOpenWatch;
using testing_support::shownFileDialog;
using testing_support::whenAlertShows;

namespace {
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
    EXPECT_EQ(alert.runModal(), Alert::kSecondButtonReturn);

    // Return takes the first button, Esc the one titled Cancel.
    whenAlertShows([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton()->text(), "Cancel");
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
    });
    EXPECT_EQ(alert.runModal(), Alert::kFirstButtonReturn);
}

// Alerts show text from outside the program (an update feed, paths, the
// system's errors) exactly as written: markup there draws no link and loads
// no file, not even one that would never answer.
TEST(Alert, MarkupInItsTextsIsShownAsWrittenAndLoadsNothing) {
    QTemporaryDir dir;
    QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("picture.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    FileOpenWatch watch(dir.path(), "pipe");
    ASSERT_TRUE(watch.ok());
    const QString image = QUrl::fromLocalFile(dir.filePath("picture.png")).toString();
    const QString fifo = QUrl::fromLocalFile(dir.filePath("pipe")).toString();

    Alert alert;
    alert.messageText = QStringLiteral("<b>1.6</b> <img src=\"%1\">").arg(fifo);
    alert.informativeText =
        QStringLiteral("<img src=\"%1\"> & <a href=\"https://elsewhere.example\">notes</a>").arg(image);
    alert.addButton("OK");
    bool looked = false;
    whenAlertShows([&](QMessageBox* box) {
        looked = true;
        for (const QString& text : {alert.messageText, alert.informativeText}) {
            QLabel* label = testing_support::alertLabel(box, text);
            ASSERT_TRUE(label) << text.toStdString();
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << text.toStdString();
        }
        testing_support::clickAlertButton(box, "OK");
    });
    EXPECT_EQ(alert.runModal(), Alert::kFirstButtonReturn);
    EXPECT_TRUE(looked);
    EXPECT_EQ(watch.opened().join(" ").toStdString(), "");
}

TEST(Alert, TestsAnswerThroughTheFake) {
    testing_support::FakeAlerts alerts;
    alerts.answer(Alert::kSecondButtonReturn);
    Alert alert = quitAlert();
    EXPECT_EQ(alert.runModal(), Alert::kSecondButtonReturn);
    EXPECT_EQ(alert.runModal(), Alert::kFirstButtonReturn);
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

// Waits, inside the panel's own event loop, until the panel lists every one
// of `names` with its kind, records the kinds and closes the panel.
void whenListed(const QString& folder, const QStringList& names, std::map<QString, QString>& kinds) {
    QTimer::singleShot(0, [=, &kinds] {
        QFileDialog* dialog = nullptr;
        const bool listed = testing_support::waitUntil(
            [&] {
                dialog = shownFileDialog();
                auto* model = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
                if (!model) return false;
                for (const QString& name : names) {
                    const QModelIndex index = model->index(folder + QLatin1Char('/') + name);
                    if (!index.isValid() || model->type(index).isEmpty()) return false;
                    kinds[name] = model->type(index);
                }
                return true;
            },
            10000);
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

    FileOpenWatch watch(dir.path());
    ASSERT_TRUE(watch.ok());
    std::map<QString, QString> kinds;
    whenListed(dir.path(), names, kinds);
    platform::SavePanel save;
    save.directory = dir.path();
    EXPECT_EQ(save.runModal().response, platform::ModalResponse::cancel);
    EXPECT_EQ(watch.opened().join(" ").toStdString(), "") << "the save panel";
    EXPECT_EQ(kinds["shot.jpg"], "JPEG image");
    EXPECT_EQ(kinds["folder"], "Folder");

    whenListed(dir.path(), names, kinds);
    platform::OpenPanel open;
    open.directory = dir.path();
    bool done = false;
    open.begin([&](platform::ModalResponse, const QStringList&) { done = true; });
    EXPECT_TRUE(testing_support::waitUntil([&] { return done; }, 15000));
    EXPECT_EQ(watch.opened().join(" ").toStdString(), "") << "the open panel";
}
