// The tests' stand-in window manager does what its session names: places at
// once or late, answers activation requests at once, late or never, and
// derives the work area from the docks' struts.
#include "support/TestUtil.h"

#include <QRect>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using testing_support::waitUntil;

namespace {

bool sessionRuns(const char* wm) { return qgetenv("OVERINK_X11_WM") == wm; }

// A client of its own, as another program is to the window manager, with
// what the server told it about each of its windows in order.
class Client {
public:
    Client() : c_(xcb_connect(nullptr, nullptr)) { root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }
    ~Client() { xcb_disconnect(c_); }

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    xcb_window_t window(const QRect& r) {
        const xcb_window_t w = xcb_generate_id(c_);
        const std::uint32_t values[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, std::int16_t(r.x()), std::int16_t(r.y()),
                          std::uint16_t(r.width()), std::uint16_t(r.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
        return w;
    }

    void setProperty(xcb_window_t w, const char* name, xcb_atom_t type, const std::vector<std::uint32_t>& v) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(name), type, 32, v.size(), v.data());
    }

    void map(xcb_window_t w) {
        xcb_map_window(c_, w);
        xcb_flush(c_);
    }

    void unmap(xcb_window_t w) {
        xcb_unmap_window(c_, w);
        xcb_flush(c_);
    }

    void configure(xcb_window_t w, const QRect& r) {
        const std::uint32_t values[] = {std::uint32_t(r.x()), std::uint32_t(r.y()), std::uint32_t(r.width()),
                                        std::uint32_t(r.height())};
        xcb_configure_window(
            c_, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            values);
        xcb_flush(c_);
    }

    void flush() { xcb_flush(c_); }

    void sendToManager(xcb_window_t w, const char* type, std::uint32_t d0, std::uint32_t d1 = 0) {
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = w;
        m.type = atom(type);
        m.data.data32[0] = d0;
        m.data.data32[1] = d1;
        xcb_send_event(c_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&m));
        xcb_flush(c_);
    }

    // Returns once the window manager has handled everything sent to it
    // before: it answers a frame-extents request in turn.
    bool throughManager(xcb_window_t w) {
        const int before = extents_[w];
        sendToManager(w, "_NET_REQUEST_FRAME_EXTENTS", 0);
        return waitUntil([&] { return read(), extents_[w] > before; });
    }

    // What the server said of the window: "configure X,Y WxH" (its own
    // notices, not the window manager's) and "map".
    const std::vector<std::string>& log(xcb_window_t w) {
        read();
        return log_[w];
    }

    std::vector<std::uint32_t> rootProperty(const char* name, xcb_atom_t type) {
        auto* r = xcb_get_property_reply(c_, xcb_get_property(c_, 0, root_, atom(name), type, 0, 64), nullptr);
        std::vector<std::uint32_t> v;
        if (r && r->format == 32) {
            const auto* p = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
            v.assign(p, p + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return v;
    }

    xcb_window_t focus() {
        auto* r = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
        const xcb_window_t f = r ? r->focus : xcb_window_t(XCB_NONE);
        std::free(r);
        return f;
    }

    void setFocus(xcb_window_t w) {
        xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
        xcb_flush(c_);
    }

private:
    void read() {
        while (auto* e = xcb_poll_for_event(c_)) {
            switch (e->response_type) { // synthetic ones (bit 7) left out
            case XCB_CONFIGURE_NOTIFY: {
                const auto* n = reinterpret_cast<xcb_configure_notify_event_t*>(e);
                log_[n->window].push_back("configure " + std::to_string(n->x) + "," + std::to_string(n->y) + " " +
                                          std::to_string(n->width) + "x" + std::to_string(n->height));
                break;
            }
            case XCB_MAP_NOTIFY: log_[reinterpret_cast<xcb_map_notify_event_t*>(e)->window].push_back("map"); break;
            case XCB_PROPERTY_NOTIFY: {
                const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
                if (p->atom == atom("_NET_FRAME_EXTENTS")) ++extents_[p->window];
                break;
            }
            default: break;
            }
            std::free(e);
        }
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = XCB_NONE;
    std::map<xcb_window_t, std::vector<std::string>> log_;
    std::map<xcb_window_t, int> extents_;
};

using Log = std::vector<std::string>;

// Two shown windows, the second holding the focus.
struct TwoWindows {
    TwoWindows() : first(client.window({100, 100, 300, 200})), second(client.window({500, 100, 300, 200})) {
        client.map(first);
        client.map(second);
        mapped = waitUntil([&] { return !client.log(first).empty() && !client.log(second).empty(); });
        client.setFocus(second);
    }
    bool activeIs(xcb_window_t w) {
        const auto active = client.rootProperty("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
        return !active.empty() && active.front() == w;
    }
    Client client;
    xcb_window_t first, second;
    bool mapped = false;
};

} // namespace

TEST(StandInWindowManager, PlacesANewWindowWhereItAsksAtOnce) {
    if (!sessionRuns("standin")) GTEST_SKIP() << "for the cooperative stand-in";
    Client client;
    const xcb_window_t w = client.window({300, 300, 200, 150});
    client.map(w);
    ASSERT_TRUE(client.throughManager(w));
    ASSERT_TRUE(waitUntil([&] { return !client.log(w).empty(); }));
    EXPECT_EQ(client.log(w), Log{"map"}) << "shown where it was made, and not moved";
}

TEST(StandInWindowManager, TakesTheWorkAreaFromTheDocksStruts) {
    if (!sessionRuns("standin")) GTEST_SKIP() << "for the cooperative stand-in";
    Client client;
    const auto workArea = [&] { return client.rootProperty("_NET_WORKAREA", XCB_ATOM_CARDINAL); };
    const auto before = workArea();
    ASSERT_EQ(before.size(), 4u);
    const std::uint32_t right = before[0] + before[2], bottom = before[1] + before[3];
    ASSERT_LT(before[0], 50u) << "the session's own panel on the left is in the way";

    // A panel on the left edge, 50 then 80 pixels wide, then gone.
    const xcb_window_t dock = client.window({0, 300, 50, 200});
    client.setProperty(dock, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {client.atom("_NET_WM_WINDOW_TYPE_DOCK")});
    client.setProperty(dock, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, {50, 0, 0, 0, 300, 499, 0, 0, 0, 0, 0, 0});
    client.map(dock);
    const auto startsAt = [&](std::uint32_t left) {
        return waitUntil([&] {
            return workArea() == std::vector<std::uint32_t>{left, before[1], right - left, bottom - before[1]};
        });
    };
    EXPECT_TRUE(startsAt(50));
    client.setProperty(dock, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, {80, 0, 0, 0, 300, 499, 0, 0, 0, 0, 0, 0});
    client.flush();
    EXPECT_TRUE(startsAt(80)) << "a strut that changes";
    client.unmap(dock);
    EXPECT_TRUE(waitUntil([&] { return workArea() == before; })) << "a panel withdrawn";
}

TEST(LatePlacing, ANewWindowIsFirstShownElsewhereThenWhereItAsked) {
    if (!sessionRuns("late-placing")) GTEST_SKIP() << "for the late-placing stand-in";
    Client client;
    const auto area = client.rootProperty("_NET_WORKAREA", XCB_ATOM_CARDINAL);
    ASSERT_EQ(area.size(), 4u);
    ASSERT_GT(area[1], 0u) << "needs the tray's panel at the top";

    // Off the panel: moved aside first.
    const xcb_window_t aside = client.window({300, 300, 200, 150});
    client.map(aside);
    EXPECT_TRUE(waitUntil([&] { return client.log(aside).size() == 3; }, 10000));
    EXPECT_EQ(client.log(aside), (Log{"configure 340,340 200x150", "map", "configure 300,300 200x150"}));

    // Over the panel: first put below it, as a manager keeps windows off it.
    const int top = int(area[1]);
    const xcb_window_t under = client.window({100, 0, 200, 150});
    client.map(under);
    EXPECT_TRUE(waitUntil([&] { return client.log(under).size() == 3; }, 10000));
    EXPECT_EQ(client.log(under),
              (Log{"configure 100," + std::to_string(top) + " 200x150", "map", "configure 100,0 200x150"}));

    // What the window asks for while it waits is where it goes in the end.
    const xcb_window_t asks = client.window({600, 300, 200, 150});
    client.map(asks);
    client.configure(asks, {700, 400, 250, 150});
    EXPECT_TRUE(waitUntil([&] { return client.log(asks).size() == 3; }, 10000));
    EXPECT_EQ(client.log(asks), (Log{"configure 640,340 200x150", "map", "configure 700,400 250x150"}));
}

TEST(IgnoredActivation, ARequestToActivateIsNeverAnswered) {
    if (!sessionRuns("ignores-activation")) GTEST_SKIP() << "for the stand-in that ignores activation";
    TwoWindows windows;
    ASSERT_TRUE(windows.mapped);
    ASSERT_TRUE(waitUntil([&] { return windows.client.focus() == windows.second; }));
    windows.client.sendToManager(windows.first, "_NET_ACTIVE_WINDOW", 2);
    ASSERT_TRUE(windows.client.throughManager(windows.first));
    EXPECT_EQ(windows.client.focus(), windows.second);
    EXPECT_FALSE(windows.activeIs(windows.first));
    const auto stacking = windows.client.rootProperty("_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    const auto at = [&](xcb_window_t w) { return std::find(stacking.begin(), stacking.end(), w) - stacking.begin(); };
    EXPECT_GT(at(windows.second), at(windows.first)) << "not raised either";
}

TEST(LateActivation, ARequestToActivateIsAnsweredLate) {
    if (!sessionRuns("late-activation")) GTEST_SKIP() << "for the stand-in that activates late";
    TwoWindows windows;
    ASSERT_TRUE(windows.mapped);
    ASSERT_TRUE(waitUntil([&] { return windows.client.focus() == windows.second; }));
    windows.client.sendToManager(windows.first, "_NET_ACTIVE_WINDOW", 2);
    ASSERT_TRUE(windows.client.throughManager(windows.first));
    EXPECT_EQ(windows.client.focus(), windows.second) << "not at once";
    EXPECT_TRUE(
        waitUntil([&] { return windows.client.focus() == windows.first && windows.activeIs(windows.first); }, 10000));
}
