#pragma once

// Scripted input and screen reading for the x11 tests (xdotool, root grabs).

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

namespace testing_support {

// Runs xdotool with the arguments and waits for it; true on success.
bool xdotool(const QStringList& args);
// Absolute pointer move in root coordinates, then a short pause so the
// server and the window manager have seen it (relative moves lose events).
void moveMouse(int x, int y);
void moveMouse(QPoint p);
void clickAt(int x, int y, int button = 1);
void pressKey(const QString& keys);

// The whole root window as the server shows it.
QImage grabRoot();

} // namespace testing_support
