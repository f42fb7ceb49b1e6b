#pragma once

// The text box of one canvas: where it is, whether it is open, the text typed
// into it and its rotation. The canvas owns it and hands it to the text tool
// layer, which edits it in place; whoever changes it, `changed` follows once
// the box is whole again.

#include "platform/Signal.h"

#include <QRectF>
#include <QString>

#include <optional>

class TextBox {
public:
    TextBox() = default;
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;

    // Canvas coordinates. Kept after the box closes.
    const QRectF& frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    bool isActive() const { return active_; }
    void setActive(bool active);
    const QString& pendingText() const { return pendingText_; }
    void setPendingText(const QString& text);
    // Degrees.
    double pendingRotation() const { return pendingRotation_; }
    void setPendingRotation(double degrees);

    // Where a box that follows its text may reach: the visible part of its
    // display, canvas coordinates; none: anywhere.
    const std::optional<QRectF>& bounds() const { return bounds_; }
    void setBounds(std::optional<QRectF> bounds) { bounds_ = bounds; }
    // The box stopped at the bounds' width although its text wants more: the
    // text is fitted into it, as in a resized box, never drawn larger than
    // the box holds.
    bool isTextFitted() const { return textFitted_; }
    void setTextFitted(bool fitted);

    // Opens the box at `frame` holding `text`, turned by `rotation`.
    void open(const QRectF& frame, const QString& text, double rotation);
    // Closes the box and empties it; the frame stays.
    void close();

    platform::Signal<> changed;

private:
    QRectF frame_;
    bool active_ = false;
    QString pendingText_;
    double pendingRotation_ = 0;
    std::optional<QRectF> bounds_;
    bool textFitted_ = false;
};
