// The brush library's texts and actions over the drawing state.
#include "toolbar/GIMPBrushLibraryModel.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/OpenPanel.h"
#include "ui/DismissBox.h"

#include <algorithm>

GIMPBrushLibraryModel::GIMPBrushLibraryModel(std::shared_ptr<DrawingState> state,
                                             std::shared_ptr<DismissBox> dismissBox)
    : state_(std::move(state)), dismissBox_(std::move(dismissBox)) {}

std::vector<ImportedGIMPBrush> GIMPBrushLibraryModel::brushes() const { return state_->sortedGIMPBrushes(); }

std::vector<ImportedGIMPBrush> GIMPBrushLibraryModel::userBrushes() const {
    std::vector<ImportedGIMPBrush> own;
    for (const auto& b : state_->importedGIMPBrushes.get())
        if (!b.bundledSourceID) own.push_back(b);
    return own;
}

bool GIMPBrushLibraryModel::isEmpty() const { return state_->importedGIMPBrushes->empty(); }

QString GIMPBrushLibraryModel::emptyText() const {
    if (state_->selectedTool.get() == DrawingTool::gimpBrush)
        return QStringLiteral("Import a brush above, then select it to start drawing.");
    return QStringLiteral("No brushes imported yet");
}

QString GIMPBrushLibraryModel::titleText(qsizetype brushCount) {
    return QStringLiteral("Brushes (%1)").arg(brushCount);
}

QString GIMPBrushLibraryModel::title() const { return titleText(qsizetype(state_->importedGIMPBrushes->size())); }

bool GIMPBrushLibraryModel::canClearAll() const { return !userBrushes().empty(); }

QString GIMPBrushLibraryModel::clearAllHelpText(qsizetype userBrushCount) {
    if (userBrushCount <= 0) return QStringLiteral("Only built-in brushes remain — these can't be removed");
    return QStringLiteral("Remove the %1 imported brush%2; built-in brushes are kept")
        .arg(userBrushCount)
        .arg(userBrushCount == 1 ? QString() : QStringLiteral("es"));
}

QString GIMPBrushLibraryModel::clearAllHelp() const { return clearAllHelpText(qsizetype(userBrushes().size())); }

bool GIMPBrushLibraryModel::isActive(const QUuid& brushID) const {
    const auto& active = state_->activeGIMPBrushID.get();
    return active && *active == brushID;
}

void GIMPBrushLibraryModel::select(const QUuid& brushID) {
    platform::assertMainThread("GIMPBrushLibraryModel::select");
    if (isActive(brushID)) {
        state_->activeGIMPBrushID = std::nullopt;
        return;
    }
    state_->activeGIMPBrushID = brushID;
    state_->selectedTool = DrawingTool::gimpBrush;
}

void GIMPBrushLibraryModel::remove(const QUuid& brushID) {
    platform::assertMainThread("GIMPBrushLibraryModel::remove");
    const auto& list = state_->importedGIMPBrushes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& b) { return b.id == brushID; });
    if (it == list.end()) return;
    const ImportedGIMPBrush brush = *it;
    state_->deleteGIMPBrush(brush);
}

void GIMPBrushLibraryModel::clearAll() {
    platform::assertMainThread("GIMPBrushLibraryModel::clearAll");
    for (const auto& brush : userBrushes())
        if (!brush.bundledSourceID) state_->deleteGIMPBrush(brush);
}

void GIMPBrushLibraryModel::importBrushes() {
    platform::assertMainThread("GIMPBrushLibraryModel::importBrushes");
    if (dismissBox_) (*dismissBox_)();
    if (state_->isImportingBrushes) return;
    state_->lowerOverlaysForPanel();

    platform::OpenPanel panel;
    panel.allowsMultipleSelection = true;
    panel.canChooseFiles = true;
    panel.canChooseDirectories = false;
    panel.title = QString::fromUtf8(kImportTitle);
    panel.message = QString::fromUtf8(kImportMessage);
    panel.prompt = QString::fromUtf8(kImportPrompt);
    panel.allowedExtensions = {QStringLiteral("gbr"), QStringLiteral("gih"), QStringLiteral("vbr")};
    // The panel raises and activates itself. It may outlive this library
    // (which closed above): it holds only the state, weakly.
    panel.begin(
        [weak = std::weak_ptr<DrawingState>(state_)](platform::ModalResponse response, const QStringList& paths) {
            platform::assertMainThread("brush import panel");
            const auto state = weak.lock();
            if (!state) return;
            state->raiseOverlaysAfterPanel();
            if (response == platform::ModalResponse::ok && !paths.isEmpty()) state->importGIMPBrushes(paths, false);
        });
}
