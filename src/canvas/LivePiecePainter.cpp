#include "canvas/LivePiecePainter.h"

#include "brushes/BrushEngine.h"
#include "canvas/StrokePainters.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "geometry/ExtentBuilder.h"
#include "geometry/FreehandGeometry.h"
#include "model/Algorithms.h"
#include "model/StrokeExtent.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace drawing = brushEngine;

namespace {

// The fields that decide how every piece of a stroke looks.
bool sameStyle(const DrawingStroke& a, const DrawingStroke& b) {
    return a.tool == b.tool && a.color == b.color && a.lineWidth == b.lineWidth && a.gimpBrushID == b.gimpBrushID &&
           a.gimpSpacing == b.gimpSpacing && a.gimpCellSelection == b.gimpCellSelection;
}

DrawingStroke styleOf(const DrawingStroke& s) {
    DrawingStroke style = s;
    style.points.clear();
    style.erasures.clear();
    return style;
}

// Whether `drawn` is where `now` begins, sample for sample.
bool startsWith(const std::vector<QPointF>& now, const std::vector<QPointF>& drawn) {
    return drawn.size() <= now.size() &&
           (drawn.empty() || std::memcmp(now.data(), drawn.data(), drawn.size() * sizeof(QPointF)) == 0);
}

// Keeps the samples seen so far, to check that later strokes extend them.
struct SeenPoints {
    std::vector<QPointF> points;
    bool extendedBy(const DrawingStroke& s) const { return startsWith(s.points, points); }
    void catchUp(const DrawingStroke& s) {
        if (points.size() < s.points.size())
            points.insert(points.end(), s.points.begin() + static_cast<std::ptrdiff_t>(points.size()), s.points.end());
    }
};

QColor opaque(const Color& c) { return c.withAlpha(1).toQColor(); }

// Where the samples from `from` on can reach with `reach` around them.
QRectF reachOf(const std::vector<QPointF>& p, std::size_t from, std::size_t to, double reach) {
    ExtentBuilder b;
    for (std::size_t i = from; i < to && i < p.size(); ++i) b.add(p[i], reach);
    return b.rect();
}

// ---- Whole strokes: lines, arrows, shapes, anything small ----

class WholeStrokePainter : public LivePiecePainter {
public:
    WholeStrokePainter(const DrawingStroke& stroke, const std::vector<QImage>& stamps)
        : style_(styleOf(stroke)), stamps_(stamps), opaque_(paintsOneOutline(stroke, stamps)) {}

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>& stamps) override {
        stroke_ = &stroke;
        return sameStyle(stroke, style_) && sameStampImages(stamps, stamps_);
    }

    QRectF drawFinal(QPainter&) override { return QRectF(); }

    QRectF tailExtent() override { return shownDrawnExtent(*stroke_); }

    void drawTail(QPainter& painter) override {
        painter.save();
        if (opaque_) {
            DrawingStroke copy = *stroke_;
            copy.color.a = 1;
            drawStroke(copy, painter, stamps_);
        } else {
            drawStroke(*stroke_, painter, stamps_);
        }
        painter.restore();
    }

private:
    DrawingStroke style_;
    std::vector<QImage> stamps_;
    bool opaque_;
    const DrawingStroke* stroke_ = nullptr;
};

// ---- The pen: runs of its smooth path ----

class PenPieces : public LivePiecePainter {
public:
    explicit PenPieces(const DrawingStroke& stroke) : style_(styleOf(stroke)), colour_(opaque(stroke.color)) {}

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>& stamps) override {
        if (!sameStyle(stroke, style_) || !stamps.empty() || !startsWith(stroke.points, drawnFrom_)) return false;
        points_ = &stroke.points.get();
        learnSettling(*points_);
        // Smoothing may still move the last samples; their pieces wait.
        const std::size_t n = points_->size();
        last_ = n >= settling_ + 3 ? n - settling_ - 2 : 0;
        return true;
    }

    QRectF finalExtent() override {
        if (last_ <= done_) return QRectF();
        return reachOf(*points_, from() - 1, last_ + 2, style_.lineWidth / 2 + 1);
    }

    QRectF drawFinal(QPainter& painter) override {
        if (last_ <= done_) return QRectF();
        const QRectF drawn = finalExtent();
        QPainterPath path;
        addSmoothPathPieces(*points_, from(), last_, path);
        strokeRoundPath(path, colour_, style_.lineWidth, painter);
        done_ = last_;
        drawnFrom_.insert(drawnFrom_.end(), points_->begin() + static_cast<std::ptrdiff_t>(drawnFrom_.size()),
                          points_->begin() + static_cast<std::ptrdiff_t>(last_ + 2));
        return drawn;
    }

    QRectF tailExtent() override {
        if (points_->size() < 2) return QRectF();
        return reachOf(*points_, from() - 1, points_->size(), style_.lineWidth / 2 + 1);
    }

    void drawTail(QPainter& painter) override {
        if (points_->size() < 2) return;
        QPainterPath path;
        addSmoothPathPieces(*points_, from(), points_->size() - 1, path);
        strokeRoundPath(path, colour_, style_.lineWidth, painter);
    }

private:
    // Smoothing redraws the path's end as samples arrive: at most this many
    // of the last smoothed samples are not yet taken as settled.
    static constexpr std::size_t kSettling = 48;
    // How far back a smoothing moves points is fixed by its kind; once a
    // long enough path has shown it, the unsettled end (the tail drawn
    // afresh every frame) shrinks to that. Should a point move farther back
    // after all, the drawn prefix no longer matches and the stroke is drawn
    // anew: never wrong, only slower.
    static constexpr int kLearningUpdates = 8;
    static constexpr std::size_t kSettlingMargin = 4;
    void learnSettling(const std::vector<QPointF>& now) {
        if (!recent_.empty() && recentStart_ + recent_.size() <= now.size()) {
            std::size_t depth = 0;
            for (std::size_t i = 0; i < recent_.size(); ++i) {
                if (now[recentStart_ + i] != recent_[i]) {
                    depth = recent_.size() - i;
                    break;
                }
            }
            maxDepth_ = std::max(maxDepth_, depth);
            // Only paths longer than any reach count: a short one cannot
            // show how far back a change goes.
            if (recentStart_ > 0) ++updates_;
        }
        recentStart_ = now.size() > kSettling ? now.size() - kSettling : 0;
        recent_.assign(now.begin() + static_cast<std::ptrdiff_t>(recentStart_), now.end());
        settling_ = updates_ >= kLearningUpdates && maxDepth_ + kSettlingMargin < kSettling
                        ? maxDepth_ + kSettlingMargin
                        : kSettling;
    }
    std::vector<QPointF> recent_; // the last points of the previous update
    std::size_t recentStart_ = 0; // their index in the path
    std::size_t maxDepth_ = 0;    // the farthest back a point moved
    int updates_ = 0;
    std::size_t settling_ = kSettling;
    // The next run begins one piece back, inside what is drawn.
    std::size_t from() const { return std::max<std::size_t>(1, done_); }

    DrawingStroke style_;
    QColor colour_;
    const std::vector<QPointF>* points_ = nullptr;
    std::size_t last_ = 0;           // the last piece settled now
    std::size_t done_ = 0;           // pieces 1 … done_ are drawn
    std::vector<QPointF> drawnFrom_; // the samples they were drawn from
};

// ---- The eraser: dabs, each laid once ----

class EraserPieces : public LivePiecePainter {
public:
    explicit EraserPieces(const DrawingStroke& stroke) : style_(styleOf(stroke)) {}

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>&) override {
        stroke_ = &stroke;
        return sameStyle(stroke, style_) && seen_.extendedBy(stroke);
    }

    QRectF drawFinal(QPainter& painter) override {
        const std::vector<ErasureStamp> dabs = continueEraserDabs(*stroke_, walk_);
        seen_.catchUp(*stroke_);
        // White dabs gather in the layer; the canvas cuts the layer out of
        // the strokes beneath.
        drawErasures(dabs, painter);
        ExtentBuilder b;
        for (const ErasureStamp& d : dabs) b.add(d.center, d.radius + 1);
        return b.rect();
    }

    QRectF tailExtent() override { return QRectF(); }
    void drawTail(QPainter&) override {}

private:
    DrawingStroke style_;
    const DrawingStroke* stroke_ = nullptr;
    EraserDabWalk walk_;
    SeenPoints seen_;
};

// ---- Stamped strokes: brush cells, chalk, watercolour ----

bool samePlacement(const drawing::StampPlacement& a, const drawing::StampPlacement& b) {
    return a.pos.x() == b.pos.x() && a.pos.y() == b.pos.y() && a.ci == b.ci && a.angle == b.angle && a.alpha == b.alpha;
}

class StampPieces : public LivePiecePainter {
public:
    // Brush cells when `cells` is not empty, else the textured kind.
    StampPieces(const DrawingStroke& stroke, const std::vector<QImage>& cells, int kind)
        : style_(styleOf(stroke)), cells_(cells), brush_(!cells.empty()), kind_(kind) {
        images_ = brush_ ? cells_ : drawing::stampImage(kind_, stroke.lineWidth, stroke.color);
        const double side = brush_ && !images_.empty() ? std::hypot(images_.front().width(), images_.front().height())
                                                       : std::abs(stroke.lineWidth) * std::sqrt(2.0);
        reach_ = side / 2 + 1;
    }

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>& stamps) override {
        if (!sameStyle(stroke, style_) || !sameStampImages(stamps, cells_)) return false;
        stroke_ = &stroke;
        current_ = brush_ ? drawing::gimpBrushStamps(stroke, cells_)
                          : drawing::texturedStamps(stroke, kind_, static_cast<int>(images_.size()));
        if (current_.size() < drawn_.size()) return false;
        for (std::size_t i = 0; i < drawn_.size(); ++i)
            if (!samePlacement(current_[i], drawn_[i])) return false;
        // A brush stroke fades out over its last stretch, which moves on as
        // it grows: stamps drawn at full strength keep it.
        settled_ = current_.size();
        if (brush_) {
            settled_ = 0;
            while (settled_ < current_.size() && current_[settled_].alpha == 1) ++settled_;
            if (settled_ == current_.size()) settled_ -= std::min<std::size_t>(settled_, 2);
        }
        settled_ = std::max(settled_, drawn_.size());
        return true;
    }

    QRectF drawFinal(QPainter& painter) override {
        if (settled_ <= drawn_.size()) return QRectF();
        const std::vector<drawing::StampPlacement> fresh(current_.begin() + static_cast<std::ptrdiff_t>(drawn_.size()),
                                                         current_.begin() + static_cast<std::ptrdiff_t>(settled_));
        draw(fresh, painter);
        drawn_.insert(drawn_.end(), fresh.begin(), fresh.end());
        return extentOf(fresh);
    }

    QRectF tailExtent() override {
        tail_.assign(current_.begin() + static_cast<std::ptrdiff_t>(drawn_.size()), current_.end());
        return extentOf(tail_);
    }

    void drawTail(QPainter& painter) override { draw(tail_, painter); }

private:
    void draw(const std::vector<drawing::StampPlacement>& stamps, QPainter& painter) const {
        if (stamps.empty()) return;
        if (brush_) drawing::drawStamps(stamps, images_, drawing::colorAlpha(stroke_->color), painter);
        else drawing::drawStampsAlongPath(stamps, images_, stroke_->lineWidth, painter);
    }

    QRectF extentOf(const std::vector<drawing::StampPlacement>& stamps) const {
        ExtentBuilder b;
        for (const auto& s : stamps) b.add(s.pos, reach_);
        return b.rect();
    }

    DrawingStroke style_;
    std::vector<QImage> cells_;
    std::vector<QImage> images_;
    bool brush_;
    int kind_;
    double reach_ = 1;
    const DrawingStroke* stroke_ = nullptr;
    std::vector<drawing::StampPlacement> current_;
    std::size_t settled_ = 0;
    std::vector<drawing::StampPlacement> drawn_;
    std::vector<drawing::StampPlacement> tail_;
};

// ---- Calligraphy: runs of nib segments ----

class CalligraphyPieces : public LivePiecePainter {
public:
    explicit CalligraphyPieces(const DrawingStroke& stroke) : style_(styleOf(stroke)), opaqueStyle_(style_) {
        opaqueStyle_.color.a = 1;
    }

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>&) override {
        if (!sameStyle(stroke, style_) || !seen_.extendedBy(stroke)) return false;
        for (std::size_t i = seen_.points.size(); i < stroke.points.size(); ++i)
            if (distinct_.empty() || !samePoint(distinct_.back(), stroke.points[i]))
                distinct_.push_back(stroke.points[i]);
        seen_.catchUp(stroke);
        // Each segment depends only on its own samples and the one before,
        // so every segment is final at once.
        run_ = opaqueStyle_;
        const std::size_t segments = distinct_.size() < 2 ? 0 : distinct_.size() - 1;
        if (segments > done_) {
            // One segment back, inside what is drawn.
            const std::size_t from = done_ == 0 ? 0 : done_ - 1;
            run_.points.assign(distinct_.begin() + static_cast<std::ptrdiff_t>(from), distinct_.end());
        }
        return true;
    }

    QRectF finalExtent() override {
        return run_.points.empty() ? QRectF() : calligraphyExtent(run_.points, run_.lineWidth).adjusted(-1, -1, 1, 1);
    }

    QRectF drawFinal(QPainter& painter) override {
        if (run_.points.empty()) return QRectF();
        drawCalligraphyStroke(run_, painter);
        done_ = distinct_.size() - 1;
        const QRectF drawn = finalExtent();
        run_.points.clear();
        return drawn;
    }

    // A touch without travel shows the nib's imprint until the pointer moves.
    QRectF tailExtent() override {
        if (distinct_.size() != 1) return QRectF();
        return calligraphyExtent(distinct_, opaqueStyle_.lineWidth).adjusted(-1, -1, 1, 1);
    }

    void drawTail(QPainter& painter) override {
        if (distinct_.size() != 1) return;
        DrawingStroke dot = opaqueStyle_;
        dot.points = distinct_;
        drawCalligraphyStroke(dot, painter);
    }

private:
    DrawingStroke style_;
    DrawingStroke opaqueStyle_;
    DrawingStroke run_;
    SeenPoints seen_;
    std::vector<QPointF> distinct_;
    std::size_t done_ = 0; // segments drawn
};

// ---- The brush pen: settled segments of its outline ----

class BrushPenPieces : public LivePiecePainter {
public:
    explicit BrushPenPieces(const DrawingStroke& stroke) : style_(styleOf(stroke)), colour_(opaque(stroke.color)) {}

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>& stamps) override {
        if (!sameStyle(stroke, style_) || !stamps.empty() || !seen_.extendedBy(stroke)) return false;
        seen_.catchUp(stroke);
        shape_ = brushPenShape(stroke.points, stroke.lineWidth);
        // Segment i is settled once the sample after it is known and sample
        // i + 1 lies beyond the end taper's reach.
        const std::size_t n = shape_.points.size();
        settled_ = done_;
        if (n >= 3) {
            const double total = shape_.travelled.back();
            while (settled_ + 2 < n && total - shape_.travelled[settled_ + 1] >= shape_.taper) ++settled_;
        }
        return true;
    }

    QRectF finalExtent() override {
        if (settled_ <= done_) return QRectF();
        return reachOf(shape_.points, from(), settled_ + 1, shape_.width / 2 + 1);
    }

    QRectF drawFinal(QPainter& painter) override {
        if (settled_ <= done_) return QRectF();
        const QRectF drawn = finalExtent();
        QPainterPath path;
        addBrushPenSegments(shape_, from(), settled_, path);
        fill(path, painter);
        done_ = settled_;
        return drawn;
    }

    QRectF tailExtent() override {
        if (shape_.points.empty()) return QRectF();
        return reachOf(shape_.points, from(), shape_.points.size(), shape_.width / 2 + 1);
    }

    void drawTail(QPainter& painter) override {
        const std::size_t n = shape_.points.size();
        if (n == 0) return;
        QPainterPath path;
        if (n == 1) path.addEllipse(shape_.points[0], shape_.width / 2, shape_.width / 2);
        else addBrushPenSegments(shape_, from(), n - 1, path);
        fill(path, painter);
    }

private:
    // The next run begins one segment back, inside what is drawn.
    std::size_t from() const { return done_ == 0 ? 0 : done_ - 1; }
    void fill(const QPainterPath& path, QPainter& painter) const {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(path, colour_);
        painter.restore();
    }

    DrawingStroke style_;
    QColor colour_;
    SeenPoints seen_;
    BrushPenShape shape_;
    std::size_t settled_ = 0;
    std::size_t done_ = 0; // segments 0 … done_ − 1 are drawn
};

// ---- The airbrush: soft dabs and speckles, each laid once ----

class AirbrushPieces : public LivePiecePainter {
public:
    explicit AirbrushPieces(const DrawingStroke& stroke) : style_(styleOf(stroke)) {}

    bool accept(const DrawingStroke& stroke, const std::vector<QImage>&) override {
        stroke_ = &stroke;
        return sameStyle(stroke, style_) && seen_.extendedBy(stroke);
    }

    QRectF drawFinal(QPainter& painter) override {
        seen_.catchUp(*stroke_);
        return drawAirbrushStrokeFrom(*stroke_, painter, progress_).adjusted(-1, -1, 1, 1);
    }

    QRectF tailExtent() override { return QRectF(); }
    void drawTail(QPainter&) override {}

private:
    DrawingStroke style_;
    const DrawingStroke* stroke_ = nullptr;
    SeenPoints seen_;
    AirbrushProgress progress_;
};

} // namespace

bool paintsOneOutline(const DrawingStroke& stroke, const std::vector<QImage>& stamps) {
    if (!stamps.empty()) return false;
    switch (stroke.tool) {
    case DrawingTool::airbrush:
    case DrawingTool::watercolorBrush:
    case DrawingTool::chalk:
    case DrawingTool::eraser: return false;
    default: return true;
    }
}

std::unique_ptr<LivePiecePainter> makeLivePiecePainter(const DrawingStroke& stroke, const std::vector<QImage>& stamps) {
    if (!stamps.empty()) return std::make_unique<StampPieces>(stroke, stamps, 0);
    switch (stroke.tool) {
    case DrawingTool::pen: return std::make_unique<PenPieces>(stroke);
    case DrawingTool::eraser: return std::make_unique<EraserPieces>(stroke);
    case DrawingTool::calligraphyBrush: return std::make_unique<CalligraphyPieces>(stroke);
    case DrawingTool::brushPen:
    case DrawingTool::gimpBrush: return std::make_unique<BrushPenPieces>(stroke);
    case DrawingTool::airbrush: return std::make_unique<AirbrushPieces>(stroke);
    case DrawingTool::chalk: return std::make_unique<StampPieces>(stroke, stamps, drawing::kChalkKind);
    case DrawingTool::watercolorBrush: return std::make_unique<StampPieces>(stroke, stamps, drawing::kWatercolorKind);
    default: return std::make_unique<WholeStrokePainter>(stroke, stamps);
    }
}
