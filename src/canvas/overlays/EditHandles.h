#pragma once

// The round handles every edit overlay shows and the test that picks the one
// under the pointer.

#include <QColor>
#include <QPointF>

#include <optional>
#include <vector>

class QPainter;
class QWidget;

namespace edit_handles {

inline constexpr double kDiameter = 10;
// A press strictly closer than this to a handle's centre takes the handle.
inline constexpr double kHitRadius = 12;

double distance(QPointF a, QPointF b);

// The handle nearest to `point` among those within kHitRadius; of equally
// near ones, the last (it is drawn on top).
std::optional<std::size_t> handleAt(const std::vector<QPointF>& handles, QPointF point);

// How handles are drawn on a widget: outlined in its highlight colour, and
// shown solid where its window shows its pixels so (see SolidPixels).
struct Look {
    QColor accent;
    bool solid = false;
};
Look lookOf(const QWidget& widget);

// A white disc with an accent outline.
void paintHandle(QPainter& painter, QPointF centre, const Look& look);
// A thin accent line from a vertex to one of its arms' handles.
void paintArm(QPainter& painter, QPointF vertex, QPointF tip, const Look& look);

} // namespace edit_handles
