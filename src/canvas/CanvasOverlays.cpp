#include "canvas/CanvasOverlays.h"

#include "canvas/overlays/TextToolLayer.h"

#include <QWidget>

void presentOverlay(CanvasOverlay& overlay) {
    QWidget* w = overlay.widget();
    w->setGeometry(w->parentWidget()->rect());
    w->show();
}

namespace {

// The overlays built so far: the text tool layer; the others are not shown.
class BuiltOverlayFactory : public CanvasOverlayFactory {
public:
    std::unique_ptr<CanvasOverlay> makeBezierPenDrawingOverlay(DrawingState&, StrokeHandler, QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makeBezierPenEditOverlay(const DrawingStroke&, StrokeHandler, Action,
                                                                QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makeLineEditOverlay(const DrawingStroke&, StrokeHandler, QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makeShapeEditOverlay(const DrawingStroke&, StrokeHandler, QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makeEllipseEditOverlay(const DrawingStroke&, StrokeHandler,
                                                              QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makePolygonEditOverlay(DrawingState&, const DrawingStroke&, StrokeHandler,
                                                              QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<StrokeEditOverlay> makeFreehandEditOverlay(DrawingState&, const DrawingStroke&, StrokeHandler,
                                                               QWidget*) override {
        return nullptr;
    }
    std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& textBox, Action onCommit,
                                                     QWidget* parent) override {
        return ::makeTextToolLayer(state, textBox, std::move(onCommit), parent);
    }
};

} // namespace

std::shared_ptr<CanvasOverlayFactory> defaultCanvasOverlayFactory() {
    static const auto factory = std::make_shared<BuiltOverlayFactory>();
    return factory;
}
