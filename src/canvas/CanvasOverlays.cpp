// Presenting overlays, and the factory new canvases use.

#include "canvas/CanvasOverlays.h"

#include "canvas/overlays/EditOverlayFactory.h"

#include <QWidget>

void presentOverlay(CanvasOverlay& overlay) {
    QWidget* w = overlay.widget();
    w->setGeometry(w->parentWidget()->rect());
    w->show();
}

std::shared_ptr<CanvasOverlayFactory> defaultCanvasOverlayFactory() { return std::make_shared<EditOverlayFactory>(); }
