// Where keys and clicks go on a real desktop, whatever its layout (the tray
// on any edge, with or without a compositing manager or a window manager):
// the program takes the keyboard where it activates itself (the toolbar, a
// panel, the countdown shown) and keeps it while it shows a window, even
// with another program (a stand-in for the user's editor) holding the
// keyboard before; a click meant for the toolbar never reaches an overlay;
// the status item keeps its right clicks.
#include "app/RealShell.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "platform/StatusItem.h"
#include "platform/X11.h"
#include "support/FakeScreenGrabber.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/CanvasVisibilityControl.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/ToolButton.h"
#include "ui/SymbolButton.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testing_support;

namespace {

constexpr std::uint32_t kEscapeKeysym = 0xff1b;

// Whether the X server has the keyboard focus on a window of this program.
bool programHoldsKeyboard() {
    auto* c = platform::x11::connection();
    auto r = platform::x11::reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    const auto ours = platform::x11::ourWindows();
    return r && std::find(ours.begin(), ours.end(), r->focus) != ours.end();
}

bool windowManagerRuns() {
    return !platform::x11::property32(platform::x11::root(), platform::x11::atom("_NET_SUPPORTING_WM_CHECK"),
                                      XCB_ATOM_WINDOW, 1)
                .empty();
}

QPoint centreOf(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

bool viewable(std::uint32_t window) {
    auto* c = platform::x11::connection();
    auto r = platform::x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The stand-in for the program the user types in, holding the keyboard.
struct Editor {
    Editor() : window(OVERINK_KEY_RECORDER, QRect(200, 200, 700, 500)) {}
    bool ready() { return window.ready() && window.takeKeyboard(); }
    // Whether an Esc reached it, once it reported every key sent so far.
    bool gotEscape() {
        EXPECT_TRUE(window.sync());
        const auto& keys = window.keys();
        return std::find(keys.begin(), keys.end(), kEscapeKeysym) != keys.end();
    }
    ExternalWindow window;
};

// Shows the toolbar and the overlays with a click on the status item, as a
// person does.
bool showByStatusItem(RealShell& shell, const StatusItemSpot& item) {
    if (!pointerReaches(item.centre, item.window)) return false;
    click();
    if (!waitUntil(
            [&] { return shell.overlay() && shell.overlay()->isVisible() && shell.toolbarWindow()->isVisible(); }))
        return false;
    // Until then the window manager's frame of the overlay may take the
    // clicks meant for the tray (see waitUntilManaged).
    return waitUntilManaged(shell.overlay()->xid());
}

// Runs xdotool while this process goes on with its own events, as the
// program does while a person draws.
bool xdotoolMeanwhile(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    return waitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000) && p.exitCode() == 0;
}

// Watches, as fast as the server answers, whether one child of the root is
// ever stacked above another: the glimpses a look now and then would miss.
class StackingWatch {
public:
    StackingWatch(std::uint32_t lower, std::uint32_t upper) : lower_(lower), upper_(upper) {
        thread_ = std::thread([this] { run(); });
    }
    ~StackingWatch() { stop(); }
    // How many looks found `lower` above `upper`, of how many.
    std::pair<int, int> stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        return {inverted_, looks_};
    }

private:
    void run() {
        xcb_connection_t* c = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
        if (!c || xcb_connection_has_error(c)) return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        while (running_) {
            xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
            if (!r) break;
            const xcb_window_t* children = xcb_query_tree_children(r);
            int lower = -1, upper = -1;
            for (int i = 0; i < xcb_query_tree_children_length(r); ++i) {
                if (children[i] == lower_) lower = i;
                if (children[i] == upper_) upper = i;
            }
            std::free(r);
            ++looks_;
            // Bottom first: a later child is stacked higher.
            if (lower >= 0 && upper >= 0 && lower > upper) ++inverted_;
        }
        xcb_disconnect(c);
    }

    std::uint32_t lower_, upper_;
    std::atomic<bool> running_{true};
    std::atomic<int> inverted_{0}, looks_{0};
    std::thread thread_;
};

// A screen grab that is asked and never answers: whether a capture went
// ahead, with nothing shown for it.
struct UnansweredGrabber : FakeScreenGrabber {
    void shareableContent(std::function<void(ContentResult)>) override { ++contentRequests; }
};

} // namespace

TEST(FocusOnX11, ShiftEscHidesTheOverlaysAndTheNextBringsThemBackAlsoAfterTheEyeButton) {
    // icewm grabs Shift+Esc on the root for its own window menu: it never
    // reaches a program.
    if (qgetenv("OVERINK_X11_WM") == "icewm") GTEST_SKIP() << "icewm takes Shift+Esc";
    Editor editor;
    ASSERT_TRUE(editor.ready());
    RealShell shell;
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    ASSERT_TRUE(showByStatusItem(shell, *item));
    ASSERT_TRUE(waitUntil(programHoldsKeyboard)) << "showing the toolbar activates the program";

    pressKey("shift+Escape");
    ASSERT_TRUE(waitUntil([&] { return shell.state().overlayControllers.empty(); }));
    EXPECT_TRUE(waitUntil(programHoldsKeyboard)) << "the toolbar keeps the keyboard";
    pressKey("shift+Escape");
    EXPECT_TRUE(waitUntil([&] { return !shell.state().overlayControllers.empty(); }));

    // The toolbar's eye hides them too (a click that takes no keyboard).
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_TRUE(pointerReaches(centreOf(shell.toolbarView()->canvasControl()), shell.toolbarWindow()->xid()));
    click();
    ASSERT_TRUE(waitUntil([&] { return shell.state().overlayControllers.empty(); }));
    pressKey("shift+Escape");
    EXPECT_TRUE(waitUntil([&] { return !shell.state().overlayControllers.empty(); }));
    EXPECT_FALSE(editor.gotEscape()) << "no key meant for the program reached the other one";

    // Once the user goes back to the other program, a click on the toolbar
    // (which held the keyboard before) leaves the keyboard there.
    ASSERT_TRUE(editor.window.takeKeyboard());
    ToolButton* line = shell.toolbarView()->toolButtons().front();
    ASSERT_TRUE(pointerReaches(centreOf(line), shell.toolbarWindow()->xid()));
    click();
    EXPECT_TRUE(waitUntil([&] { return shell.state().selectedTool.get() == line->tool(); }));
    EXPECT_TRUE(holdsFor([&] { return editor.window.holdsKeyboard(); }, 500));
}

TEST(FocusOnX11, TheSettingsPanelOpenedFromTheStatusItemClosesOnEsc) {
    Editor editor;
    ASSERT_TRUE(editor.ready());
    RealShell shell;
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    // As after launch: no toolbar, no overlay.
    ASSERT_TRUE(pointerReaches(item->centre, item->window));
    click(3);
    const auto panelShown = [&] {
        auto* c = shell.delegate->settingsController();
        return c && c->window()->isVisible();
    };
    ASSERT_TRUE(waitUntil(panelShown));
    ASSERT_TRUE(waitUntil(programHoldsKeyboard)) << "showing the panel activates the program";
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !panelShown(); }));
    EXPECT_FALSE(editor.gotEscape());
}

TEST(FocusOnX11, EscDuringTheCountdownCancelsTheCaptureAfterTheUserTypedElsewhere) {
    Editor editor;
    ASSERT_TRUE(editor.ready());
    auto grabber = std::make_shared<UnansweredGrabber>();
    RealShell shell(true, [&](AppServices& s) { s.screenGrabber = grabber; });
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    ASSERT_TRUE(showByStatusItem(shell, *item));
    ASSERT_TRUE(waitUntil(programHoldsKeyboard));

    // Esc lets clicks through the overlays: the user clicks into the other
    // program and types there, then starts a capture with the toolbar's
    // camera (a click that takes no keyboard).
    pressKey("Escape");
    ASSERT_TRUE(waitUntil([&] { return !shell.state().selectedTool.get(); }));
    ASSERT_TRUE(pointerReaches(QPoint(500, 600), editor.window.window()));
    click();
    // (Without a window manager nothing gives a window the keyboard on a
    // click: the program clicked takes it itself.)
    if (windowManagerRuns()) ASSERT_TRUE(waitUntil([&] { return editor.window.holdsKeyboard(); }));
    else ASSERT_TRUE(editor.window.takeKeyboard());
    pressKey("a");
    ASSERT_TRUE(pointerReaches(centreOf(shell.toolbarView()->captureButton()), shell.toolbarWindow()->xid()));
    click();
    const auto counting = [&] { return shell.delegate->captureCoordinator()->countdownController() != nullptr; };
    ASSERT_TRUE(waitUntil(counting));
    EXPECT_TRUE(waitUntil(programHoldsKeyboard)) << "showing the countdown activates the program";
    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !counting(); }));
    // The three seconds and a margin: no capture.
    EXPECT_TRUE(holdsFor([&] { return grabber->contentRequests == 0; }, 3500)) << "the capture went ahead after Esc";
    EXPECT_FALSE(editor.gotEscape());
}

TEST(FocusOnX11, TheStatusItemsRightClickOpensTheSettingsPanelWhileTheOverlaysDraw) {
    const QByteArray edge = qgetenv("OVERINK_X11_TRAY_EDGE");
    if (edge.isEmpty()) GTEST_SKIP() << "needs a tray on a panel";
    RealShell shell;
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    ASSERT_TRUE(showByStatusItem(shell, *item));
    ASSERT_TRUE(shell.state().selectedTool.get()) << "draw mode: the overlay takes the pointer";
    const auto panelShown = [&] {
        auto* c = shell.delegate->settingsController();
        return c && c->window()->isVisible();
    };
    ASSERT_TRUE(pointerReaches(item->centre, item->window));
    click(3);
    EXPECT_TRUE(waitUntil(panelShown)) << "on the icon, tray on the " << edge.constData() << " edge";
    shell.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }));

    // Within the icon's 3-point margin but inside the visible frame, over
    // the overlay, on the side away from the edge. (A row's place on the
    // y-up screen is its top edge: the visible frame's first row under a top
    // panel lies on its border, outside it; the next is inside.)
    const auto frame = shell.delegate->statusItem()->buttonFrame();
    ASSERT_TRUE(frame);
    const QRect icon = platform::toGlobal(*frame).toRect();
    QPoint beside = item->centre;
    if (edge == "top") beside.setY(icon.bottom() + 3);
    if (edge == "bottom") beside.setY(icon.top() - 2);
    if (edge == "left") beside.setX(icon.right() + 2);
    if (edge == "right") beside.setX(icon.left() - 2);
    // Away from the icon first: its tooltip, shown while the pointer rested
    // on it, may cover the spot beside it until the pointer leaves.
    ASSERT_TRUE(pointerReaches(QPoint(960, 540), shell.overlay()->xid()));
    paceNewClick();
    ASSERT_TRUE(pointerReaches(beside, shell.overlay()->xid())) << beside.x() << ", " << beside.y();
    ASSERT_TRUE(shell.delegate->isMouseOverStatusButton());
    click(3);
    EXPECT_TRUE(waitUntil(panelShown)) << "within the margin at " << beside.x() << ", " << beside.y();
}

TEST(StackingOnX11, ToolbarClicksRightAfterStrokesReachTheToolbar) {
    Editor editor;
    ASSERT_TRUE(editor.ready());
    RealShell shell;
    const auto item = statusItemSpot(shell);
    ASSERT_TRUE(item);
    ASSERT_TRUE(showByStatusItem(shell, *item));
    ASSERT_TRUE(waitUntilPlaced(shell.overlay()->xid(), QRect(0, 0, 1920, 1079)));
    const std::uint32_t overlayTop = platform::x11::topLevelOf(shell.overlay()->xid());
    const std::uint32_t toolbarTop = platform::x11::topLevelOf(shell.toolbarWindow()->xid());
    ASSERT_TRUE(overlayTop && toolbarTop);
    const QPoint undo = centreOf(shell.toolbarView()->undoButton());
    ASSERT_TRUE(settle());

    StackingWatch watch(overlayTop, toolbarTop);
    QString lost;
    for (int i = 0; i < 10; ++i) {
        // The other program has the keyboard each time, so that each press
        // on the overlay activates the program again.
        ASSERT_TRUE(editor.window.takeKeyboard());
        const int x = 300 + 100 * i, y = 400 + 30 * (i % 5);
        QStringList stroke{"mousemove", QString::number(x), QString::number(y), "mousedown", "1"};
        for (int k = 1; k <= 6; ++k)
            stroke << "mousemove" << QString::number(x + 15 * k) << QString::number(y + 10 * k);
        ASSERT_TRUE(xdotoolMeanwhile(stroke << "mouseup"
                                            << "1"));
        // Undo as soon as it can be clicked.
        ASSERT_TRUE(waitUntil(
            [&] { return shell.state().strokes->size() == 1 && shell.toolbarView()->undoButton()->isEnabled(); }));
        ASSERT_TRUE(
            xdotoolMeanwhile({"mousemove", QString::number(undo.x()), QString::number(undo.y()), "click", "1"}));
        // Undo took the stroke: nothing left. A click that reached the
        // overlay instead leaves the stroke and a dot.
        if (!waitUntil([&] { return shell.state().strokes->empty() && shell.state().redoStack->size() == 1; }, 3000)) {
            lost += QString("%1 (%2 strokes) ").arg(i).arg(shell.state().strokes->size());
            shell.state().strokes = std::vector<DrawingStroke>{};
        }
    }
    const auto [inverted, looks] = watch.stop();
    EXPECT_TRUE(lost.isEmpty()) << "Undo clicks that did not undo: " << lost.toStdString();
    EXPECT_EQ(inverted, 0) << "the overlay stood above the toolbar in " << inverted << " of " << looks << " looks";
}

TEST(NoWindowManager, AClickOnTheToolbarNeverReachesAnOverlayStackedAboveIt) {
    if (windowManagerRuns()) GTEST_SKIP() << "for a session without a window manager";
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && viewable(shell.overlay()->xid()); }));
    ASSERT_TRUE(waitUntil([&] { return viewable(shell.toolbarWindow()->xid()); }));
    // Nothing keeps the stacking here: put the overlay (and the window that
    // takes its clicks without a compositing manager) over the toolbar.
    auto* c = platform::x11::connection();
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    ASSERT_TRUE(waitUntil([&] {
        return !shell.overlay()->shape().isShapedToPaintedPixels() || shell.overlay()->shape().inputWindowId();
    }));
    // Asked of the server directly, with no event of ours handled between
    // the restacking, the look and the click that follows.
    const auto overlayOnTop = [&] {
        for (std::uint32_t w : {shell.overlay()->xid(), shell.overlay()->shape().inputWindowId()})
            if (w) xcb_configure_window(c, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        return stackedAbove(shell.overlay()->xid(), shell.toolbarWindow()->xid());
    };
    ASSERT_TRUE(overlayOnTop());

    ToolButton* line = nullptr;
    for (ToolButton* b : shell.toolbarView()->toolButtons())
        if (b->tool() == DrawingTool::line) line = b;
    ASSERT_TRUE(line);
    ASSERT_TRUE(moveMouse(centreOf(line)));
    // (Anything of ours that restacked meanwhile is undone right before the
    // click.)
    ASSERT_TRUE(overlayOnTop());
    click();
    EXPECT_TRUE(waitUntil([&] { return shell.state().selectedTool.get() == DrawingTool::line; }));
    EXPECT_TRUE(settle());
    EXPECT_TRUE(shell.state().strokes->empty()) << "the click drew on the overlay";
}
