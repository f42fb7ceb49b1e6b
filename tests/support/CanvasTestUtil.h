#pragma once

// Driving a canvas in tests: a clock advanced by hand, an overlay factory
// that records what the canvas asks for, and the canvas's pixels.

#include "canvas/CanvasClock.h"
#include "canvas/CanvasOverlays.h"
#include "canvas/DrawingCanvasView.h"
#include "canvas/TextBox.h"
#include "support/TestUtil.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

class ManualClock : public CanvasClock {
public:
    TimePoint now() const override { return now_; }

    void after(double seconds, QObject* context, std::function<void()> work) override {
        pending_.push_back({now_ + toDuration(seconds), QPointer<QObject>(context), std::move(work)});
    }

    // Moves time on and runs what fell due, in order.
    void advance(double seconds) {
        now_ += toDuration(seconds);
        std::vector<Pending> due, later;
        for (auto& p : pending_) (p.at <= now_ ? due : later).push_back(std::move(p));
        pending_ = std::move(later);
        std::sort(due.begin(), due.end(), [](const Pending& a, const Pending& b) { return a.at < b.at; });
        for (auto& p : due)
            if (p.context) p.work();
    }

private:
    struct Pending {
        TimePoint at;
        QPointer<QObject> context;
        std::function<void()> work;
    };
    static std::chrono::steady_clock::duration toDuration(double seconds) {
        return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    }
    TimePoint now_ = TimePoint(std::chrono::hours(1000));
    std::vector<Pending> pending_;
};

// Overlays that are plain widgets; the factory keeps a log of what was made
// and the callbacks each was given.
class RecordingOverlayFactory : public CanvasOverlayFactory {
public:
    struct Overlay : StrokeEditOverlay {
        explicit Overlay(QWidget* parent, std::string kind) : view(new QWidget(parent)), kind(std::move(kind)) {
            view->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        ~Overlay() override { delete view; }
        QWidget* widget() override { return view; }
        void setStroke(const DrawingStroke& s) override { stroke = s; }

        QPointer<QWidget> view;
        std::string kind;
        std::optional<DrawingStroke> stroke;
        StrokeHandler onStroke;
        Action onAction;
        TextBox* textBox = nullptr;
    };

    std::vector<std::string> made;
    // The overlays alive now, by kind.
    std::map<std::string, Overlay*> live;

    Overlay* overlay(const std::string& kind) const {
        const auto it = live.find(kind);
        return it == live.end() ? nullptr : it->second;
    }

    std::unique_ptr<CanvasOverlay> makeBezierPenDrawingOverlay(DrawingState&, StrokeHandler onFinished,
                                                               QWidget* parent) override {
        std::unique_ptr<StrokeEditOverlay> o = make("bezierDrawing", parent, std::move(onFinished), {}, {});
        return o;
    }
    std::unique_ptr<StrokeEditOverlay> makeBezierPenEditOverlay(const DrawingStroke& s, StrokeHandler onUpdate,
                                                                Action onOutsideTap, QWidget* parent) override {
        return make("bezierEdit", parent, std::move(onUpdate), std::move(onOutsideTap), s);
    }
    std::unique_ptr<StrokeEditOverlay> makeLineEditOverlay(const DrawingStroke& s, StrokeHandler onUpdate,
                                                           QWidget* parent) override {
        return make("line", parent, std::move(onUpdate), {}, s);
    }
    std::unique_ptr<StrokeEditOverlay> makeShapeEditOverlay(const DrawingStroke& s, StrokeHandler onUpdate,
                                                            QWidget* parent) override {
        return make("shape", parent, std::move(onUpdate), {}, s);
    }
    std::unique_ptr<StrokeEditOverlay> makeEllipseEditOverlay(const DrawingStroke& s, StrokeHandler onUpdate,
                                                              QWidget* parent) override {
        return make("ellipse", parent, std::move(onUpdate), {}, s);
    }
    std::unique_ptr<StrokeEditOverlay> makePolygonEditOverlay(DrawingState&, const DrawingStroke& s,
                                                              StrokeHandler onUpdate, QWidget* parent) override {
        return make("polygon", parent, std::move(onUpdate), {}, s);
    }
    std::unique_ptr<StrokeEditOverlay> makeFreehandEditOverlay(DrawingState&, const DrawingStroke& s,
                                                               StrokeHandler onUpdate, QWidget* parent) override {
        return make("freehand", parent, std::move(onUpdate), {}, s);
    }
    std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState&, TextBox& box, Action onCommit,
                                                     QWidget* parent) override {
        auto o = make("text", parent, {}, std::move(onCommit), {});
        o->textBox = &box;
        return o;
    }

private:
    // Removes itself from the live map when the canvas lets it go.
    struct Tracked : Overlay {
        Tracked(QWidget* parent, std::string kind, RecordingOverlayFactory* owner)
            : Overlay(parent, std::move(kind)), owner(owner) {}
        ~Tracked() override {
            const auto it = owner->live.find(this->kind);
            if (it != owner->live.end() && it->second == this) owner->live.erase(it);
        }
        RecordingOverlayFactory* owner;
    };

    std::unique_ptr<Tracked> make(const std::string& kind, QWidget* parent, StrokeHandler onStroke, Action onAction,
                                  std::optional<DrawingStroke> stroke) {
        auto o = std::make_unique<Tracked>(parent, kind, this);
        o->onStroke = std::move(onStroke);
        o->onAction = std::move(onAction);
        o->stroke = std::move(stroke);
        made.push_back(kind);
        live[kind] = o.get();
        return o;
    }
};

// Collects the regions a widget repaints, once installed as its event filter.
struct PaintLog : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

// What the canvas shows, over a transparent background.
inline QImage canvasImage(QWidget& canvas) {
    QImage img(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    canvas.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace testing_support
