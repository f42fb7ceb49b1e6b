// Polygon vertex and arm editing.

#include "canvas/overlays/PolygonEditOverlay.h"

#include "canvas/overlays/EditHandles.h"
#include "model/Algorithms.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QPointer>

using namespace bezier_geometry;

namespace {

// A polygon's vertices with their arms.
ArmedVertices outlineOf(const DrawingStroke& s) { return ArmedVertices::of(s, polygonVertices(s)); }

DrawingStroke withOutline(const DrawingStroke& s, ArmedVertices o) {
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
    return outlineOf(stroke).handles();
}

std::vector<std::pair<QPointF, QPointF>> PolygonEditOverlay::arms(const DrawingStroke& stroke) const {
    return outlineOf(stroke).armLines();
}

DrawingStroke PolygonEditOverlay::dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const {
    ArmedVertices o = outlineOf(start);
    if (!o.drag(handle, to)) return start;
    return withOutline(start, std::move(o));
}

bool PolygonEditOverlay::toggleVertexAt(QPointF point) {
    platform::assertMainThread("PolygonEditOverlay::toggleVertexAt");
    ArmedVertices o = outlineOf(stroke());
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
