#pragma once

// Anchor references: where the control that opened a panel is.

#include "platform/Geometry.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Where the control that opened a panel is, so the panel can open beside
// it. Holds the control's view weakly: once the view is gone the anchor is
// empty and the panel opens at its fallback place.
class AnchorRef {
public:
    // For an anchor that is not a widget of ours (the tray icon, which the
    // tray host places): reports its frame, or none.
    using ExternalFrame = std::function<std::optional<platform::Rect>()>;

    AnchorRef() = default;
    explicit AnchorRef(ExternalFrame externalFrame) : externalFrame_(std::move(externalFrame)) {}

    QPointer<QWidget> nsView;

    bool isEmpty() const { return !nsView && !externalFrame_; }
    // The anchor's frame in screen space.
    std::optional<platform::Rect> frameOnScreen() const;

private:
    ExternalFrame externalFrame_;
};

// A plain view laid behind a toolbar control (filling the control's frame)
// that makes itself the anchor's view. It draws nothing and takes no input.
class SwatchAnchorView : public QWidget {
public:
    explicit SwatchAnchorView(std::shared_ptr<AnchorRef> ref, QWidget* parent = nullptr);

    const std::shared_ptr<AnchorRef>& ref() const { return ref_; }

protected:
    bool event(QEvent* e) override;

private:
    std::shared_ptr<AnchorRef> ref_;
};
