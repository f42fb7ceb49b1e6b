// Layout, handles and frame changes of the open text box.

#include "canvas/overlays/TextBoxGeometry.h"

#include "canvas/overlays/TextEditing.h"
#include "geometry/TextLayout.h"
#include "platform/CanvasRect.h"
#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// A new box is this high, and fits one line of the default size.
constexpr double kNewBoxHeight = 70;
constexpr double kNewBoxTextHeight = 54;

QPointF turned(QPointF v, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a), s = std::sin(a);
    return QPointF(v.x() * c - v.y() * s, v.x() * s + v.y() * c);
}

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

} // namespace

double TextBoxGeometry::fontSize() const {
    if (explicitFontSize > 0) return explicitFontSize;
    const double w = std::max(std::abs(frame.width()) - kTextBoxInset, 1.0);
    const double h = std::max(std::abs(frame.height()) - kTextBoxInset, 1.0);
    return textSize(text, w, h, fontName);
}

QTransform TextBoxGeometry::transform() const {
    TextLayout layout;
    layout.center = frame.center();
    layout.rotationDegrees = rotation;
    return layout.transform();
}

QPointF TextBoxGeometry::toLocal(QPointF canvasPoint) const {
    return rotatePoint(canvasPoint, frame.center(), rotation);
}

double TextBoxGeometry::lineTop(int line) const {
    return frame.top() + kTextLineOrigin + line * kTextLineStep * fontSize();
}

double TextBoxGeometry::lineHeight() const { return measureTextLine(QString(), fontName, fontSize()).height(); }

QRectF TextBoxGeometry::caretRect(const TextEditing& editing, qsizetype position) const {
    const int line = editing.lineOf(position);
    const QString before = editing.text().mid(editing.lineStart(line), position - editing.lineStart(line));
    const double x = lineLeft() + measureTextLine(before, fontName, fontSize()).width();
    return QRectF(x, lineTop(line), 0, lineHeight());
}

qsizetype TextBoxGeometry::positionOnLine(const TextEditing& editing, int line, double x) const {
    line = std::clamp(line, 0, editing.lineCount() - 1);
    const qsizetype start = editing.lineStart(line), end = editing.lineEnd(line);
    const double fs = fontSize();
    qsizetype best = start;
    double bestDistance = std::abs(x - lineLeft());
    for (qsizetype p = editing.nextBoundary(start); p <= end && p > start;) {
        const double px = lineLeft() + measureTextLine(editing.text().mid(start, p - start), fontName, fs).width();
        const double d = std::abs(x - px);
        if (d < bestDistance) {
            best = p;
            bestDistance = d;
        }
        if (p == end) break;
        p = editing.nextBoundary(p);
    }
    return best;
}

qsizetype TextBoxGeometry::positionAt(const TextEditing& editing, QPointF local) const {
    const double step = kTextLineStep * fontSize();
    const int line = step > 0 ? static_cast<int>(std::floor((local.y() - lineTop(0)) / step)) : 0;
    return positionOnLine(editing, line, local.x());
}

QPointF TextBoxGeometry::handleLocal(TextBoxPart part) const {
    switch (part) {
    case TextBoxPart::topLeft: return frame.topLeft();
    case TextBoxPart::topRight: return QPointF(frame.right(), frame.top());
    case TextBoxPart::bottomRight: return QPointF(frame.right(), frame.bottom());
    case TextBoxPart::bottomLeft: return QPointF(frame.left(), frame.bottom());
    case TextBoxPart::rotate: return QPointF(frame.center().x(), frame.top() - kTextBoxRotateHandleLift);
    default: return frame.center();
    }
}

TextBoxPart TextBoxGeometry::partAt(QPointF canvasPoint) const {
    const QPointF q = toLocal(canvasPoint);
    // Handles win over the border they sit on.
    for (TextBoxPart part : {TextBoxPart::rotate, TextBoxPart::topLeft, TextBoxPart::topRight, TextBoxPart::bottomRight,
                             TextBoxPart::bottomLeft}) {
        if (distance(q, handleLocal(part)) <= kTextBoxHandleRadius) return part;
    }
    constexpr double b = kTextBoxBorderBand;
    const QRectF outer = frame.adjusted(-b, -b, b, b);
    if (!platform::canvasContains(outer, q)) return TextBoxPart::none;
    const QRectF inner = frame.adjusted(b, b, -b, -b);
    if (inner.isValid() && platform::canvasContains(inner, q)) return TextBoxPart::inside;
    return TextBoxPart::border;
}

QRectF TextBoxGeometry::paintedBounds() const {
    const double m = kTextBoxHandleRadius + 2;
    QRectF local = frame.adjusted(-m, -m - kTextBoxRotateHandleLift, m, m);
    // The text may run past a box that was made smaller than it.
    const TextLayout layout = layoutText(frame.topLeft(), frame.bottomRight(), text, fontName, explicitFontSize, 0);
    local = local.united(layout.inkExtent().adjusted(-2, -2, 2, 2));
    return transform().mapRect(local);
}

QPointF anchorPoint(const QRectF& frame, double rotation, QPointF anchor) {
    const QPointF fromCenter((anchor.x() - 0.5) * frame.width(), (anchor.y() - 0.5) * frame.height());
    return frame.center() + turned(fromCenter, rotation);
}

QRectF frameAnchoredAt(QSizeF size, double rotation, QPointF anchor, QPointF at) {
    const QPointF fromCenter((anchor.x() - 0.5) * size.width(), (anchor.y() - 0.5) * size.height());
    const QPointF center = at - turned(fromCenter, rotation);
    return QRectF(center.x() - size.width() / 2, center.y() - size.height() / 2, size.width(), size.height());
}

QRectF resizedFrame(const QRectF& frame, double rotation, TextBoxPart corner, QPointF pointer) {
    // The dragged corner's place as fractions of the box, and its opposite.
    QPointF dragged;
    switch (corner) {
    case TextBoxPart::topLeft: dragged = QPointF(0, 0); break;
    case TextBoxPart::topRight: dragged = QPointF(1, 0); break;
    case TextBoxPart::bottomRight: dragged = QPointF(1, 1); break;
    case TextBoxPart::bottomLeft: dragged = QPointF(0, 1); break;
    default: return frame;
    }
    const QPointF fixed(1 - dragged.x(), 1 - dragged.y());
    const QPointF pinned = anchorPoint(frame, rotation, fixed);
    // The pointer in the box's own axes, from the fixed corner.
    const QPointF d = turned(pointer - pinned, -rotation);
    const double sx = dragged.x() > fixed.x() ? 1 : -1;
    const double sy = dragged.y() > fixed.y() ? 1 : -1;
    double w = sx * d.x(), h = sy * d.y();
    if (!std::isfinite(w) || !std::isfinite(h)) return frame;
    w = std::max(w, kTextBoxMinimumSide);
    h = std::max(h, kTextBoxMinimumSide);
    return frameAnchoredAt(QSizeF(w, h), rotation, fixed, pinned);
}

double rotationTowards(const QRectF& frame, QPointF pointer) {
    const QPointF d = pointer - frame.center();
    if (d.x() == 0 && d.y() == 0) return 0;
    // The handle sits straight up (−90° in y-down space) at no rotation.
    double degrees = std::atan2(d.y(), d.x()) * 180 / std::numbers::pi + 90;
    while (degrees > 180) degrees -= 360;
    while (degrees <= -180) degrees += 360;
    return degrees;
}

QSizeF autoBoxSize(const QString& text, const QString& fontName, double textFontSize) {
    const double lines = static_cast<double>(std::max<qsizetype>(text.count(QLatin1Char('\n')) + 1, 1));
    const double fitted = std::max(kNewBoxTextHeight / kTextLineStep, kTextMinimumFittedSize);
    const double fs = textFontSize > 0 ? textFontSize : fitted;
    const double width = std::max(textBoxSize(text, fontName, fs), textBoxSize(QStringLiteral("M"), fontName, fs));
    const double height = std::max(kNewBoxHeight, lines * kTextLineStep * fs + kTextBoxInset);
    return QSizeF(width, height);
}

bool boxFollowedItsText(const QRectF& frame, const QString& text, const QString& fontName, double fontSize) {
    if (text.isEmpty()) return false;
    const QSizeF wanted = autoBoxSize(text, fontName, fontSize);
    const QRectF box = frame.normalized();
    // A box stopped at its display's edge had its text fitted to it, a few
    // points narrower than the box: no wider than the text wants, then.
    constexpr double kSlack = 1;
    return std::abs(box.height() - wanted.height()) <= kSlack && box.width() <= wanted.width() + kSlack;
}

FollowedTextFrame followedTextFrame(const QRectF& frame, double rotation, QSizeF wanted,
                                    const std::optional<QRectF>& bounds) {
    const QPointF topLeft(0, 0);
    const QPointF corner = anchorPoint(frame, rotation, topLeft);
    if (!bounds || bounds->isEmpty()) return {frameAnchoredAt(wanted, rotation, topLeft, corner), false};
    // The widest box at this height whose turned outline fits the bounds.
    const double a = rotation * std::numbers::pi / 180;
    const double c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
    constexpr double kNoTurn = 1e-9;
    double widest = std::numeric_limits<double>::infinity();
    if (c > kNoTurn) widest = std::min(widest, (bounds->width() - wanted.height() * s) / c);
    if (s > kNoTurn) widest = std::min(widest, (bounds->height() - wanted.height() * c) / s);
    widest = std::max(widest, kTextBoxMinimumSide);
    const bool fitted = wanted.width() > widest;
    const QSizeF size(std::min(wanted.width(), widest), wanted.height());
    const QRectF grown = frameAnchoredAt(size, rotation, topLeft, corner);

    TextLayout turn;
    turn.center = grown.center();
    turn.rotationDegrees = rotation;
    const QRectF outline = turn.transform().mapRect(grown);
    // An outline larger than the bounds keeps its left and top edges (y
    // down: the smaller coordinates) inside, where the text begins.
    const platform::Rect from(outline.x(), outline.y(), outline.width(), outline.height());
    const platform::Rect kept =
        platform::keptInside(from, platform::Rect(bounds->x(), bounds->y(), bounds->width(), bounds->height()),
                             {platform::KeptEdge::minEdge, platform::KeptEdge::minEdge});
    return {grown.translated(kept.origin.x - from.origin.x, kept.origin.y - from.origin.y), fitted};
}

double boxExplicitFontSize(double chosen, bool textFitted, const QString& text, const QRectF& frame,
                           const QString& fontName) {
    if (chosen <= 0 || !textFitted) return chosen;
    const double w = std::max(std::abs(frame.width()) - kTextBoxInset, 1.0);
    const double h = std::max(std::abs(frame.height()) - kTextBoxInset, 1.0);
    return std::min(chosen, textSize(text, w, h, fontName));
}
