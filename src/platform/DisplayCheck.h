#pragma once

// Whether an X display answers, asked before Qt opens it: Qt itself aborts
// without one, with a message that points nowhere near the cause.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace platform {

// None when the display `name` (DISPLAY's form) accepts a connection within
// `timeout`; otherwise what is wrong, as a phrase ("no X display (DISPLAY is
// not set)").
std::optional<QString> displayProblem(const QByteArray& name,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(5));

// One line for the terminal: the problem and what to do about it.
QString noDisplayMessage(const QString& problem);

} // namespace platform
