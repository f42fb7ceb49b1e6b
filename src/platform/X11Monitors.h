#pragma once

// The X screen's RandR monitors, as both the screen list and the screen grab
// read them, so that both name each display the same way.

#include "platform/ScreenProvider.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace platform::x11 {

struct Monitor {
    QRect rect; // root coordinates, device pixels
    DisplayID id = 0;
    QString name;
    bool primary = false;
};

// Primary first; empty without an X connection or RandR monitors. A
// monitor's identifier is its first output, or its name atom when it has
// none. When the server lists no monitor, the whole root is one, named and
// identified by the primary (else the first) output.
std::vector<Monitor> monitors();

// The root window's size now (the connection's setup keeps the size it had
// when the program started); empty without an X connection.
QSize rootSize();

// Qt's global coordinates are logical pixels; the X root's are device pixels.
double rootScaleFactor();
QRect logicalRect(const QRect& device, double scale);

} // namespace platform::x11
