#pragma once

// What the program logs, as it reaches standard error (the copy every log
// line gets besides the system log), captured for the assertions of a test.

#include <QString>

#include <cstdio>

namespace testing_support {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Everything written to standard error since the capture began.
    QString text() const;
    // The lines that contain every one of `parts`.
    int countLines(std::initializer_list<QString> parts) const;

private:
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

} // namespace testing_support
