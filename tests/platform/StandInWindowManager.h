#pragma once

// The tests' stand-in window manager (its options: StandInWindowManager.cpp).

#include <QByteArray>
#include <QHash>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace stand_in {

enum class Activation { honour, ignore, late };

struct Options {
    int placeLateMs = 0; // 0: a new window goes where it asks at once
    Activation activation = Activation::honour;
    int activationDelayMs = 0;
};

// Stacking layers, lowest first.
enum class Layer { desktop, normal, above, dock };

inline constexpr int kLateShift = 40;
inline constexpr std::uint32_t kNormalState = 1, kIconicState = 3;
inline constexpr std::uint32_t kRemove = 0, kAdd = 1, kToggle = 2;

// One line on stderr.
void note(const char* format, ...) __attribute__((format(printf, 1, 2)));

template <typename T>
inline std::unique_ptr<T, decltype(&std::free)> reply(T* r) {
    return {r, &std::free};
}

class StandInWindowManager {
public:
    StandInWindowManager(xcb_connection_t* c, Options options)
        : c_(c), screen_(xcb_setup_roots_iterator(xcb_get_setup(c)).data), root_(screen_->root), options_(options) {}

    // False when another window manager holds the display.
    bool start();
    // Handles every event that has come in.
    void drain();

private:
    struct Client {
        xcb_window_t id = XCB_NONE;
        std::uint64_t serial = 0; // tells a window from a later one of the same id
        QByteArray name;
        QRect geometry;
        bool shown = false; // mapped by us, not iconic
        int ownUnmaps = 0;  // unmaps of ours, which do not withdraw it
        std::vector<xcb_atom_t> states;
        Layer typeLayer = Layer::normal;
        std::vector<std::uint32_t> strut;
        bool acceptsInput = true;
        bool takesFocus = false;
        bool transient = false;
        xcb_window_t transientFor = XCB_NONE;
        xcb_window_t group = XCB_NONE;
        std::optional<QRect> latePlace; // where it asked to be, until it is put there
    };

    xcb_atom_t atom(const char* name);
    std::vector<std::uint32_t> property32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type);
    void setProperty32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::vector<std::uint32_t>& v);
    Client* find(xcb_window_t w);
    QByteArray label(const Client& c) const;

    void handle(const xcb_generic_event_t* e);
    void onMapRequest(xcb_window_t w);
    void onConfigureRequest(const xcb_configure_request_event_t* e);
    void onUnmap(xcb_window_t w, bool sent);
    void onClientMessage(const xcb_client_message_event_t* e);
    void onButtonPress(const xcb_button_press_event_t* e);

    Client& manage(xcb_window_t w);
    void readProperties(Client& c);
    void place(Client& c);
    void show(Client& c);
    void iconify(Client& c);
    void withdraw(xcb_window_t w, bool destroyed);
    void moveResize(Client& c, const QRect& r);
    void tellGeometry(const Client& c);
    QRect workArea();

    void activate(Client& c, std::uint32_t source);
    void bringForward(Client& c);
    void giveFocus(Client& c, std::uint32_t time);
    void changeState(Client& c, std::uint32_t action, xcb_atom_t state);
    void raise(xcb_window_t w);
    void restackRequest(Client& c, xcb_window_t sibling, std::uint32_t mode);

    std::vector<xcb_window_t> transientParents(const Client& c);
    int effectiveLayer(const Client& c, int depth = 0);
    void restack();
    void updateWorkArea();
    void updateClientList();
    void updateActive();
    void setActive(xcb_window_t w);

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
    xcb_window_t root_;
    Options options_;
    xcb_window_t check_ = XCB_NONE;
    QHash<QByteArray, xcb_atom_t> atoms_;
    std::map<xcb_window_t, Client> clients_;
    std::vector<xcb_window_t> mappingOrder_;
    std::vector<xcb_window_t> raiseOrder_; // bottom first, before layers
    std::vector<xcb_window_t> placedOnce_;
    std::vector<std::uint32_t> stacking_, workArea_;
    xcb_window_t active_ = XCB_NONE;
    std::uint64_t serials_ = 0;
    std::uint32_t lastTime_ = XCB_CURRENT_TIME;
};

} // namespace stand_in
