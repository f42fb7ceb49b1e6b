#pragma once

// What the brush library shows and does, over the drawing state: the list in
// display order with its texts, choosing the active brush, deleting the
// user's brushes, and importing brush files through an open panel while the
// overlays and the toolbar step aside.

#include "model/BrushRecords.h"

#include <QString>
#include <QUuid>

#include <memory>
#include <vector>

class DismissBox;
class DrawingState;

class GIMPBrushLibraryModel {
public:
    static constexpr const char* kImportTitle = "Import GIMP Brushes";
    static constexpr const char* kImportMessage = "Select .gbr, .gih, or .vbr brush files";
    static constexpr const char* kImportPrompt = "Import";

    // `dismissBox` closes the panel that shows the library.
    GIMPBrushLibraryModel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox);

    DrawingState& state() const { return *state_; }

    // ---- Reading ----
    // The store's brushes in display order.
    std::vector<ImportedGIMPBrush> brushes() const;
    // The brushes the user imported (no bundled source), in store order.
    std::vector<ImportedGIMPBrush> userBrushes() const;
    bool isEmpty() const;
    // The line shown instead of the list while the store is empty.
    QString emptyText() const;
    // "Brushes (n)", shipped brushes included.
    QString title() const;
    bool canClearAll() const;
    QString clearAllHelp() const;
    bool isActive(const QUuid& brushID) const;

    static QString titleText(qsizetype brushCount);
    static QString clearAllHelpText(qsizetype userBrushCount);

    // ---- Actions ----
    // A tap on a row: the active brush again makes no brush active (the tool
    // stays); any other becomes active and selects the brush tool.
    void select(const QUuid& brushID);
    // The row's delete control: the brush as the store holds it now.
    void remove(const QUuid& brushID);
    // Deletes every brush the user imported; shipped brushes stay.
    void clearAll();
    // Closes the panel, lowers the overlays and asks for brush files; once
    // the open panel is done the overlays come back and the chosen files are
    // imported as the user's brushes. While another open or save panel is up
    // only the brush panel closes: two would raise the overlays over the
    // one still open.
    void importBrushes();

private:
    std::shared_ptr<DrawingState> state_;
    std::shared_ptr<DismissBox> dismissBox_;
};
