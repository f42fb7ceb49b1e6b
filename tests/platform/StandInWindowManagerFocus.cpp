// The stand-in window manager's focus and stacking: activation as its mode
// says, click to focus, layers with transients above their parents, the work
// area the docks leave, and what it says of them on the root.
#include "StandInWindowManager.h"

#include <QTimer>

#include <algorithm>

namespace stand_in {

void StandInWindowManager::activate(Client& c, std::uint32_t source) {
    switch (options_.activation) {
    case Activation::ignore:
        note("ignoring the request (source %u) to activate %s", source, label(c).constData());
        return;
    case Activation::honour:
        note("activating %s (source %u)", label(c).constData(), source);
        bringForward(c);
        return;
    case Activation::late: {
        note("activating %s (source %u) in %d ms", label(c).constData(), source, options_.activationDelayMs);
        const xcb_window_t id = c.id;
        const std::uint64_t serial = c.serial;
        QTimer::singleShot(options_.activationDelayMs, [this, id, serial] {
            Client* c = find(id);
            if (!c || c->serial != serial) return;
            note("activating %s late", label(*c).constData());
            bringForward(*c);
            drain();
        });
        return;
    }
    }
}

void StandInWindowManager::bringForward(Client& c) {
    if (!c.shown) {
        changeState(c, kRemove, atom("_NET_WM_STATE_HIDDEN"));
        setProperty32(c.id, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, c.states);
    }
    raise(c.id);
    giveFocus(c, XCB_CURRENT_TIME);
}

void StandInWindowManager::giveFocus(Client& c, std::uint32_t time) {
    if (!c.shown) return;
    if (c.acceptsInput) {
        xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, c.id, time);
        setActive(c.id);
    }
    if (c.takesFocus) {
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = c.id;
        m.type = atom("WM_PROTOCOLS");
        m.data.data32[0] = atom("WM_TAKE_FOCUS");
        m.data.data32[1] = time == XCB_CURRENT_TIME ? lastTime_ : time;
        xcb_send_event(c_, 0, c.id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
    }
}

void StandInWindowManager::onButtonPress(const xcb_button_press_event_t* e) {
    lastTime_ = e->time;
    if (Client* c = find(e->event)) {
        if (c->acceptsInput && c->id != active_) note("focusing %s on a click", label(*c).constData());
        raise(c->id);
        giveFocus(*c, e->time);
    }
    // Whatever happened, the press goes on to the window.
    xcb_allow_events(c_, XCB_ALLOW_REPLAY_POINTER, e->time);
}

void StandInWindowManager::raise(xcb_window_t w) {
    std::erase(raiseOrder_, w);
    raiseOrder_.push_back(w);
    restack();
}

void StandInWindowManager::restackRequest(Client& c, xcb_window_t sibling, std::uint32_t mode) {
    if (sibling != XCB_NONE && !find(sibling)) {
        note("ignoring a restack of %s against a window not managed", label(c).constData());
        return;
    }
    std::erase(raiseOrder_, c.id);
    const bool above = mode != XCB_STACK_MODE_BELOW && mode != XCB_STACK_MODE_BOTTOM_IF;
    auto at = sibling == XCB_NONE ? (above ? raiseOrder_.end() : raiseOrder_.begin())
                                  : std::find(raiseOrder_.begin(), raiseOrder_.end(), sibling) + (above ? 1 : 0);
    raiseOrder_.insert(at, c.id);
    restack();
}

std::vector<xcb_window_t> StandInWindowManager::transientParents(const Client& c) {
    if (!c.transient) return {};
    if (c.transientFor != XCB_NONE && c.transientFor != root_) {
        if (c.transientFor != c.id && find(c.transientFor)) return {c.transientFor};
        return {};
    }
    // Transient for the root (or none): for its whole window group.
    std::vector<xcb_window_t> parents;
    if (c.group == XCB_NONE) return parents;
    for (const auto& [id, other] : clients_)
        if (id != c.id && other.group == c.group && !other.transient) parents.push_back(id);
    return parents;
}

int StandInWindowManager::effectiveLayer(const Client& c, int depth) {
    int layer = int(c.typeLayer);
    if (c.typeLayer == Layer::normal &&
        std::find(c.states.begin(), c.states.end(), atom("_NET_WM_STATE_ABOVE")) != c.states.end())
        layer = int(Layer::above);
    // A transient stands with its highest parent; a chain of them ends soon.
    if (depth < 4)
        for (xcb_window_t p : transientParents(c)) layer = std::max(layer, effectiveLayer(clients_.at(p), depth + 1));
    return layer;
}

void StandInWindowManager::restack() {
    std::vector<xcb_window_t> order = raiseOrder_;
    std::map<xcb_window_t, int> layers;
    for (xcb_window_t w : order) layers[w] = effectiveLayer(clients_.at(w));
    std::stable_sort(order.begin(), order.end(), [&](xcb_window_t a, xcb_window_t b) { return layers[a] < layers[b]; });
    // Each transient just above its highest parent, if below it.
    for (int pass = 0; pass < 4; ++pass) {
        bool moved = false;
        for (xcb_window_t t : std::vector<xcb_window_t>(order)) {
            const auto parents = transientParents(clients_.at(t));
            if (parents.empty()) continue;
            const auto index = [&](xcb_window_t w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
            auto top = index(t);
            for (xcb_window_t p : parents) top = std::max(top, index(p));
            if (top == index(t)) continue;
            order.erase(order.begin() + index(t));
            order.insert(order.begin() + top, t);
            moved = true;
        }
        if (!moved) break;
    }

    // The server's order of the shown ones, top first, is made ours from the
    // top down: each window only ever passes windows meant to be below it,
    // so no one who watches sees two in an order neither state has.
    std::vector<xcb_window_t> wanted, actual;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (clients_.at(*it).shown) wanted.push_back(*it);
    if (auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr))) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i)
            if (std::find(wanted.begin(), wanted.end(), children[i]) != wanted.end()) actual.push_back(children[i]);
    }
    bool changed = false;
    for (std::size_t i = 0; i < wanted.size() && i < actual.size(); ++i) {
        if (actual[i] == wanted[i]) continue;
        const std::uint32_t values[] = {i == 0 ? actual[0] : wanted[i - 1],
                                        i == 0 ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW};
        xcb_configure_window(c_, wanted[i], XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        std::erase(actual, wanted[i]);
        actual.insert(actual.begin() + i, wanted[i]);
        changed = true;
    }
    std::vector<std::uint32_t> stacking(order.begin(), order.end());
    if (changed || stacking != stacking_) {
        stacking_ = stacking;
        setProperty32(root_, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, stacking_);
    }
}

QRect StandInWindowManager::workArea() {
    const int width = screen_->width_in_pixels, height = screen_->height_in_pixels;
    int left = 0, right = 0, top = 0, bottom = 0;
    for (const auto& entry : clients_) {
        const Client& c = entry.second;
        if (!c.shown || c.strut.empty()) continue;
        const auto at = [&](int i, int limit) { return int(std::min<std::uint32_t>(c.strut[i], limit)); };
        left = std::max(left, at(0, width));
        right = std::max(right, at(1, width));
        top = std::max(top, at(2, height));
        bottom = std::max(bottom, at(3, height));
    }
    return QRect(left, top, std::max(0, width - left - right), std::max(0, height - top - bottom));
}

void StandInWindowManager::updateWorkArea() {
    const QRect a = workArea();
    const std::vector<std::uint32_t> area{std::uint32_t(a.x()), std::uint32_t(a.y()), std::uint32_t(a.width()),
                                          std::uint32_t(a.height())};
    if (area == workArea_) return;
    workArea_ = area;
    note("work area %d,%d %dx%d", a.x(), a.y(), a.width(), a.height());
    setProperty32(root_, atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL, area);
}

void StandInWindowManager::updateClientList() {
    setProperty32(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {mappingOrder_.begin(), mappingOrder_.end()});
    restack();
}

void StandInWindowManager::updateActive() {
    auto focus = reply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    xcb_window_t w = focus ? focus->focus : xcb_window_t(XCB_NONE);
    // The focus may lie on a child of a managed window.
    for (int depth = 0; depth < 8 && w != XCB_NONE && w != root_ && !find(w); ++depth) {
        auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr));
        w = tree ? tree->parent : xcb_window_t(XCB_NONE);
    }
    setActive(find(w) ? w : xcb_window_t(XCB_NONE));
}

void StandInWindowManager::setActive(xcb_window_t w) {
    if (w == active_) return;
    active_ = w;
    setProperty32(root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, {w});
}

} // namespace stand_in
