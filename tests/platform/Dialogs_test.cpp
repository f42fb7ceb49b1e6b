#include "platform/Alert.h"
#include "support/FakeDialogs.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

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
