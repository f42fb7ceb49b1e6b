#include "colorpicker/ColorPickerModel.h"

#include "colorpicker/ColorValues.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "ui/NotificationNames.h"

#include <algorithm>
#include <cmath>
#include <utility>

ColorPickerModel::ColorPickerModel(std::shared_ptr<DrawingState> state) : state_(std::move(state)) {
    hue.setDidSet([this](double old) { componentChanged(old, hue.get()); });
    saturation.setDidSet([this](double old) { componentChanged(old, saturation.get()); });
    brightness.setDidSet([this](double old) { componentChanged(old, brightness.get()); });
}

// Each changed component writes the selection once, as the content always
// did; inside one edit the writes wait until every component holds its new
// value, so they all write the same colour and no colour in between.
void ColorPickerModel::componentChanged(double oldValue, double newValue) {
    if (!appeared_ || oldValue == newValue) return;
    if (editDepth_ > 0) ++pendingWrites_;
    else pushToSelection();
}

template <typename F>
void ColorPickerModel::editColor(F&& assign) {
    ++editDepth_;
    std::forward<F>(assign)();
    if (--editDepth_ > 0) return;
    for (int writes = std::exchange(pendingWrites_, 0); writes > 0; --writes) pushToSelection();
}

Color ColorPickerModel::selection() const { return state_->selectedColor.get(); }
double ColorPickerModel::opacity() const { return state_->strokeOpacity.get(); }
const std::vector<SavedHarmony>& ColorPickerModel::savedHarmonies() const { return state_->savedHarmonies.get(); }

std::vector<Color> ColorPickerModel::harmonyColors() const {
    std::vector<Color> colors{colorFromHSB(hue, saturation, brightness)};
    for (double c : companionHues(harmonyType, hue)) colors.push_back(colorFromHSB(c, saturation, brightness));
    return colors;
}

QString ColorPickerModel::codeString(const Color& color) const { return colorCodeString(color, codeFormat); }

bool ColorPickerModel::matchesSelection(const Color& color) const { return colorMatchesSelection(color, selection()); }

bool ColorPickerModel::canSaveHarmony() const { return savedHarmonies().size() < kMaxSavedHarmonies; }

QString ColorPickerModel::opacityPercentText(double opacity) {
    return QString::number(static_cast<long long>(std::round(opacity * 100))) + QStringLiteral("%");
}

void ColorPickerModel::appeared() {
    platform::assertMainThread("ColorPickerModel::appeared");
    if (appeared_) return;
    appeared_ = true;
    syncFromSelection();
}

void ColorPickerModel::syncFromSelection() {
    platform::assertMainThread("ColorPickerModel::syncFromSelection");
    const Color c = pickerComponents(selection());
    const auto hsb = hsbComponents(c.r, c.g, c.b);
    editColor([&] {
        hue = hsb.hue;
        saturation = hsb.saturation;
        brightness = hsb.brightness;
    });
}

void ColorPickerModel::pushToSelection() {
    platform::assertMainThread("ColorPickerModel::pushToSelection");
    state_->selectedColor = colorFromHSB(hue, saturation, brightness, 1);
}

void ColorPickerModel::setHueSaturation(double newHue, double newSaturation) {
    platform::assertMainThread("ColorPickerModel::setHueSaturation");
    editColor([&] {
        hue = newHue;
        saturation = newSaturation;
    });
}

void ColorPickerModel::setBrightness(double newBrightness) {
    platform::assertMainThread("ColorPickerModel::setBrightness");
    editColor([&] { brightness = newBrightness; });
}

void ColorPickerModel::selectSwatch(const Color& color) {
    platform::assertMainThread("ColorPickerModel::selectSwatch");
    state_->selectedColor = color;
}

void ColorPickerModel::setOpacity(double value) {
    platform::assertMainThread("ColorPickerModel::setOpacity");
    if (!std::isfinite(value)) return;
    state_->strokeOpacity = std::clamp(value, kMinimumOpacity, 1.0);
}

void ColorPickerModel::saveCurrentHarmony() {
    platform::assertMainThread("ColorPickerModel::saveCurrentHarmony");
    if (!canSaveHarmony()) return;
    SavedHarmony harmony;
    harmony.id = QUuid::createUuid();
    harmony.harmonyType = harmonyType;
    harmony.hue = hue;
    harmony.saturation = saturation;
    harmony.brightness = brightness;
    state_->savedHarmonies.modify([&](auto& list) { list.push_back(harmony); });
}

void ColorPickerModel::applySavedHarmony(const SavedHarmony& harmony) {
    platform::assertMainThread("ColorPickerModel::applySavedHarmony");
    editColor([&] {
        harmonyType = harmony.harmonyType;
        hue = harmony.hue;
        saturation = harmony.saturation;
        brightness = harmony.brightness;
    });
}

void ColorPickerModel::beginRename(const SavedHarmony& harmony) {
    platform::assertMainThread("ColorPickerModel::beginRename");
    renamingHarmonyID = harmony.id;
}

void ColorPickerModel::renameFieldAppeared() {
    platform::assertMainThread("ColorPickerModel::renameFieldAppeared");
    platform::NotificationCenter::defaultCenter().post(Notifications::colorPickerRequestKey);
}

void ColorPickerModel::renameHarmony(std::size_t index, const QUuid& id, const QString& name) {
    platform::assertMainThread("ColorPickerModel::renameHarmony");
    const auto& list = savedHarmonies();
    if (index >= list.size() || list[index].id != id) return;
    state_->savedHarmonies.modify([&](auto& l) { l[index].name = name; });
}

void ColorPickerModel::endRename() {
    platform::assertMainThread("ColorPickerModel::endRename");
    renamingHarmonyID = std::nullopt;
    platform::NotificationCenter::defaultCenter().post(Notifications::colorPickerResignKey);
}

void ColorPickerModel::renameFieldFocusChanged(bool focused) {
    platform::assertMainThread("ColorPickerModel::renameFieldFocusChanged");
    if (focused) return;
    renamingHarmonyID = std::nullopt;
    platform::NotificationCenter::defaultCenter().post(Notifications::colorPickerResignKey);
}

void ColorPickerModel::deleteSavedHarmony(const SavedHarmony& harmony) {
    platform::assertMainThread("ColorPickerModel::deleteSavedHarmony");
    state_->savedHarmonies.modify([&](auto& list) {
        list.erase(std::remove_if(list.begin(), list.end(), [&](const SavedHarmony& h) { return h.id == harmony.id; }),
                   list.end());
    });
}
