// Windows against a real X server and window manager: pointer pass-through
// to another process, levels, key gating, desktop hints, and transparency
// without a compositing manager.
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <xcb/shape.h>
#include <xcb/xinput.h>

#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

using namespace platform;
using testing_support::click;
using testing_support::clickAt;
using testing_support::ExternalWindow;
using testing_support::pointerReaches;
using testing_support::settle;
using testing_support::waitUntil;
using testing_support::waitUntilPlaced;

namespace {

// Records presses; paints `fill` over `paintRect` (everything when empty).
class Probe : public QWidget {
public:
    explicit Probe(QColor fill, QRect paintRect = {}) : fill_(fill), paintRect_(paintRect) {}
    void movePaint(QRect r) {
        update(paintRect_);
        paintRect_ = r;
        update(paintRect_);
    }
    std::vector<QPoint> presses;   // global
    std::vector<QPoint> dragMoves; // global, with the left button held
protected:
    void mousePressEvent(QMouseEvent* e) override { presses.push_back(e->globalPosition().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) dragMoves.push_back(e->globalPosition().toPoint());
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(paintRect_.isEmpty() ? rect() : paintRect_, fill_);
    }

private:
    QColor fill_;
    QRect paintRect_;
};

Rect screenRect(QRect root) { return toScreen(QRectF(root)); }

struct TestWindow {
    TestWindow(QRect root, int level, QColor fill, QRect paintRect = {}, bool base = false) : window(screenRect(root)) {
        probe = new Probe(fill, paintRect);
        window.setContentView(probe);
        window.setBaseWindow(base);
        window.stacking().setLevel(level);
        window.orderFront();
        waitUntil([&] { return window.isVisible() && window.xid() != 0; });
        placed = testing_support::waitUntilPlaced(window.xid(), root);
    }
    bool gotPressAt(QPoint at, int timeoutMs = 2000) {
        return waitUntil(
            [&] {
                for (const QPoint& p : probe->presses)
                    if ((p - at).manhattanLength() <= 2) return true;
                return false;
            },
            timeoutMs);
    }
    Window window;
    Probe* probe;
    bool placed = false;
};

bool hasState(xcb_window_t id, const char* state) {
    const auto states = x11::property32(id, x11::atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    return std::find(states.begin(), states.end(), x11::atom(state)) != states.end();
}

// Position in the window manager's stacking order, bottom first.
int stackIndex(unsigned long id) {
    const auto s = x11::property32(x11::root(), x11::atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    auto it = std::find(s.begin(), s.end(), id);
    return it == s.end() ? -1 : int(it - s.begin());
}

// The input shape the X server holds for a window.
QRegion serverInputShape(xcb_window_t id) {
    auto* c = x11::connection();
    auto reply =
        x11::reply(xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, id, XCB_SHAPE_SK_INPUT), nullptr));
    QRegion region;
    if (!reply) return region;
    const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(reply.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
        region += QRect(r[i].x, r[i].y, r[i].width, r[i].height);
    return region;
}

} // namespace

TEST(Window, ClicksPassThroughWhileIgnoringAndComeBackAlsoAfterAResize) {
    ExternalWindow below(OVERINK_CLICK_RECORDER, QRect(100, 100, 500, 500));
    ASSERT_TRUE(below.ready());
    TestWindow over(QRect(80, 80, 300, 300), WindowLevel::overlay, QColor(255, 0, 0, 60));
    ASSERT_TRUE(over.placed);

    // The server stops handing the spot to the window, and the press goes below.
    over.window.shape().setIgnoresMouseEvents(true);
    EXPECT_TRUE(pointerReaches(QPoint(200, 200), below.window()));
    click();
    EXPECT_TRUE(below.waitForPress(QPoint(200, 200))) << below.presses().size() << " " << over.probe->presses.size();
    EXPECT_TRUE(over.probe->presses.empty());

    over.window.shape().setIgnoresMouseEvents(false);
    EXPECT_TRUE(pointerReaches(QPoint(210, 210), over.window.xid()));
    click();
    EXPECT_TRUE(over.gotPressAt(QPoint(210, 210)));

    // Grown while taking the pointer: the new area takes clicks too.
    over.window.setFrame(screenRect(QRect(80, 80, 480, 480)));
    EXPECT_TRUE(waitUntilPlaced(over.window.xid(), QRect(80, 80, 480, 480)));
    EXPECT_TRUE(pointerReaches(QPoint(500, 500), over.window.xid()));
    click();
    EXPECT_TRUE(over.gotPressAt(QPoint(500, 500)));

    // Ignoring again after the resize: all of it lets clicks through.
    over.window.shape().setIgnoresMouseEvents(true);
    below.clearPresses();
    EXPECT_TRUE(pointerReaches(QPoint(520, 520), below.window()));
    click();
    EXPECT_TRUE(below.waitForPress(QPoint(520, 520)));
    over.window.setFrame(screenRect(QRect(80, 80, 520, 520)));
    EXPECT_TRUE(waitUntilPlaced(over.window.xid(), QRect(80, 80, 520, 520)));
    EXPECT_TRUE(pointerReaches(QPoint(580, 580), below.window()));
    click();
    EXPECT_TRUE(below.waitForPress(QPoint(580, 580)));
}

TEST(Window, LevelsStayInOrderAboveOrdinaryWindowsAfterEachIsRaised) {
    ExternalWindow ordinary(OVERINK_CLICK_RECORDER, QRect(300, 300, 300, 300));
    ASSERT_TRUE(ordinary.ready());
    TestWindow panel(QRect(350, 350, 100, 100), WindowLevel::panel, QColor(0, 0, 255));
    TestWindow overlay(QRect(320, 320, 200, 200), WindowLevel::overlay, QColor(255, 0, 0));
    ASSERT_TRUE(panel.placed && overlay.placed);

    auto inOrder = [&] {
        const int o = stackIndex(ordinary.window()), a = stackIndex(overlay.window.xid()),
                  b = stackIndex(panel.window.xid());
        return o >= 0 && a > o && b > a;
    };
    EXPECT_TRUE(waitUntil(inOrder)) << stackIndex(ordinary.window()) << " " << stackIndex(overlay.window.xid()) << " "
                                    << stackIndex(panel.window.xid());

    // Each raise is seen by the window manager before the order is read, so
    // the order read is the one restored after it.
    overlay.window.orderFront();
    EXPECT_TRUE(settle());
    EXPECT_TRUE(waitUntil(inOrder));
    testing_support::xdotool({"windowactivate", "--sync", QString::number(ordinary.window())});
    testing_support::xdotool({"windowraise", QString::number(ordinary.window())});
    EXPECT_TRUE(settle());
    EXPECT_TRUE(waitUntil(inOrder));
    // The overlapping spot belongs to the highest level.
    clickAt(400, 400);
    EXPECT_TRUE(panel.gotPressAt(QPoint(400, 400)));
    EXPECT_TRUE(overlay.probe->presses.empty());

    // Lowered to 0 it falls behind the ordinary window that was raised last.
    panel.window.stacking().setLevel(WindowLevel::normal);
    testing_support::xdotool({"windowraise", QString::number(ordinary.window())});
    EXPECT_TRUE(waitUntil([&] { return stackIndex(panel.window.xid()) < stackIndex(ordinary.window()); }));
}

TEST(Window, OfTwoOverlappingWindowsAtOneLevelTheNewerStaysOnTop) {
    // The settings panel, and the help panel it opens over it.
    TestWindow settings(QRect(300, 200, 300, 300), WindowLevel::panel, QColor(0, 0, 255));
    TestWindow help(QRect(450, 350, 300, 300), WindowLevel::panel, QColor(0, 160, 0));
    ASSERT_TRUE(settings.placed && help.placed);
    auto newerOnTop = [&] {
        const int older = stackIndex(settings.window.xid()), newer = stackIndex(help.window.xid());
        return older >= 0 && newer > older;
    };

    // Our own restacking, once everything else is done, leaves it so.
    EXPECT_TRUE(settle());
    WindowStacking::restackAll();
    EXPECT_TRUE(settle());
    EXPECT_TRUE(newerOnTop());
    clickAt(500, 400);
    EXPECT_TRUE(help.gotPressAt(QPoint(500, 400)));
    EXPECT_TRUE(settings.probe->presses.empty());

    // Ordered front, the older one stays under the newer.
    settings.window.orderFront();
    EXPECT_TRUE(settle());
    EXPECT_TRUE(newerOnTop());
}

TEST(Window, ShownAgainAfterItsLevelChangedItIsTheWindowItsIdNames) {
    ExternalWindow ordinary(OVERINK_CLICK_RECORDER, QRect(300, 300, 300, 300));
    ASSERT_TRUE(ordinary.ready());
    TestWindow panel(QRect(350, 350, 100, 100), WindowLevel::panel, QColor(0, 0, 255));
    TestWindow overlay(QRect(320, 320, 200, 200), WindowLevel::overlay, QColor(255, 0, 0));
    ASSERT_TRUE(panel.placed && overlay.placed);

    // Lowered and raised again while shown (as for an alert), then hidden
    // and shown; then lowered while hidden and raised as it shows.
    panel.window.stacking().setLevel(WindowLevel::normal);
    panel.window.stacking().setLevel(WindowLevel::panel);
    for (int round = 0; round < 2; ++round) {
        const std::uint32_t shown = panel.window.xid();
        panel.window.orderOut();
        // The window manager lets go of it (and of the hints it had).
        ASSERT_TRUE(waitUntil([&] { return stackIndex(shown) < 0; })) << round;
        if (round == 1) panel.window.stacking().setLevel(WindowLevel::normal);
        panel.window.orderFront();
        if (round == 1) panel.window.stacking().setLevel(WindowLevel::panel);
        ASSERT_TRUE(waitUntil([&] { return panel.window.windowHandle()->isExposed(); })) << round;
        // The id handed out is the window on screen, which the window
        // manager manages with our hints; restacking names only such
        // windows.
        const std::uint32_t id = panel.window.xid();
        EXPECT_EQ(id, std::uint32_t(panel.window.windowHandle()->winId())) << round;
        EXPECT_TRUE(testing_support::waitUntilManaged(id)) << round;
        EXPECT_TRUE(waitUntil([&] { return hasState(id, "_NET_WM_STATE_ABOVE"); })) << round;
        EXPECT_TRUE(hasState(id, "_NET_WM_STATE_SKIP_TASKBAR")) << round;
        EXPECT_TRUE(waitUntil([&] {
            const int o = stackIndex(ordinary.window()), a = stackIndex(overlay.window.xid()), b = stackIndex(id);
            return o >= 0 && a > o && b > a;
        })) << round;
        clickAt(400, 400);
        EXPECT_TRUE(panel.gotPressAt(QPoint(400, 400))) << round;
        panel.probe->presses.clear();
    }
}

TEST(Window, KeyGatingChangesWithoutHidingAndShowingNeverActivates) {
    TestWindow first(QRect(100, 600, 200, 100), WindowLevel::panel, QColor(0, 128, 0));
    ASSERT_TRUE(first.placed);
    first.window.keyboard().setCanBecomeKey(false);
    first.window.keyboard().makeKey();
    EXPECT_TRUE(settle());
    EXPECT_FALSE(first.window.keyboard().isKeyWindow());

    first.window.keyboard().setCanBecomeKey(true);
    EXPECT_TRUE(first.window.isVisible());
    first.window.keyboard().makeKey();
    EXPECT_TRUE(waitUntil([&] { return first.window.keyboard().isKeyWindow(); }));
    EXPECT_EQ(WindowKeyboard::keyWindow(), &first.window);

    // Another window shown and ordered front leaves the key window alone.
    TestWindow second(QRect(400, 600, 200, 100), WindowLevel::panel, QColor(0, 0, 128));
    ASSERT_TRUE(second.placed);
    second.window.orderFront();
    EXPECT_TRUE(settle());
    EXPECT_TRUE(first.window.keyboard().isKeyWindow());

    // A non-activating panel takes its click but not the focus (the window
    // manager knows before the click that it refuses focus).
    second.window.keyboard().setNonActivatingPanel(true);
    EXPECT_TRUE(settle());
    clickAt(450, 650);
    EXPECT_TRUE(second.gotPressAt(QPoint(450, 650)));
    EXPECT_TRUE(settle());
    EXPECT_FALSE(second.window.keyboard().isKeyWindow());
    second.window.keyboard().makeKey();
    EXPECT_TRUE(waitUntil([&] { return second.window.keyboard().isKeyWindow(); }));
}

TEST(Window, IsOnEveryDesktopOutOfTaskbarsAndRegistered) {
    const auto before = Window::all().size();
    TestWindow w(QRect(700, 100, 100, 100), WindowLevel::panel, QColor(90, 90, 90));
    ASSERT_TRUE(w.placed);
    EXPECT_EQ(Window::all().size(), before + 1);
    EXPECT_EQ(Window::fromWidget(w.probe), &w.window);
    EXPECT_EQ(Window::fromQWindow(w.window.windowHandle()), &w.window);
    const auto id = w.window.xid();
    EXPECT_TRUE(waitUntil([&] { return hasState(id, "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(hasState(id, "_NET_WM_STATE_SKIP_PAGER"));
    EXPECT_TRUE(hasState(id, "_NET_WM_STATE_ABOVE"));
    EXPECT_EQ(x11::property32(id, x11::atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL),
              std::vector<std::uint32_t>{0xFFFFFFFFu});
    EXPECT_EQ(w.window.frame(), screenRect(QRect(700, 100, 100, 100)));
    EXPECT_EQ(w.window.convertPointFromScreen(toScreen(QPointF(710, 190))), Point(10, 10));
    EXPECT_EQ(w.window.convertScreenToContent(toScreen(QPointF(710, 190))), QPointF(10, 90));
}

TEST(NoCompositor, TheDesktopStaysVisibleAroundADrawnSquare) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "needs a session without a compositor";
    TestWindow w(QRect(200, 200, 400, 400), WindowLevel::overlay, QColor(255, 0, 0), QRect(100, 100, 100, 100));
    EXPECT_TRUE(w.window.shape().isShapedToPaintedPixels());
    QImage shot;
    QColor desktop;
    EXPECT_TRUE(waitUntil([&] {
        shot = testing_support::grabRoot();
        desktop = shot.pixelColor(50, 900);
        return shot.pixelColor(350, 350) == QColor(255, 0, 0) && shot.pixelColor(220, 220) == desktop;
    })) << "square "
        << shot.pixelColor(350, 350).name().toStdString() << " around "
        << shot.pixelColor(220, 220).name().toStdString() << " desktop " << desktop.name().toStdString();

    // Repainting a small part reshapes just that part.
    w.probe->movePaint(QRect(250, 250, 50, 50));
    EXPECT_TRUE(waitUntil([&] {
        shot = testing_support::grabRoot();
        return shot.pixelColor(470, 470) == QColor(255, 0, 0) && shot.pixelColor(350, 350) == desktop &&
               shot.pixelColor(220, 220) == desktop;
    }));
}

TEST(Window, ClicksLandInsideTheMouseRegionAndPassThroughOutsideIt) {
    ExternalWindow below(OVERINK_CLICK_RECORDER, QRect(100, 100, 600, 600));
    ASSERT_TRUE(below.ready());
    // Painted only in its top-left corner: without a compositor the rest is
    // not even drawn, yet the region decides.
    TestWindow over(QRect(150, 150, 400, 400), WindowLevel::overlay, QColor(255, 0, 0), QRect(0, 0, 50, 50));
    over.window.shape().setMouseRegion(QRegion(100, 100, 200, 100) + QRegion(0, 0, 50, 50));
    if (over.window.shape().isShapedToPaintedPixels()) {
        EXPECT_TRUE(waitUntil([&] { return over.window.shape().inputWindowId() != 0; }));
    }
    clickAt(300, 300); // inside, unpainted
    EXPECT_TRUE(over.gotPressAt(QPoint(300, 300)));
    clickAt(170, 170); // inside, painted
    EXPECT_TRUE(over.gotPressAt(QPoint(170, 170)));
    // Outside: the window manager's frame takes the window's input shape
    // only once it has handled the change.
    ASSERT_TRUE(pointerReaches(QPoint(300, 400), below.window()));
    click();
    EXPECT_TRUE(below.waitForPress(QPoint(300, 400)));
    EXPECT_EQ(over.probe->presses.size(), 2u);

    // A drag that starts inside stays with the window wherever it goes.
    testing_support::moveMouse(320, 320);
    testing_support::xdotool({"mousedown", "1", "mousemove", "520", "520", "mouseup", "1"});
    EXPECT_TRUE(over.gotPressAt(QPoint(320, 320)));

    // Another of our windows over it still gets its own clicks.
    TestWindow panel(QRect(250, 250, 80, 80), WindowLevel::panel, QColor(0, 0, 255));
    clickAt(290, 290);
    EXPECT_TRUE(panel.gotPressAt(QPoint(290, 290)));

    // The whole window, then nothing.
    over.window.shape().setMouseRegion(std::nullopt);
    ASSERT_TRUE(pointerReaches(QPoint(500, 500), over.window.xid()));
    click();
    EXPECT_TRUE(over.gotPressAt(QPoint(500, 500)));
    over.window.shape().setIgnoresMouseEvents(true);
    EXPECT_EQ(over.window.shape().inputWindowId(), 0u);
    below.clearPresses();
    ASSERT_TRUE(pointerReaches(QPoint(420, 420), below.window()));
    click();
    EXPECT_TRUE(below.waitForPress(QPoint(420, 420)));
}

TEST(Window, ARegionChangedPieceByPieceIsTheOneTheServerRoutesBy) {
    ExternalWindow below(OVERINK_CLICK_RECORDER, QRect(100, 100, 600, 600));
    ASSERT_TRUE(below.ready());
    TestWindow over(QRect(150, 150, 400, 400), WindowLevel::overlay, QColor(255, 0, 0), QRect(0, 0, 50, 50));
    over.window.shape().setMouseRegion(QRegion(0, 0, 50, 50));
    const auto carrier = [&] {
        return over.window.shape().isShapedToPaintedPixels() ? over.window.shape().inputWindowId() : over.window.xid();
    };
    ASSERT_TRUE(waitUntil([&] { return carrier() != 0; }));
    over.window.shape().changeMouseRegion(QRegion(100, 100, 200, 100) + QRegion(10, 300, 30, 30),
                                          QRegion(20, 20, 10, 10));
    over.window.shape().changeMouseRegion(QRegion(), QRegion(150, 100, 20, 100));
    over.window.shape().changeMouseRegion(QRegion(20, 20, 5, 5), QRegion());
    const QRegion expected = QRegion(0, 0, 50, 50) - QRegion(20, 20, 10, 10) + QRegion(20, 20, 5, 5) +
                             QRegion(100, 100, 50, 100) + QRegion(170, 100, 130, 100) + QRegion(10, 300, 30, 30);
    ASSERT_TRUE(over.window.shape().mouseRegion());
    EXPECT_TRUE((*over.window.shape().mouseRegion() ^ expected).isEmpty());
    EXPECT_TRUE(waitUntil([&] { return (serverInputShape(carrier()) ^ expected).isEmpty(); }))
        << serverInputShape(carrier()).rectCount() << " rectangles on the server";

    clickAt(150 + 120, 150 + 150); // added
    EXPECT_TRUE(over.gotPressAt(QPoint(270, 300)));
    clickAt(150 + 160, 150 + 150); // taken away again
    EXPECT_TRUE(below.waitForPress(QPoint(310, 300)));
    clickAt(150 + 27, 150 + 27); // taken away
    EXPECT_TRUE(below.waitForPress(QPoint(177, 177)));
    EXPECT_EQ(over.probe->presses.size(), 1u);

    // Set whole again, it is the region set.
    over.window.shape().setMouseRegion(QRegion(0, 0, 40, 40));
    EXPECT_TRUE(waitUntil([&] { return serverInputShape(carrier()) == QRegion(0, 0, 40, 40); }));
}

TEST(Window, AMoveOfTheWindowManagersOwnAfterTheFirstExposeIsUndone) {
    TestWindow panel(QRect(600, 300, 200, 150), WindowLevel::panel, Qt::darkCyan);
    ASSERT_TRUE(panel.placed);
    // The manager moves the shown window on its own (late placement), as
    // any other client's configure request would have it do.
    int moves = 0;
    Subscription watch = panel.window.frameChanged.connect([&] { ++moves; });
    ASSERT_TRUE(testing_support::xdotool({"windowmove", QString::number(panel.window.xid()), "0", "24"}));
    ASSERT_TRUE(waitUntil([&] { return moves > 0; })) << "the program hears of the move";
    // Meanwhile a frame worked out from the present one starts where the
    // program put it, and the window goes back there.
    EXPECT_EQ(panel.window.requestedFrame(), screenRect(QRect(600, 300, 200, 150)));
    EXPECT_TRUE(waitUntilPlaced(panel.window.xid(), QRect(600, 300, 200, 150)));
    EXPECT_EQ(panel.window.frame(), screenRect(QRect(600, 300, 200, 150)));
}

TEST(Window, AResizeOfTheWindowManagersOwnIsUndone) {
    TestWindow panel(QRect(600, 300, 200, 150), WindowLevel::panel, Qt::darkCyan);
    ASSERT_TRUE(panel.placed);
    // The manager gives the shown window a size of its own (one it knew
    // before, reapplied late), as any other client's request would have it.
    int changes = 0;
    Subscription watch = panel.window.frameChanged.connect([&] { ++changes; });
    ASSERT_TRUE(testing_support::xdotool({"windowsize", QString::number(panel.window.xid()), "320", "90"}));
    ASSERT_TRUE(waitUntil([&] { return changes > 0; })) << "the program hears of the resize";
    EXPECT_TRUE(waitUntilPlaced(panel.window.xid(), QRect(600, 300, 200, 150)));
    EXPECT_EQ(panel.window.frame(), screenRect(QRect(600, 300, 200, 150)));
    // A size the program gives it later holds as well.
    panel.window.setFrame(screenRect(QRect(600, 300, 260, 120)));
    EXPECT_TRUE(waitUntilPlaced(panel.window.xid(), QRect(600, 300, 260, 120)));
    ASSERT_TRUE(settle());
    EXPECT_EQ(panel.window.frame(), screenRect(QRect(600, 300, 260, 120)));
}

TEST(Window, ABaseWindowIsNoWindowManagersAndItsDragsItsOwn) {
    TestWindow base(QRect(100, 100, 600, 400), WindowLevel::overlay, QColor(255, 0, 0), {}, true);
    TestWindow panel(QRect(400, 200, 200, 100), WindowLevel::panel, QColor(0, 0, 255));
    ASSERT_TRUE(base.placed && panel.placed);

    // No window manager frames it (a frame would take presses of its own)
    // or keeps it elsewhere: it is a child of the root, where it asked, and
    // below our windows of higher levels.
    auto* c = x11::connection();
    auto attributes =
        x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, base.window.xid()), nullptr));
    ASSERT_TRUE(attributes);
    EXPECT_TRUE(attributes->override_redirect);
    EXPECT_EQ(x11::topLevelOf(base.window.xid()), base.window.xid());
    EXPECT_EQ(testing_support::serverGeometry(base.window), QRect(100, 100, 600, 400));
    EXPECT_TRUE(waitUntil([&] { return testing_support::stackedAbove(panel.window.xid(), base.window.xid()); }));

    // A drag begun on it stays its own over another window of ours.
    ASSERT_TRUE(pointerReaches(QPoint(200, 250), base.window.xid()));
    testing_support::xdotool({"mousedown", "1"});
    ASSERT_TRUE(base.gotPressAt(QPoint(200, 250)));
    for (const QPoint at : {QPoint(450, 250), QPoint(500, 260)}) {
        ASSERT_TRUE(testing_support::moveMouse(at));
        EXPECT_TRUE(waitUntil([&] { return !base.probe->dragMoves.empty() && base.probe->dragMoves.back() == at; }));
    }
    testing_support::xdotool({"mouseup", "1"});
    EXPECT_TRUE(settle());
    EXPECT_TRUE(panel.probe->presses.empty());
    EXPECT_TRUE(panel.probe->dragMoves.empty());
}

// A window manager that ended before the program started leaves its check on
// the root, naming a window gone with it: it is taken for none, and our
// windows' levels are ours to keep. (Taken for one, our restacks would go to
// it, and a lower window shown later would stay over a higher one.)
TEST(Window, AWindowManagerThatEndedBeforeTheStartLeavesOurLevelsToUs) {
    const QStringList pids = qEnvironmentVariable("OVERINK_X11_SESSION_PIDS").split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(pids.size(), 2);
    const auto check = [] {
        const auto named = x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
        return named.empty() ? xcb_window_t(XCB_NONE) : named.front();
    };
    const xcb_window_t left = check();
    ASSERT_NE(left, XCB_NONE);
    ::kill(static_cast<pid_t>(pids[1].toInt()), SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return x11::topLevelOf(left) == XCB_NONE; }));
    ASSERT_EQ(check(), left) << "the check stays on the root";

    Window popUp(screenRect(QRect(400, 300, 300, 200)));
    popUp.stacking().setLevel(WindowLevel::popUp);
    popUp.orderFront();
    Window panel(screenRect(QRect(450, 350, 300, 200)));
    panel.stacking().setLevel(WindowLevel::panel);
    panel.orderFront();
    EXPECT_FALSE(X11EventSource::instance().windowManagerRunning());
    EXPECT_TRUE(waitUntil([&] {
        return popUp.xid() && panel.xid() && testing_support::stackedAbove(popUp.xid(), panel.xid());
    })) << "the panel shown after the pop-up stays over it";
}
