#pragma once

// The modal chooser of files to open.

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

enum class ModalResponse { cancel = 0, ok = 1 };

// A file-dialog name filter of the extensions ("*.gbr *.gih"); empty for
// none.
QString fileNameFilter(const QStringList& extensions);

// A file chooser that does not block: begin() shows it and calls back with
// the response and the chosen files.
class OpenPanel {
public:
    bool allowsMultipleSelection = false;
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    QString title;
    QString message; // shown under the title
    QString prompt;  // the confirming button
    // File-name extensions without the dot; empty accepts any file.
    QStringList allowedExtensions;
    QString directory;

    using Completion = std::function<void(ModalResponse, const QStringList& paths)>;
    void begin(Completion completion);

    // Tests answer panels instead of showing them; an empty presenter
    // restores the real dialog. The presenter must call the completion once.
    using Presenter = std::function<void(const OpenPanel&, Completion)>;
    static void setPresenterForTesting(Presenter presenter);
};

} // namespace platform
