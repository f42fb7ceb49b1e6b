#pragma once

// The application's icon: one drawing (icons/overink.svg among the
// resources), rendered at whatever pixel size a window, the about panel or
// the installed icon theme asks for.

#include <QIcon>
#include <QImage>
#include <QString>

#include <array>

namespace platform {
class Bundle;
}

namespace ApplicationIcon {

// The sizes of the rendered icon kept in the icon theme and in the window
// icon, smallest first.
inline constexpr std::array<int, 8> kRenditionSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// The drawing's file among the bundle's resources; empty when it is missing.
QString path(const platform::Bundle& bundle);
// The drawing at `pixels` × `pixels`, transparent around the tile; a null
// image when the file is missing or cannot be read, or the size is not
// positive.
QImage render(const QString& svgPath, int pixels);
// Every rendition, for window lists, task switchers and the about panel; an
// empty icon when the drawing is missing.
QIcon icon(const platform::Bundle& bundle);

} // namespace ApplicationIcon
