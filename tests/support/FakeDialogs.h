#pragma once

// Alerts and file panels answered by the test instead of a person. Each fake
// installs itself for its lifetime and records what was shown.

#include "platform/Alert.h"
#include "platform/Dispatch.h"
#include "platform/OpenPanel.h"
#include "platform/SavePanel.h"

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

class FakeAlerts {
public:
    FakeAlerts() {
        platform::Alert::setRunnerForTesting([this](const platform::Alert& a) {
            shown.push_back(a);
            if (whileShown) whileShown(a);
            if (answers_.empty()) return platform::Alert::kFirstButtonReturn;
            const int r = answers_.front();
            answers_.pop_front();
            return r;
        });
    }
    ~FakeAlerts() { platform::Alert::setRunnerForTesting(nullptr); }
    // Queues the response of the next alert (default: the first button).
    void answer(int response) { answers_.push_back(response); }

    std::vector<platform::Alert> shown;
    // Runs while an alert is "up", e.g. to look at the windows behind it.
    std::function<void(const platform::Alert&)> whileShown;

private:
    std::deque<int> answers_;
};

// Open panels complete on the next turn of the event loop, as the real
// non-modal panel does; unanswered ones are cancelled.
class FakeOpenPanels {
public:
    FakeOpenPanels() {
        platform::OpenPanel::setPresenterForTesting(
            [this](const platform::OpenPanel& p, platform::OpenPanel::Completion done) {
                shown.push_back(p);
                Answer a = answers_.empty() ? Answer{} : answers_.front();
                if (!answers_.empty()) answers_.pop_front();
                platform::dispatchMain([done = std::move(done), a] { done(a.response, a.paths); });
            });
    }
    ~FakeOpenPanels() { platform::OpenPanel::setPresenterForTesting(nullptr); }
    void answer(platform::ModalResponse response, QStringList paths = {}) { answers_.push_back({response, paths}); }

    std::vector<platform::OpenPanel> shown;

private:
    struct Answer {
        platform::ModalResponse response = platform::ModalResponse::cancel;
        QStringList paths;
    };
    std::deque<Answer> answers_;
};

class FakeSavePanels {
public:
    FakeSavePanels() {
        platform::SavePanel::setRunnerForTesting([this](const platform::SavePanel& p) {
            shown.push_back(p);
            if (whileShown) whileShown(p);
            platform::SavePanel::Result r;
            if (answers_.empty()) return r;
            if (!answers_.front().isNull()) {
                r.response = platform::ModalResponse::ok;
                r.path = answers_.front();
            }
            answers_.pop_front();
            return r;
        });
    }
    ~FakeSavePanels() { platform::SavePanel::setRunnerForTesting(nullptr); }
    void answer(const QString& path) { answers_.push_back(path.isNull() ? QString("") : path); }
    void cancel() { answers_.push_back(QString()); }

    std::vector<platform::SavePanel> shown;
    // Runs while a panel is "up".
    std::function<void(const platform::SavePanel&)> whileShown;

private:
    std::deque<QString> answers_; // null: cancelled
};

} // namespace testing_support
