#pragma once

// Whether an X display answers, asked before Qt opens it: Qt itself aborts
// without one, with a message that points nowhere near the cause.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

struct xcb_connection_t;

namespace platform {

// The program's own connection to the display, made before Qt's and kept
// open while the check lives: a server resets once its last client has
// gone, dropping whoever connects meanwhile (Qt, a moment later), and a
// server that goes away closes it.
class DisplayCheck {
public:
    // Connects to the display `name` (DISPLAY's form) within `timeout`.
    explicit DisplayCheck(const QByteArray& name, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // None when the display accepted the connection; otherwise what is
    // wrong, as a phrase ("no X display (DISPLAY is not set)").
    const std::optional<QString>& problem() const { return problem_; }
    // Whether the server has closed the connection, or closes it within
    // `wait`; true when there was none.
    bool serverGone(std::chrono::milliseconds wait) const;

private:
    std::optional<QString> problem_;
    xcb_connection_t* connection_ = nullptr;
};

// The check alone: its problem, the connection closed at once.
std::optional<QString> displayProblem(const QByteArray& name,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(5));

// One line for the terminal: the problem and what to do about it.
QString noDisplayMessage(const QString& problem);

} // namespace platform
