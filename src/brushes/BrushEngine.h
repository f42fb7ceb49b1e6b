#pragma once

// The brush engine's painters, as the stroke renderer calls them: imported
// brush cells stamped along a stroke, the textured chalk and watercolour
// strokes with their process-wide stamp cache, the tinting they share, and
// the brush preview. Each painter draws into the painter it is given, in the
// stroke's own coordinates (the renderer has already applied the stroke's
// offset), leaves the painter's state as it found it, and repaints a stroke
// with identical pixels. Their drawn extents are in geometry/BrushReach.h.

#include "model/BrushRecords.h"
#include "platform/Color.h"

#include <QImage>
#include <QPointF>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;
struct DrawingStroke;

namespace brushEngine {

// Kinds of textured stroke.
inline constexpr int kChalkKind = 0;
inline constexpr int kWatercolorKind = 1;

// ---- Tinting ----

// Tinted images larger than this on a side are refused: no brush or stroke
// width needs them, and each would cost 64 MB or more.
inline constexpr int kMaxTintedSide = 4096;

// Tinted images are for drawing, in the format the raster painter blends
// fastest.
inline constexpr QImage::Format kTintedImageFormat = QImage::Format_ARGB32_Premultiplied;

// The mask scaled by `scale` (each side to the nearest pixel, at least 1) and
// coloured: every pixel becomes the colour premultiplied by the mask's
// coverage (its alpha byte); red, green and blue are 0…1 and used as they
// are. None for a null mask, a non-finite scale or a side beyond
// kMaxTintedSide. Any thread.
std::optional<QImage> tintedImage(const QImage& mask, double scale, double red, double green, double blue);

// The opacity a stroke colour is drawn with: its alpha within 0…1, 1 when it
// is not a number.
double colorAlpha(const Color& color);

// ---- Stamps ----

// One stamp: its centre, the image it draws, its rotation in radians and
// its opacity factor.
struct StampPlacement {
    QPointF pos;
    int ci = 0;
    double angle = 0;
    double alpha = 1;
};

// ---- Imported brushes ----

// The cell of stamp `index` by the stroke's cell selection: sequential
// index mod n, constant 0, angular by the direction of travel, random by a
// hash of the stroke's identifier and the index (so a repaint picks the
// same cells). 0 without cells.
int pickCell(std::int64_t index, const std::vector<QImage>& cells, const DrawingStroke& stroke, double angle);

// Where the cells go along the stroke: the first at the first point, then
// one every max(D × gimpSpacing / 100, 1) points of path length (D the
// larger side of the first cell), rotated to the segment's direction, fading
// out over the last 15 % of strokes longer than one point. Empty without
// points or cells.
std::vector<StampPlacement> gimpBrushStamps(const DrawingStroke& stroke, const std::vector<QImage>& cells);

// Draws each cell centred on its position at its own pixel size (one pixel
// per point), with opacity fade × colourAlpha × the painter's opacity.
void drawStamps(const std::vector<StampPlacement>& stamps, const std::vector<QImage>& cells, double colourAlpha,
                QPainter& painter);

// Stamps the stroke's points with `cells`: brush cells already scaled to the
// stroke width and tinted in its colour (DrawingState::tintedStamps). The
// colour's alpha is applied per stamp.
void drawGIMPBrushStroke(const DrawingStroke& stroke, const std::vector<QImage>& cells, QPainter& painter);

// ---- Chalk and watercolour ----

struct StampCacheKey {
    int kind = 0;
    int size = 0;     // pixels, 8…384
    int colorKey = 0; // R << 16 | G << 8 | B
    friend bool operator==(const StampCacheKey&, const StampCacheKey&) = default;
};

// The cache key of a stroke's stamps: pixel size twice the rounded line
// width within 8…384, the colour's bytes truncated. None when the line width
// is not a finite number.
std::optional<StampCacheKey> stampCacheKey(int kind, double lineWidth, const Color& color);

// The walk: one stamp at the first point, then one every max(f × lineWidth,
// 0.75) of path length; picture, vertical jitter and opacity from a hash of
// the stamp counter and the first point, rotation slowly swaying around a
// base angle from the same seed. Empty without points or images, or when the
// first point or the width is not a usable number.
std::vector<StampPlacement> texturedStamps(const DrawingStroke& stroke, int kind, int imageCount);

// Draws each image into a lineWidth square centred on its position, with
// the stamp's opacity times the painter's.
void drawStampsAlongPath(const std::vector<StampPlacement>& stamps, const std::vector<QImage>& images, double lineWidth,
                         QPainter& painter);

// A chalk (kChalkKind) or watercolour (kWatercolorKind) stroke along the
// stroke's points, `lineWidth` wide.
void drawTexturedStroke(const DrawingStroke& stroke, int kind, QPainter& painter);

// The coloured stamp variants (up to four) of a kind, line width and colour,
// from the process-wide cache. Uncoloured masks are kept per kind and pixel
// size, so a new colour costs a tint, not a regeneration. At most 48 colour
// entries (the oldest inserted goes first), and everything within the shared
// stamp budget. Any thread.
std::vector<QImage> stampImage(int kind, double lineWidth, const Color& color);

// The chalk mask: a scatter of soft white polygon chips. n = max(size, 8).
std::optional<QImage> shapeMask(int size, int variant);
// The watercolour mask: a circular wash with a darker rim.
std::optional<QImage> noiseStamp(int size, int variant);

inline constexpr std::size_t kMaxTexturedColourEntries = 48;

struct TexturedStampCacheStats {
    std::size_t colourEntries = 0;
    std::size_t maskEntries = 0;
    std::size_t bytes = 0;
    std::uint64_t maskBuilds = 0; // mask sets generated since start (or the last clear)
    std::uint64_t tintBuilds = 0; // coloured sets made
};
TexturedStampCacheStats texturedStampCacheStats();
bool texturedStampCacheContains(const StampCacheKey& key);
// Empties the cache and its counters.
void clearTexturedStampCache();

// ---- Preview ----

// Stamps of a preview W × H pixels wide with `cellCount` prepared cells whose
// first has the larger side d: a wave crossing the image twice, a stamp every
// tenth of d, fading in over the first and out over the last 15 %. In the
// bitmap's own coordinates, origin at the bottom left.
std::vector<StampPlacement> previewStamps(int cellCount, GIMPCellSelection selection, double d, QSize size);

// The brush's cells painted black along the sample wave on opaque white;
// none without cells or for an empty size. Touches no shared state.
std::optional<QImage> renderBrushPreview(const std::vector<QImage>& cells, GIMPCellSelection selection, QSize size);

} // namespace brushEngine
