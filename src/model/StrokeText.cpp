#include "model/StrokeText.h"

#include "model/DrawingStroke.h"

TextLayout layoutText(const DrawingStroke& stroke) {
    return layoutText(stroke.startPoint, stroke.endPoint, stroke.text, stroke.fontName, stroke.explicitFontSize,
                      stroke.rotationDegrees);
}

bool textStroke(const DrawingStroke& stroke, QPointF p) {
    if (stroke.text.isEmpty()) return false;
    return layoutText(stroke).contains(p);
}
