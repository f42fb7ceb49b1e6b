#pragma once

// Where the parts of an open text box lie: its font size and lines (the
// same layout its committed text stroke gets), the caret, the handles, and
// the frames that moving, resizing and rotating give it. Canvas
// coordinates; the box turns about its centre.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <optional>

class TextEditing;

inline constexpr double kTextBoxMinimumSide = 30;
inline constexpr double kTextBoxHandleRadius = 8; // reach of a corner or rotate handle
inline constexpr double kTextBoxBorderBand = 6;   // reach of the border, either side
inline constexpr double kTextBoxRotateHandleLift = 26;

enum class TextBoxPart { none, inside, border, topLeft, topRight, bottomRight, bottomLeft, rotate };

struct TextBoxGeometry {
    QRectF frame;
    double rotation = 0; // degrees
    QString text;
    QString fontName;
    double explicitFontSize = 0;

    // The size the text is drawn at: the explicit one, else fitted.
    double fontSize() const;
    QTransform transform() const;
    // A canvas point in the unturned box's space.
    QPointF toLocal(QPointF canvasPoint) const;

    double lineLeft() const { return frame.left() + 4; }
    double lineTop(int line) const;
    double lineHeight() const;
    // Unturned caret at `position` of the editor's text.
    QRectF caretRect(const TextEditing& editing, qsizetype position) const;
    // The text position nearest an unturned point.
    qsizetype positionAt(const TextEditing& editing, QPointF local) const;
    qsizetype positionOnLine(const TextEditing& editing, int line, double x) const;

    // The corner or handle at `k` (topLeft … bottomLeft, rotate), unturned.
    QPointF handleLocal(TextBoxPart part) const;
    TextBoxPart partAt(QPointF canvasPoint) const;
    // Canvas bounds of the box with its handles.
    QRectF paintedBounds() const;
};

// Canvas position of the point at `anchor` (fractions of width and height)
// of `frame` turned by `rotation` about its centre.
QPointF anchorPoint(const QRectF& frame, double rotation, QPointF anchor);
// The frame of `size` turned by `rotation` whose `anchor` lies at `at`.
QRectF frameAnchoredAt(QSizeF size, double rotation, QPointF anchor, QPointF at);
// The frame after dragging `corner` to `pointer`: the opposite corner
// stays put, the sides stay turned, neither side gets below 30.
QRectF resizedFrame(const QRectF& frame, double rotation, TextBoxPart corner, QPointF pointer);
// The rotation that puts the rotate handle (straight above the centre)
// towards `pointer`, in (−180, 180].
double rotationTowards(const QRectF& frame, QPointF pointer);
// The size a box that follows its text has: as wide as the text needs at
// the box's font size (one "M" when empty), as high as a new box or as its
// lines need.
QSizeF autoBoxSize(const QString& text, const QString& fontName, double textFontSize);

// Whether a box holding `text` at `fontSize` (0: the automatic size, which a
// box that follows its text draws at a new box's size) is one that followed
// its text when it was made: as high as following makes it and no wider than
// its text needs there (a box placed by a drag, or resized by hand, is
// neither). Re-opened, such a box follows its text again, so that typing on
// neither squeezes the text into the old box nor carries it off the display.
bool boxFollowedItsText(const QRectF& frame, const QString& text, const QString& fontName, double fontSize);

// Where a box that follows its text goes: `wanted` grown from the turned
// top-left corner of `frame`, no wider than its turned outline can be
// within `bounds`, and moved as little as it takes to lie within them (a
// box that reaches the right edge widens to the left from there).
// `textFitted`: the text wants more width than that, so it is fitted into
// the box.
struct FollowedTextFrame {
    QRectF frame;
    bool textFitted = false;
};
FollowedTextFrame followedTextFrame(const QRectF& frame, double rotation, QSizeF wanted,
                                    const std::optional<QRectF>& bounds);

// The explicit font size a box's text is drawn and committed with: the
// chosen one (0: fitted to the box), but no larger than the box holds once
// its text is fitted into it.
double boxExplicitFontSize(double chosen, bool textFitted, const QString& text, const QRectF& frame,
                           const QString& fontName);
