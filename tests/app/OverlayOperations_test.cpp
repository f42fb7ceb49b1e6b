// The drawing state's overlay operations, with controllers that record what
// is done to them.
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include "platform/Window.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;

namespace {

struct Log {
    std::vector<std::string> lines;
    void add(platform::DisplayID id, const std::string& what) { lines.push_back(std::to_string(id) + " " + what); }
};

class RecordingController : public OverlayController {
public:
    RecordingController(platform::DisplayID id, Rect frame, Log& log) : id(id), frame(frame), log(log) {}
    bool hasWindow() const override { return true; }
    bool isWindowVisible() const override { return visible; }
    Rect windowFrame() const override { return frame; }
    void setWindowFrame(const Rect& f, bool) override {
        frame = f;
        log.add(id, "frame");
    }
    void showWindow() override {
        visible = true;
        log.add(id, "show");
    }
    void orderFront() override {
        visible = true;
        log.add(id, "front");
    }
    void makeKey() override { log.add(id, "key"); }
    void raiseAboveOtherOverlays() override { log.add(id, "raised"); }
    void setIgnoresMouseEvents(bool ignores) override {
        ignoring = ignores;
        log.add(id, ignores ? "ignore" : "take");
    }
    void setWindowLevel(int l) override {
        level = l;
        log.add(id, "level " + std::to_string(l));
    }
    void removeMouseMoveMonitors() override { log.add(id, "unfollow"); }
    void close() override {
        visible = false;
        closed = true;
        log.add(id, "close");
    }

    platform::DisplayID id;
    Rect frame;
    Log& log;
    bool visible = false;
    bool closed = false;
    bool ignoring = false;
    int level = platform::WindowLevel::overlay;
};

struct Harness {
    Harness()
        : t({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900)),
             FakeScreenProvider::makeScreen(2, Rect(1440, 0, 1280, 800)),
             FakeScreenProvider::makeScreen(3, Rect(-1920, 0, 1920, 1080))},
            platform::UserDefaults::inMemory(), [this](DrawingState&, const platform::Screen& screen) {
                ++made[screen.displayID];
                return std::make_shared<RecordingController>(screen.displayID, screen.frame, log);
            }) {
        edits = t->endOpenEditsRequested.connect([this](std::optional<platform::DisplayID> d) {
            log.lines.push_back(d ? "end edits " + std::to_string(*d) : "end edits");
        });
    }
    RecordingController* controller(platform::DisplayID id) {
        const auto it = t->overlayControllers.find(id);
        return it == t->overlayControllers.end() ? nullptr : static_cast<RecordingController*>(it->second.get());
    }
    std::vector<platform::DisplayID> shown() const {
        std::vector<platform::DisplayID> ids;
        for (const auto& [id, c] : t->overlayControllers) ids.push_back(id);
        return ids;
    }
    TestDrawingState t;
    Log log;
    std::map<platform::DisplayID, int> made;
    platform::Subscription edits;
};

using Ids = std::vector<platform::DisplayID>;

} // namespace

TEST(OverlayOperations, ShowMakesOneOverlayPerDisplayAndTheMainOnesKey) {
    Harness h;
    h.t.screens->setMainDisplay(2);
    h.t->showOverlays();
    EXPECT_TRUE(h.t->isOverlayVisible);
    EXPECT_EQ(h.shown(), (Ids{1, 2, 3}));
    EXPECT_EQ(h.log.lines, (std::vector<std::string>{"1 show", "2 show", "3 show", "2 key"}));

    // Showing again only brings the existing ones forward.
    h.log.lines.clear();
    h.t->showOverlays();
    EXPECT_EQ(h.made[1], 1);
    EXPECT_EQ(h.log.lines, (std::vector<std::string>{"1 front", "2 front", "3 front", "2 key"}));
}

TEST(OverlayOperations, HiddenDisplaysStayHiddenUntilShownOneByOne) {
    Harness h;
    h.t->showOverlays();
    h.t->hideOverlay(2);
    EXPECT_EQ(h.shown(), (Ids{1, 3}));
    EXPECT_TRUE(h.t->isOverlayVisible) << "others are still shown";
    EXPECT_EQ(h.t->hiddenDisplayIDs.get(), (std::set<platform::DisplayID>{2}));

    // All hidden and shown again from the tray: display 2 stays hidden.
    h.t->hideOverlays();
    EXPECT_FALSE(h.t->isOverlayVisible);
    EXPECT_TRUE(h.shown().empty());
    h.t->showOverlays();
    EXPECT_EQ(h.shown(), (Ids{1, 3}));

    // Shown by itself: only its controller is made, and no window becomes key.
    h.log.lines.clear();
    h.t->showOverlay(2);
    EXPECT_EQ(h.shown(), (Ids{1, 2, 3}));
    EXPECT_EQ(h.log.lines, std::vector<std::string>{"2 show"});
    EXPECT_TRUE(h.t->hiddenDisplayIDs->empty());

    // The last single overlay hidden: nothing is shown any more.
    h.t->hideOverlay(1);
    h.t->hideOverlay(2);
    EXPECT_TRUE(h.t->isOverlayVisible);
    h.t->hideOverlay(3);
    EXPECT_FALSE(h.t->isOverlayVisible);
    // Showing one makes the overlays visible again.
    h.t->showOverlay(3);
    EXPECT_TRUE(h.t->isOverlayVisible);
    // A display that is not connected is only un-hidden.
    h.t->hideOverlay(7);
    h.t->showOverlay(7);
    EXPECT_EQ(h.made.count(7), 0u);
    EXPECT_FALSE(h.t->hiddenDisplayIDs->count(7));
}

TEST(OverlayOperations, ToggleHidesAVisibleOverlayAndShowsAnyOther) {
    Harness h;
    h.t->showOverlays();
    h.t->toggleOverlay(1);
    EXPECT_FALSE(h.controller(1));
    h.t->toggleOverlay(1);
    ASSERT_TRUE(h.controller(1));
    // An overlay that exists but is not on screen is shown.
    h.controller(1)->visible = false;
    const int before = h.made[1];
    h.t->toggleOverlay(1);
    ASSERT_TRUE(h.controller(1));
    EXPECT_TRUE(h.controller(1)->visible);
    EXPECT_EQ(h.made[1], before);
}

TEST(OverlayOperations, VanishedDisplaysCloseTheirOverlaysAndNewOnesGetOne) {
    Harness h;
    h.t->hideOverlay(3);
    h.t->showOverlays();
    auto kept = h.t->overlayControllers.at(1);
    auto gone = h.t->overlayControllers.at(2);

    h.log.lines.clear();
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900)),
                             FakeScreenProvider::makeScreen(3, Rect(-1920, 0, 1920, 1080))});
    EXPECT_TRUE(static_cast<RecordingController*>(gone.get())->closed);
    EXPECT_EQ(h.shown(), Ids{1});
    EXPECT_EQ(h.t->overlayControllers.at(1), kept) << "the others are untouched";
    EXPECT_EQ(h.log.lines.front(), "end edits 2") << "edits end before the canvas goes";

    // Plugged in again while shown: a new overlay; still hidden: none.
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900)),
                             FakeScreenProvider::makeScreen(2, Rect(1440, 0, 1280, 800)),
                             FakeScreenProvider::makeScreen(3, Rect(-1920, 0, 1920, 1080))});
    EXPECT_EQ(h.shown(), (Ids{1, 2}));
    EXPECT_NE(h.t->overlayControllers.at(2), gone);

    // While hidden, a change shows nothing.
    h.t->hideOverlays();
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900))});
    EXPECT_TRUE(h.shown().empty());
    EXPECT_FALSE(h.t->isOverlayVisible);
}

TEST(OverlayOperations, OverlaysThatStayTakeTheirDisplaysNewFramesButThePinnedOneKeepsItsFit) {
    Harness h;
    h.t->showOverlays();
    const Rect fitted(102, 202, 796, 496);
    h.t->setAttachedOverlayFrame(fitted, 3);
    auto one = h.t->overlayControllers.at(1);

    // Display 1 splits in two (it keeps its identifier for the left half, as
    // a monitor that keeps its output does), display 2 goes, 3 moves.
    h.log.lines.clear();
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 720, 900)),
                             FakeScreenProvider::makeScreen(4, Rect(720, 0, 720, 900)),
                             FakeScreenProvider::makeScreen(3, Rect(-1920, 100, 1920, 1080))});
    EXPECT_EQ(h.t->overlayControllers.at(1), one) << "the same overlay and canvas";
    EXPECT_EQ(h.controller(1)->frame, Rect(0, 0, 720, 900));
    EXPECT_EQ(h.controller(4)->frame, Rect(720, 0, 720, 900));
    EXPECT_EQ(h.controller(3)->frame, fitted) << "pinned: the fitted frame stays";
    EXPECT_EQ(h.shown(), (Ids{1, 3, 4}));
    EXPECT_EQ(h.log.lines.front(), "end edits 2");

    // Merged again: the left overlay grows back, the right one closes.
    auto four = h.t->overlayControllers.at(4);
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900)),
                             FakeScreenProvider::makeScreen(3, Rect(-1920, 100, 1920, 1080))});
    EXPECT_EQ(h.controller(1)->frame, Rect(0, 0, 1440, 900));
    EXPECT_TRUE(static_cast<RecordingController*>(four.get())->closed);
    EXPECT_EQ(h.shown(), (Ids{1, 3}));

    // Once unpinned, the next change gives display 3 its whole frame again.
    h.t->restoreOverlayFrames();
    h.t.screens->setScreens({FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900)),
                             FakeScreenProvider::makeScreen(3, Rect(-1920, 0, 1920, 1080))});
    EXPECT_EQ(h.controller(3)->frame, Rect(-1920, 0, 1920, 1080));
}

TEST(OverlayOperations, OpenEditsEndBeforeAnyCanvasCloses) {
    Harness h;
    h.t->showOverlays();
    h.log.lines.clear();
    h.t->hideOverlay(2);
    EXPECT_EQ(h.log.lines, (std::vector<std::string>{"end edits 2", "2 close"}));
    h.log.lines.clear();
    h.t->hideOverlays();
    ASSERT_EQ(h.log.lines.size(), 3u);
    EXPECT_EQ(h.log.lines.front(), "end edits");
    // Nothing to close, nothing to end.
    h.log.lines.clear();
    h.t->hideOverlays();
    EXPECT_TRUE(h.log.lines.empty());
}

TEST(OverlayOperations, AnOverlayMadeAgainWhilePinnedKeepsTheFittedFrame) {
    Harness h;
    h.t->showOverlays();
    const Rect fitted(102, 202, 796, 496);
    h.t->setAttachedOverlayFrame(fitted, 1);
    EXPECT_EQ(h.controller(1)->frame, fitted);
    h.t->hideOverlays();
    h.t->showOverlays();
    EXPECT_EQ(h.controller(1)->frame, fitted);
    EXPECT_EQ(h.controller(2)->frame, Rect(1440, 0, 1280, 800));
    h.t->hideOverlay(1);
    h.t->showOverlay(1);
    EXPECT_EQ(h.controller(1)->frame, fitted);
}

TEST(OverlayOperations, LoweringForAFilePanelAndRaisingAfterIt) {
    Harness h;
    h.t->showOverlays();
    h.controller(3)->visible = false;
    h.t->lowerOverlaysForPanel();
    EXPECT_TRUE(h.t->isImportingBrushes);
    for (auto id : {1u, 2u, 3u}) {
        EXPECT_TRUE(h.controller(id)->ignoring);
        EXPECT_EQ(h.controller(id)->level, platform::WindowLevel::normal);
    }
    h.log.lines.clear();
    h.t->raiseOverlaysAfterPanel();
    EXPECT_FALSE(h.t->isImportingBrushes);
    for (auto id : {1u, 2u, 3u}) {
        EXPECT_FALSE(h.controller(id)->ignoring);
        EXPECT_EQ(h.controller(id)->level, platform::WindowLevel::overlay);
    }
    // Only the visible ones come to the front.
    EXPECT_EQ(std::count(h.log.lines.begin(), h.log.lines.end(), "1 front"), 1);
    EXPECT_EQ(std::count(h.log.lines.begin(), h.log.lines.end(), "3 front"), 0);
    EXPECT_FALSE(h.controller(3)->visible);
}
