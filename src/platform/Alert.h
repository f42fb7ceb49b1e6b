#pragma once

// Modal alerts with buttons.

#include <QString>

#include <functional>
#include <vector>

namespace platform {

// A modal message with buttons. runModal() answers 1000 + the index of the
// button pressed, buttons counted in the order they were added; the first is
// the default (Return), one titled "Cancel" answers Esc.
class Alert {
public:
    enum class Style { warning, informational, critical };
    static constexpr int kFirstButtonReturn = 1000;
    static constexpr int kSecondButtonReturn = 1001;
    static constexpr int kThirdButtonReturn = 1002;

    QString messageText;
    QString informativeText;
    Style alertStyle = Style::warning;

    void addButton(const QString& title) { buttons_.push_back(title); }
    const std::vector<QString>& buttons() const { return buttons_; }

    int runModal();

    // Tests answer alerts instead of showing them; an empty runner restores
    // the real dialog. The runner gets the alert and returns the response.
    using Runner = std::function<int(const Alert&)>;
    static void setRunnerForTesting(Runner runner);

private:
    std::vector<QString> buttons_;
};

} // namespace platform
