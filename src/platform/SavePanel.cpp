#include "platform/SavePanel.h"

#include "platform/Dispatch.h"
#include "platform/KeyboardDialog.h"
#include "platform/NameOnlyIconProvider.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {
SavePanel::Runner& runner() {
    static SavePanel::Runner r;
    return r;
}
} // namespace

SavePanel::Result SavePanel::runModal() {
    assertMainThread("SavePanel::runModal");
    if (runner()) return runner()(*this);
    KeyboardDialog<QFileDialog> dialog(nullptr, title, directory);
    // Set before the first listing arrives: no file of a browsed folder is read.
    dialog.setIconProvider(&NameOnlyIconProvider::shared());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!canCreateDirectories) dialog.setOption(QFileDialog::ReadOnly);
    if (const QString filter = fileNameFilter(allowedExtensions); !filter.isEmpty()) dialog.setNameFilter(filter);
    if (!allowedExtensions.isEmpty()) dialog.setDefaultSuffix(allowedExtensions.front());
    if (!prompt.isEmpty()) dialog.setLabelText(QFileDialog::Accept, prompt);
    if (!nameFieldStringValue.isEmpty()) dialog.selectFile(nameFieldStringValue);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    Result result;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        result.response = ModalResponse::ok;
        result.path = dialog.selectedFiles().front();
    }
    return result;
}

void SavePanel::setRunnerForTesting(Runner r) { runner() = std::move(r); }

} // namespace platform
