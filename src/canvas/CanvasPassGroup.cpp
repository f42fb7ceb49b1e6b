// The reaction pass shared by the canvases of one drawing state.

#include "canvas/CanvasPassGroup.h"

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QPointer>

#include <cmath>
#include <optional>

namespace {

// The values the reactions watch, in the order of the reactions.
struct Watched {
    bool isTextEditing = false;
    bool isAttachedToWindow = false;
    bool isLineEditing = false;
    bool pendingDeleteEdit = false;
    std::int64_t editingLineWidthStep = 0;
    double lineWidth = 0;
    Color selectedColor;
    double strokeOpacity = 0;
    std::optional<DrawingTool> selectedTool;
};

Watched watchedIn(const DrawingState& s) {
    Watched w;
    w.isTextEditing = s.isTextEditing.get();
    w.isAttachedToWindow = s.isAttachedToWindow.get();
    w.isLineEditing = s.isLineEditing.get();
    w.pendingDeleteEdit = s.pendingDeleteEdit.get();
    w.editingLineWidthStep = s.editingLineWidthStep.get();
    w.lineWidth = s.lineWidth.get();
    w.selectedColor = s.selectedColor.get();
    w.strokeOpacity = s.strokeOpacity.get();
    w.selectedTool = s.selectedTool.get();
    return w;
}

// Changes are compared exactly, and a value that is not a number counts as
// equal to itself, so it cannot start reactions over and over.
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool same(const Color& a, const Color& b) {
    return same(a.r, b.r) && same(a.g, b.g) && same(a.b, b.b) && same(a.a, b.a);
}
bool same(const Watched& a, const Watched& b) {
    return a.isTextEditing == b.isTextEditing && a.isAttachedToWindow == b.isAttachedToWindow &&
           a.isLineEditing == b.isLineEditing && a.pendingDeleteEdit == b.pendingDeleteEdit &&
           a.editingLineWidthStep == b.editingLineWidthStep && same(a.lineWidth, b.lineWidth) &&
           same(a.selectedColor, b.selectedColor) && same(a.strokeOpacity, b.strokeOpacity) &&
           a.selectedTool == b.selectedTool;
}

void runReactions(DrawingCanvasView& c, const Watched& o, const Watched& n) {
    if (o.isTextEditing != n.isTextEditing) c.textEditingChanged();
    if (o.isAttachedToWindow != n.isAttachedToWindow) c.attachedToWindowChanged(n.isAttachedToWindow);
    if (o.isLineEditing != n.isLineEditing) c.lineEditingChanged();
    if (o.pendingDeleteEdit != n.pendingDeleteEdit) c.pendingDeleteEditChanged(n.pendingDeleteEdit);
    if (o.editingLineWidthStep != n.editingLineWidthStep)
        c.lineWidthStepChanged(o.editingLineWidthStep, n.editingLineWidthStep);
    if (!same(o.lineWidth, n.lineWidth)) c.lineWidthChanged();
    if (!same(o.selectedColor, n.selectedColor)) c.colorChanged();
    if (!same(o.strokeOpacity, n.strokeOpacity)) c.colorChanged();
    if (o.selectedTool != n.selectedTool) c.toolChanged(o.selectedTool);
}

// Reactions may cause further changes; a pass settles within a few rounds.
constexpr int kMaxRounds = 16;

} // namespace

struct CanvasPassGroup::Member {
    QPointer<DrawingCanvasView> canvas;
    Watched seen;
    std::optional<Watched> snapshot;
    bool inPass = false;
};

std::shared_ptr<CanvasPassGroup> CanvasPassGroup::make(const std::shared_ptr<DrawingState>& state) {
    std::shared_ptr<CanvasPassGroup> group(new CanvasPassGroup());
    group->state_ = state;
    std::weak_ptr<CanvasPassGroup> weakGroup = group;
    group->willChange_ = state->willChange.connect([weakGroup] {
        if (auto g = weakGroup.lock()) g->schedule();
    });
    return group;
}

void CanvasPassGroup::join(DrawingCanvasView* canvas) {
    auto state = state_.lock();
    if (!state) return;
    auto member = std::make_shared<Member>();
    member->canvas = canvas;
    member->seen = watchedIn(*state);
    members_.push_back(std::move(member));
}

void CanvasPassGroup::leave(DrawingCanvasView* canvas) {
    std::erase_if(members_, [canvas](const std::shared_ptr<Member>& m) { return !m->canvas || m->canvas == canvas; });
}

void CanvasPassGroup::schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    std::weak_ptr<CanvasPassGroup> weak = weak_from_this();
    platform::dispatchMain([weak] {
        if (auto g = weak.lock()) g->run();
    });
}

void CanvasPassGroup::run() {
    scheduled_ = false;
    // A reaction may close a canvas; its member then holds no canvas.
    const auto state = state_.lock();
    if (!state) return;
    const auto members = members_;
    for (const auto& m : members)
        if (m->canvas) m->snapshot = watchedIn(*state);
    for (const auto& m : members)
        if (m->canvas) runPass(*m);
}

void CanvasPassGroup::runPass(Member& m) {
    // The snapshot taken with the other canvases first, then this canvas's
    // own follow-up changes; then its view catches up.
    DrawingCanvasView* canvas = m.canvas;
    const auto state = state_.lock();
    if (m.inPass || !state) return;
    const DrawingState* s = state.get();
    m.inPass = true;
    Watched now = m.snapshot ? *m.snapshot : watchedIn(*s);
    m.snapshot.reset();
    for (int round = 0; round < kMaxRounds; ++round) {
        const Watched old = m.seen;
        m.seen = now;
        runReactions(*canvas, old, now);
        if (!m.canvas) break;
        now = watchedIn(*s);
        if (same(m.seen, now)) break;
    }
    m.inPass = false;
    if (m.canvas) canvas->refreshView();
}
