#pragma once

// The reaction pass shared by the canvases of one drawing state. After any
// number of changes made in one turn of the event loop, one pass follows on
// a later turn: every canvas first notes the values its reactions watch,
// then each compares them with the ones it saw last and runs the reaction of
// every value that really changed, in a fixed order, with the old and the
// new value; its own follow-up changes run in further rounds. A reaction
// that consumes a value (the delete request) therefore cannot hide the
// change from a canvas whose turn comes later. Equal assignments run
// nothing, nor does a canvas's creation.

#include "platform/Subscription.h"

#include <memory>
#include <vector>

class DrawingCanvasView;
class DrawingState;

// Made by whoever makes the canvases of a state (the overlay windows'
// factory), which hands it to each canvas it makes.
class CanvasPassGroup : public std::enable_shared_from_this<CanvasPassGroup> {
public:
    // The group of `state`'s canvases, empty; it watches the state for
    // changes as long as it lives.
    static std::shared_ptr<CanvasPassGroup> make(const std::shared_ptr<DrawingState>& state);

    CanvasPassGroup(const CanvasPassGroup&) = delete;
    CanvasPassGroup& operator=(const CanvasPassGroup&) = delete;

    // The canvas's reactions start from the state as it is now.
    void join(DrawingCanvasView* canvas);
    void leave(DrawingCanvasView* canvas);
    // Asks for a pass on a later turn of the event loop.
    void schedule();

private:
    struct Member;

    CanvasPassGroup() = default;
    void run();
    void runPass(Member& member);

    std::weak_ptr<DrawingState> state_;
    std::vector<std::shared_ptr<Member>> members_;
    platform::Subscription willChange_;
    bool scheduled_ = false;
};
