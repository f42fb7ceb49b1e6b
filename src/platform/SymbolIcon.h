#pragma once

// The program's own symbol set, tinted when drawn.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace platform {

// Our own symbol set (resources/symbols/<name>.svg): black line art on
// transparency, tinted when drawn.
bool hasSymbol(const QString& name);
// The symbol's file, or empty when there is none.
QString symbolPath(const QString& name);
// The symbol in `tint`, fitted into `size` (logical pixels) at the given
// device pixel ratio; a null pixmap for an unknown name.
QPixmap symbolPixmap(const QString& name, QSize size, const QColor& tint, qreal devicePixelRatio = 1.0);
// An icon of the symbol in one tint, rendered sharp at every requested size.
QIcon symbolIcon(const QString& name, const QColor& tint = QColor(Qt::black));
// Draws the symbol into `rect`, centred and kept square.
void drawSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& tint);

} // namespace platform
