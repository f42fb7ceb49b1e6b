#pragma once

// When a canvas shows what a drag changed: a change after a pause at once,
// so that a single move is not delayed; later ones at most once a display
// refresh, late in the frame (shortly before the refresh), so that the
// frame carries the newest sample. A change the canvas takes reaches the
// drawing state at once; the drawing and the flush to the X server wait.
// (The canvas takes a drag's moves that would wait anyway together, when
// their frame comes.)

#include "platform/DisplayLink.h"

#include <functional>
#include <memory>

class FramePacer {
public:
    using Present = std::function<void()>;

    // The pacer's time: now, on the display link's clock (mediaTime()
    // seconds), and one single-shot timer. The program's reads the monotonic
    // clock and runs a precise Qt timer; tests move their own on by hand.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual double now() const = 0;
        // Calls `fire` once, `ms` from now, in place of any call still due.
        virtual void start(int ms, std::function<void()> fire) = 0;
        virtual void stop() = 0;
        virtual bool isActive() const = 0;
    };
    static std::unique_ptr<Clock> systemClock();

    // `present` shows what changed; without a display link every change is
    // shown at once.
    explicit FramePacer(Present present);
    ~FramePacer();
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // Paces by the refreshes of `display`, through a link from `factory`.
    // A `clock` (the one the link's timestamps are on) takes the place of
    // the pacer's, the system's at first.
    void useDisplayLink(const platform::DisplayLinkFactory& factory, platform::DisplayID display,
                        std::unique_ptr<Clock> clock = nullptr);

    // Something to show changed. True: show it now; false: present() runs
    // when its frame comes.
    bool changed();
    // What changed was shown some other way; no frame is owed for it.
    void shown();

    bool isPending() const { return pending_; }
    // Whether a change now would wait for a frame rather than show at once.
    bool wouldWait() const;
    // The link runs only while changes come in.
    bool isLinkRunning() const { return link_ && link_->isRunning(); }

    // How long before a refresh a paced frame is drawn and flushed.
    static constexpr double kLateMargin = 0.004;

private:
    void frame(const platform::DisplayLinkFrame& f);
    void arm(double now);
    void fire();
    double interval() const;
    // The first moment at or after `t` that is kLateMargin before a refresh.
    double lateAtOrAfter(double t) const;

    Present present_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<platform::DisplayLink> link_;
    bool pending_ = false;
    bool phaseKnown_ = false;
    double lastRefresh_ = 0;
    double frameInterval_ = 0;
    double lastChange_ = -1e9;
    double lastPresent_ = -1e9;
    int idleFrames_ = 0;
};
