#pragma once

// The modal chooser of a file to write.

#include "platform/OpenPanel.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// A modal chooser of one file to write.
class SavePanel {
public:
    QString title;
    QString prompt;
    QString nameFieldStringValue;
    bool canCreateDirectories = true;
    // Extensions without the dot; the first is added to a name without one.
    QStringList allowedExtensions;
    QString directory;

    struct Result {
        ModalResponse response = ModalResponse::cancel;
        std::optional<QString> path;
    };
    Result runModal();

    using Runner = std::function<Result(const SavePanel&)>;
    static void setRunnerForTesting(Runner runner);
};

} // namespace platform
