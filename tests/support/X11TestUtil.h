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

#include <QProcess>

#include <memory>
#include <vector>

namespace testing_support {

// An ordinary window of another process (tests/platform/ClickRecorder.cpp)
// that reports the presses it receives.
class ExternalWindow {
public:
    ExternalWindow(const QString& program, const QRect& geometry);
    ~ExternalWindow();
    bool ready() const { return window_ != 0; }
    unsigned long window() const { return window_; }
    // Presses seen so far, in root coordinates.
    const std::vector<QPoint>& presses();
    // Waits until a press arrived at about `at` (within 2 px).
    bool waitForPress(QPoint at, int timeoutMs = 3000);
    void clearPresses() { presses_.clear(); }

private:
    void read();
    std::unique_ptr<QProcess> process_;
    QByteArray buffer_;
    unsigned long window_ = 0;
    std::vector<QPoint> presses_;
};

} // namespace testing_support
