#include "app/OverlayCanvas.h"

#include "model/DrawingState.h"

#include <QWidget>

QWidget* makeOverlayCanvas(const std::shared_ptr<DrawingState>& state, platform::DisplayID displayID,
                           QWidget* parent) {
    (void)state;
    (void)displayID;
    // Until the canvas lands: a transparent view that takes the clicks the
    // overlay routes to it and draws nothing.
    auto* view = new QWidget(parent);
    view->setAttribute(Qt::WA_NoSystemBackground);
    view->setObjectName(QStringLiteral("overlayCanvasPlaceholder"));
    return view;
}
