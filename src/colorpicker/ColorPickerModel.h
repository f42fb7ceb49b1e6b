#pragma once

// What the colour picker's content edits, over the drawing state: its own
// hue, saturation and brightness with the harmony and code format, and the
// drawing state's selected colour, saved harmonies and stroke opacity,
// which every edit writes at once.

#include "colorpicker/ColorCodeFormat.h"
#include "model/HarmonyType.h"
#include "model/SavedHarmony.h"
#include "platform/Color.h"
#include "platform/Published.h"

#include <QString>
#include <QUuid>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class DrawingState;

class ColorPickerModel {
public:
    // The save button gives out at this many saved harmonies; a longer list
    // from storage is still shown and can be thinned out.
    static constexpr std::size_t kMaxSavedHarmonies = 8;
    static constexpr double kMinimumOpacity = 0.05;

    explicit ColorPickerModel(std::shared_ptr<DrawingState> state);
    ColorPickerModel(const ColorPickerModel&) = delete;
    ColorPickerModel& operator=(const ColorPickerModel&) = delete;

    DrawingState& state() const { return *state_; }

    // Once the content is on screen, every change of these three writes the
    // selected colour (opaque) from them; write them through the operations
    // below so that one edit of several is written as one colour.
    platform::Published<double> hue{0};
    platform::Published<double> saturation{1};
    platform::Published<double> brightness{1};
    platform::Published<HarmonyType> harmonyType{HarmonyType::complementary};
    platform::Published<ColorCodeFormat> codeFormat{ColorCodeFormat::hex};
    // The saved harmony whose name is being edited.
    platform::Published<std::optional<QUuid>> renamingHarmonyID{std::nullopt};

    // ---- Reading ----
    Color selection() const;
    double opacity() const;
    const std::vector<SavedHarmony>& savedHarmonies() const;
    // The base colour, then one per companion hue, all opaque.
    std::vector<Color> harmonyColors() const;
    QString codeString(const Color& color) const;
    bool matchesSelection(const Color& color) const;
    bool canSaveHarmony() const;
    // The opacity as a whole percentage, halves rounded away from zero.
    static QString opacityPercentText(double opacity);

    // ---- The colour ----
    // The content came on screen: reads the selection, and from now on
    // writes it back.
    void appeared();
    // Hue, saturation and brightness from the selection (pure red when it
    // has no usable form).
    void syncFromSelection();
    // The selection from hue, saturation and brightness, opaque.
    void pushToSelection();
    // A drag on the wheel's disc; hue is written first.
    void setHueSaturation(double hue, double saturation);
    // A drag on the wheel's ring.
    void setBrightness(double brightness);
    // Selects a swatch's colour; the wheel and the swatch row stay.
    void selectSwatch(const Color& color);
    // Kept within kMinimumOpacity…1.
    void setOpacity(double opacity);

    // ---- Saved harmonies ----
    // Appends the current harmony, unnamed, unless the list is full.
    void saveCurrentHarmony();
    void applySavedHarmony(const SavedHarmony& harmony);
    void beginRename(const SavedHarmony& harmony);
    // The rename field came on screen: the picker may take the keyboard.
    void renameFieldAppeared();
    // Every keystroke: the name of the harmony at `index`, if it is still
    // the one with `id`. Kept as typed, spaces and emptiness included.
    void renameHarmony(std::size_t index, const QUuid& id, const QString& name);
    // Return or the exit command in the rename field.
    void endRename();
    void renameFieldFocusChanged(bool focused);
    // Removes every entry with the harmony's id.
    void deleteSavedHarmony(const SavedHarmony& harmony);

private:
    template <typename F>
    void editColor(F&& assign);
    void componentChanged(double oldValue, double newValue);

    std::shared_ptr<DrawingState> state_;
    bool appeared_ = false;
    int editDepth_ = 0;
    int pendingWrites_ = 0;
};
