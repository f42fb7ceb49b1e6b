#pragma once

// The drawing as a window shows it without a compositing manager, where
// each pixel is either shown at full opacity or not at all.
//
// A stroke covers a pixel as far as its own alpha there reaches its opacity
// (the cover, 255 for a pixel at the stroke's whole opacity). A pixel is
// shown where some stroke covers it at least half, in the colour the drawing
// has there un-premultiplied; elsewhere it is left out. So every stroke,
// however translucent, shows with hard edges and its own colour, and where
// strokes overlap the one that covers the pixel decides, not the soft edge of
// another drawn over it.

#include "platform/Color.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>

class QPainter;
class QWidget;

// Whether the window holding `widget` shows its pixels solid: one shaped
// to them, without a compositing manager.
bool isShownSolid(const QWidget& widget);

// Covers from this on are shown.
inline constexpr int kHalfCover = 128;

// The alpha (0 to 255) a stroke of colour `color` is painted with where it
// paints fully.
int strokeOpacity255(const Color& color);

// The cover a pixel of alpha `alpha` gives a stroke painted with opacity
// `opacity255`; none for a stroke that paints nothing.
int coverOf(int alpha, int opacity255);

// An 8-bit image of covers, all none.
QImage emptyCover(QSize size);

// Raises each cover of `cover` within `area` to the one that the pixel of
// `own` gives a stroke of opacity `opacity255`, `own` holding that stroke's
// own pixels with its pixel (0, 0) at `ownAt`.
void raiseCover(QImage& cover, const QRect& area, const QImage& own, QPoint ownAt, int opacity255);

// Lowers each cover of `cover` within `area` as an eraser whose dabs are the
// alpha of `cut` (its pixel (0, 0) at `cutAt`) takes the strokes' pixels
// away.
void cutCover(QImage& cover, const QRect& area, const QImage& cut, QPoint cutAt);

// Turns `image` within `area` into what is shown: where the cover (of
// `cover`, its pixel (0, 0) at `coverAt`) is at least half, the pixel's
// colour un-premultiplied at full opacity; elsewhere nothing. A null
// `cover` covers nothing.
void makeSolid(QImage& image, const QRect& area, const QImage& cover, QPoint coverAt);

// Paints what `draw` paints within `area` (the painter's coordinates) onto
// `painter` as the window shows it: as it is, or, `solid`, through a layer
// whose pixels are each laid on at full opacity in their colour
// (un-premultiplied) where their alpha is at least half and left out
// otherwise. For the editing chrome (frames, handles, guides), which no
// stroke's cover holds. `draw` gets a painter with this one's transform and
// render hints; it draws translucent pieces in shownColour, so that half
// means half of their own opacity.
void paintShown(QPainter& painter, bool solid, const QRectF& area, const std::function<void(QPainter&)>& draw);

// `colour` as chrome shown solid draws it: at full opacity.
QColor shownColour(QColor colour, bool solid);
