// Polygon vertex and arm editing.

#include "canvas/overlays/PolygonEditOverlay.h"

#include "canvas/overlays/EditHandles.h"
#include "model/Algorithms.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QPointer>

using namespace bezier_geometry;

namespace {

struct Outline {
    std::vector<QPointF> vertices, in, out;
};

Outline outlineOf(const DrawingStroke& s) {
    Outline o;
    o.vertices = polygonVertices(s);
    o.in = armsOf(s.bezierHandleIn, o.vertices.size());
    o.out = armsOf(s.bezierHandleOut, o.vertices.size());
    return o;
}

DrawingStroke withOutline(const DrawingStroke& s, Outline o) {
    DrawingStroke result = s;
    result.customVertices = std::move(o.vertices);
    result.bezierHandleIn = std::move(o.in);
    result.bezierHandleOut = std::move(o.out);
    return result;
}

} // namespace

PolygonEditOverlay::PolygonEditOverlay(DrawingState& state, const DrawingStroke& stroke, StrokeHandler onUpdate,
                                       QWidget* parent)
    : HandleDragOverlay(stroke, std::move(onUpdate), parent), state_(state) {
    // Delivered after the value is stored, so that clearing it is final.
    rightDoubleClicks_ = state.rightDoubleClickLocation.sink(
        [self = QPointer<PolygonEditOverlay>(this)](const std::optional<QPointF>& location) {
            if (!self || !location) return;
            self->state_.rightDoubleClickLocation = std::nullopt;
            self->toggleVertexAt(*location);
        },
        platform::Delivery::MainQueue, platform::Initial::Skip);
}

std::vector<QPointF> PolygonEditOverlay::handles(const DrawingStroke& stroke) const {
    const Outline o = outlineOf(stroke);
    std::vector<HandleRef> refs;
    return vertexAndArmHandles(o.vertices, o.in, o.out, refs);
}

std::vector<std::pair<QPointF, QPointF>> PolygonEditOverlay::arms(const DrawingStroke& stroke) const {
    const Outline o = outlineOf(stroke);
    std::vector<std::pair<QPointF, QPointF>> lines;
    for (std::size_t i = 0; i < o.vertices.size(); ++i) {
        if (!isZero(o.in[i])) lines.emplace_back(o.vertices[i], o.vertices[i] + o.in[i]);
        if (!isZero(o.out[i])) lines.emplace_back(o.vertices[i], o.vertices[i] + o.out[i]);
    }
    return lines;
}

DrawingStroke PolygonEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    Outline o = outlineOf(start);
    std::vector<HandleRef> refs;
    vertexAndArmHandles(o.vertices, o.in, o.out, refs);
    if (handle >= refs.size()) return start;
    dragHandle(o.vertices, o.in, o.out, refs[handle], to);
    return withOutline(start, std::move(o));
}

bool PolygonEditOverlay::toggleVertexAt(QPointF point) {
    platform::assertMainThread("PolygonEditOverlay::toggleVertexAt");
    Outline o = outlineOf(stroke());
    const auto i = edit_handles::handleAt(o.vertices, toStroke(point));
    if (!i) return false;
    if (isZero(o.in[*i]) && isZero(o.out[*i])) {
        std::tie(o.in[*i], o.out[*i]) = smoothArms(o.vertices, *i, true);
    } else {
        o.in[*i] = o.out[*i] = QPointF();
    }
    bool anySmooth = false;
    for (std::size_t k = 0; k < o.vertices.size(); ++k) anySmooth = anySmooth || !isZero(o.in[k]) || !isZero(o.out[k]);
    const DrawingStroke toggled = withOutline(stroke(), std::move(o));
    setStroke(toggled);
    QPointer<PolygonEditOverlay> self(this);
    if (state_.isBezierEditing.get() != anySmooth) state_.isBezierEditing = anySmooth;
    if (self) report(toggled);
    return true;
}
