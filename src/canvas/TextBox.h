#pragma once

// The text box of one canvas: where it is, whether it is open, the text typed
// into it and its rotation. The canvas owns it and hands it to the text tool
// layer, which edits it in place; whoever changes it, `changed` follows once
// the box is whole again.

#include "platform/Signal.h"

#include <QRectF>
#include <QString>

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
};
