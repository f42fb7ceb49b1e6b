#pragma once

// One drawn item and its fields.

#include "geometry/Points.h"
#include "model/BrushRecords.h"
#include "model/DrawingTool.h"
#include "model/ErasureStamp.h"
#include "model/SharedVector.h"
#include "platform/Color.h"
#include "platform/ScreenProvider.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QUuid>

#include <optional>
#include <type_traits>
#include <vector>

// One drawn item. Its tool decides which fields matter; every place that
// creates a stroke starts from these defaults. Coordinates are the overlay's
// canvas coordinates (y grows downward).
struct DrawingStroke {
    QUuid id = QUuid::createUuid();
    // Display the stroke belongs to; 0 counts as the first screen's.
    platform::DisplayID displayID = 0;
    // Pointer samples of the freehand tools and of an eraser pass; a bezier
    // path's anchors.
    SharedVector<QPointF> points;
    DrawingTool tool = DrawingTool::pen;
    // Opacity included.
    Color color = Color::red();
    double lineWidth = 11;
    // Line and arrow ends; opposite corners of a shape's frame or a text box;
    // first and last anchor of a bezier path.
    QPointF startPoint;
    QPointF endPoint;
    QString text;
    // Empty: the system font.
    QString fontName;
    // 0: the text is fitted to its box.
    double explicitFontSize = 0;
    double rotationDegrees = 0;
    // A curved line's quadratic control point; none: straight.
    std::optional<QPointF> controlPoint;
    // Move-tool translation not yet baked into the geometry.
    QSizeF offset{0, 0};
    // Edited polygon vertices (none: the regular shape of the frame); a
    // bezier path's anchors.
    std::optional<std::vector<QPointF>> customVertices;
    // Per vertex, the Bézier arms as offsets from the vertex; zero = no arm.
    std::optional<std::vector<QPointF>> bezierHandleIn;
    std::optional<std::vector<QPointF>> bezierHandleOut;
    std::optional<QUuid> gimpBrushID;
    // Stamp spacing, percent of the brush diameter.
    double gimpSpacing = 25.0;
    GIMPCellSelection gimpCellSelection = GIMPCellSelection::sequential;
    // Dabs cut out of this stroke, oldest first.
    SharedVector<ErasureStamp> erasures;

    // Moves the geometry (points, ends, control point, vertices, dab centres)
    // by the pending offset and clears it. The Bézier arms are relative to
    // their vertices and stay.
    void bakeOffset();
    // The area of points, ends and vertices, grown by the full line width on
    // every side. Ignores the control point, the arms, the offset and the text.
    QRectF boundingRect() const;

    // Every field compared exactly.
    friend bool operator==(const DrawingStroke& a, const DrawingStroke& b);
};

// The stroke list grows by moving its elements, never by copying them.
static_assert(std::is_nothrow_move_constructible_v<DrawingStroke>);
