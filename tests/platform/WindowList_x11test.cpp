// The window list read from the window manager: order, frames, owners,
// layers, and windows that move, minimise or close.
#include "platform/X11.h"
#include "platform/X11ScreenProvider.h"
#include "platform/X11WindowList.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;
using testing_support::ExternalWindow;
using testing_support::waitUntil;

namespace {

std::optional<WindowInfo> find(const std::vector<WindowInfo>& list, std::uint32_t number,
                               std::size_t* index = nullptr) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].number == number) {
            if (index) *index = i;
            return list[i];
        }
    return std::nullopt;
}

// The client rectangle in root coordinates, grown by the frame extents the
// window manager reports.
QRect expectedFrame(std::uint32_t window) {
    xcb_connection_t* c = x11::connection();
    auto geometry = x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    auto position = x11::reply(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, x11::root(), 0, 0), nullptr));
    if (!geometry || !position) return {};
    QRect r(position->dst_x, position->dst_y, geometry->width, geometry->height);
    const auto e = x11::property32(window, x11::atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    if (e.size() == 4) r.adjust(-static_cast<int>(e[0]), -static_cast<int>(e[2]), e[1], e[3]);
    return r;
}

Rect asBounds(const QRect& r) { return Rect(r.x(), r.y(), r.width(), r.height()); }

void sendClientMessage(std::uint32_t window, const char* type, std::vector<std::uint32_t> data) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = x11::atom(type);
    for (std::size_t i = 0; i < data.size() && i < 5; ++i) ev.data.data32[i] = data[i];
    xcb_send_event(x11::connection(), 0, x11::root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(x11::connection());
}

// A decorated top-level window made straight on the X connection, so that
// it is not one of this program's windows; destroyed with the object.
class DecoratedWindow {
public:
    explicit DecoratedWindow(const QRect& r) {
        xcb_connection_t* c = x11::connection();
        id_ = xcb_generate_id(c);
        const auto* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id_, x11::root(), static_cast<std::int16_t>(r.x()),
                          static_cast<std::int16_t>(r.y()), static_cast<std::uint16_t>(r.width()),
                          static_cast<std::uint16_t>(r.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          0, nullptr);
        x11::setWindowName(id_, QStringLiteral("Overink window list test"));
        xcb_map_window(c, id_);
        xcb_flush(c);
    }
    ~DecoratedWindow() {
        xcb_destroy_window(x11::connection(), id_);
        xcb_flush(x11::connection());
    }
    std::uint32_t id() const { return id_; }

private:
    std::uint32_t id_ = 0;
};

struct Fixture {
    std::shared_ptr<X11ScreenProvider> screens = std::make_shared<X11ScreenProvider>();
    X11WindowList list{screens};
};

} // namespace

TEST(X11WindowList, OtherProgramsWindowsFrontFirstWithTheirFramesAndOwners) {
    Fixture f;
    ExternalWindow back(OVERINK_CLICK_RECORDER, QRect(100, 200, 300, 250));
    ASSERT_TRUE(back.ready());
    ExternalWindow front(OVERINK_CLICK_RECORDER, QRect(150, 250, 320, 260));
    ASSERT_TRUE(front.ready());
    QWidget own;
    own.setWindowTitle(QStringLiteral("Overink window list test"));
    own.setGeometry(600, 300, 200, 200);
    own.show();
    const auto ownId = x11::windowId(own.windowHandle());
    ASSERT_TRUE(testing_support::waitUntilPlaced(ownId, QRect(600, 300, 200, 200)));

    std::vector<WindowInfo> windows;
    std::size_t backAt = 0, frontAt = 0;
    ASSERT_TRUE(waitUntil([&] {
        windows = f.list.windows();
        return find(windows, back.window(), &backAt) && find(windows, front.window(), &frontAt) && frontAt < backAt;
    }));
    EXPECT_FALSE(find(windows, ownId));

    for (const std::uint32_t id : {back.window(), front.window()}) {
        const WindowInfo info = *find(windows, id);
        ASSERT_TRUE(info.ownerPID);
        EXPECT_GT(*info.ownerPID, 0);
        EXPECT_NE(*info.ownerPID, static_cast<std::int32_t>(QCoreApplication::applicationPid()));
        EXPECT_EQ(info.layer, WindowListLayer::normal);
        EXPECT_TRUE(info.isOnScreen);
        EXPECT_FALSE(info.isDesktopElement);
        // The frame, decorations included; the primary display's top-left is
        // the origin (Xvfb's is the root's).
        EXPECT_EQ(info.bounds, asBounds(expectedFrame(id)));
        EXPECT_EQ(f.list.bounds(id), info.bounds);
    }
    // The tray panel is a dock.
    const auto dock = std::find_if(windows.begin(), windows.end(),
                                   [](const WindowInfo& w) { return w.layer == WindowListLayer::dock; });
    EXPECT_NE(dock, windows.end());
}

TEST(X11WindowList, TheFrameIncludesTheDecorationsAndAWindowWithoutAnOwnerSaysSo) {
    Fixture f;
    DecoratedWindow window(QRect(400, 300, 300, 200));
    std::optional<WindowInfo> info;
    ASSERT_TRUE(waitUntil([&] {
        info = find(f.list.windows(), window.id());
        return info && info->isOnScreen &&
               !x11::property32(window.id(), x11::atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4).empty();
    }));
    // Openbox's title bar and border.
    EXPECT_GT(info->bounds.height(), 200);
    EXPECT_GT(info->bounds.width(), 300);
    EXPECT_FALSE(info->ownerPID);
    ASSERT_TRUE(waitUntil([&] { return f.list.bounds(window.id()) == asBounds(expectedFrame(window.id())); }));
}

TEST(X11WindowList, BoundsFollowAMoveAndEndWhenTheWindowCloses) {
    Fixture f;
    auto window = std::make_unique<ExternalWindow>(OVERINK_CLICK_RECORDER, QRect(200, 200, 300, 200));
    ASSERT_TRUE(window->ready());
    const std::uint32_t id = window->window();
    const auto before = f.list.bounds(id);
    ASSERT_TRUE(before);

    ASSERT_TRUE(testing_support::xdotool(
        {QStringLiteral("windowmove"), QString::number(id), QStringLiteral("500"), QStringLiteral("400")}));
    ASSERT_TRUE(waitUntil([&] {
        const auto now = f.list.bounds(id);
        return now && now->origin != before->origin;
    }));
    EXPECT_EQ(f.list.bounds(id), asBounds(expectedFrame(id)));
    EXPECT_EQ(f.list.bounds(id)->size, before->size);

    window.reset();
    ASSERT_TRUE(waitUntil([&] { return !f.list.bounds(id); }));
    EXPECT_FALSE(find(f.list.windows(), id));
    EXPECT_FALSE(f.list.bounds(0));
}

TEST(X11WindowList, AMinimisedWindowStaysListedButIsNotOnScreen) {
    Fixture f;
    ExternalWindow window(OVERINK_CLICK_RECORDER, QRect(300, 300, 300, 200));
    ASSERT_TRUE(window.ready());
    const std::uint32_t id = window.window();
    ASSERT_TRUE(waitUntil([&] { return f.list.place(id) && f.list.place(id)->isShown; }));
    // ICCCM's request to iconify.
    sendClientMessage(id, "WM_CHANGE_STATE", {3});
    ASSERT_TRUE(waitUntil([&] {
        const auto info = find(f.list.windows(), id);
        return info && !info->isOnScreen;
    }));
    EXPECT_TRUE(f.list.bounds(id));
    ASSERT_TRUE(f.list.place(id));
    EXPECT_FALSE(f.list.place(id)->isShown);

    // Restored.
    ASSERT_TRUE(testing_support::xdotool({QStringLiteral("windowactivate"), QString::number(id)}));
    EXPECT_TRUE(waitUntil([&] { return f.list.place(id) && f.list.place(id)->isShown; }));
}

TEST(X11WindowList, AWindowKeptAboveIsNotAnOrdinaryWindow) {
    Fixture f;
    ExternalWindow window(OVERINK_CLICK_RECORDER, QRect(300, 300, 300, 200));
    ASSERT_TRUE(window.ready());
    const std::uint32_t id = window.window();
    // _NET_WM_STATE_ADD of the above state.
    sendClientMessage(id, "_NET_WM_STATE", {1, x11::atom("_NET_WM_STATE_ABOVE"), 0, 1});
    ASSERT_TRUE(waitUntil([&] {
        const auto info = find(f.list.windows(), id);
        return info && info->layer == WindowListLayer::floating;
    }));
}

TEST(NoWindowManager, TheServersWindowsStandInWithTheirClientRectangles) {
    if (!x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1).empty())
        GTEST_SKIP() << "needs a session without a window manager";
    Fixture f;
    auto window = std::make_unique<DecoratedWindow>(QRect(100, 200, 300, 250));
    const std::uint32_t id = window->id();
    x11::setProperty32(id, x11::atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {4242});
    std::optional<WindowInfo> info;
    ASSERT_TRUE(waitUntil([&] {
        info = find(f.list.windows(), id);
        return info && info->isOnScreen && info->ownerPID;
    }));
    EXPECT_EQ(*info->ownerPID, 4242);
    EXPECT_EQ(info->layer, WindowListLayer::normal);
    // No frame extents: the client rectangle.
    EXPECT_EQ(info->bounds, Rect(100, 200, 300, 250));
    EXPECT_EQ(f.list.bounds(id), Rect(100, 200, 300, 250));
    // The newest window is in front.
    EXPECT_EQ(f.list.windows().front().number, id);

    window.reset();
    ASSERT_TRUE(waitUntil([&] { return !f.list.bounds(id); }));
}
