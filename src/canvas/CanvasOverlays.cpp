#include "canvas/CanvasOverlays.h"

#include <QWidget>

void presentOverlay(CanvasOverlay& overlay) {
    QWidget* w = overlay.widget();
    w->setGeometry(w->parentWidget()->rect());
    w->show();
}

std::shared_ptr<CanvasOverlayFactory> defaultCanvasOverlayFactory() { return nullptr; }
