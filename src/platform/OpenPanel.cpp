#include "platform/OpenPanel.h"

#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "platform/KeyboardDialog.h"
#include "platform/NameOnlyIconProvider.h"

#include <QFileDialog>

namespace platform {

namespace {
OpenPanel::Presenter& presenter() {
    static OpenPanel::Presenter p;
    return p;
}
} // namespace

QString fileNameFilter(const QStringList& extensions) {
    if (extensions.isEmpty()) return {};
    QStringList globs;
    for (const QString& e : extensions) globs << QStringLiteral("*.") + e;
    return globs.join(' ');
}

void OpenPanel::begin(Completion completion) {
    assertMainThread("OpenPanel::begin");
    if (presenter()) {
        presenter()(*this, std::move(completion));
        return;
    }
    auto* dialog = new KeyboardDialog<QFileDialog>(
        nullptr, title.isEmpty() ? message : (message.isEmpty() ? title : title + QStringLiteral(" — ") + message),
        directory);
    // Set before the first listing arrives: no file of a browsed folder is read.
    dialog->setIconProvider(&NameOnlyIconProvider::shared());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (canChooseDirectories && !canChooseFiles) dialog->setFileMode(QFileDialog::Directory);
    else dialog->setFileMode(allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (const QString filter = fileNameFilter(allowedExtensions); !filter.isEmpty()) dialog->setNameFilter(filter);
    if (!prompt.isEmpty()) dialog->setLabelText(QFileDialog::Accept, prompt);
    dialog->setModal(false);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion = std::move(completion)](int result) {
        const bool ok = result == QDialog::Accepted;
        completion(ok ? ModalResponse::ok : ModalResponse::cancel, ok ? dialog->selectedFiles() : QStringList());
        // As a closing panel does, the keyboard goes back to the window of
        // ours that had it (Esc and the editing keys need it there), if it
        // has not gone there already.
        Application::shared().activate();
    });
    dialog->show();
    dialog->raise();
}

void OpenPanel::setPresenterForTesting(Presenter p) { presenter() = std::move(p); }

} // namespace platform
