// The font picker's rules over the text font fields and the drawing state.
#include "toolbar/FontPickerModel.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace {
const QString kSystemFontName = QStringLiteral("System Font");
constexpr int kFieldDecimals = 2;
} // namespace

FontPickerModel::FontPickerModel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                                 std::shared_ptr<DrawingState> state, FamilySource families)
    : fontName_(fontName), fontSize_(fontSize), state_(std::move(state)), families_(std::move(families)) {
    if (!families_) families_ = [] { return QFontDatabase::families(); };
}

// ---- Families ----

QString FontPickerModel::displayName(const QString& entry) { return entry.isEmpty() ? kSystemFontName : entry; }

QStringList FontPickerModel::filteredFamilies() const {
    platform::assertMainThread("FontPickerModel::filteredFamilies");
    const QStringList installed = families_();
    const QString& search = searchText.get();
    QStringList list;
    list.reserve(installed.size() + 1);
    if (search.isEmpty() || kSystemFontName.contains(search, Qt::CaseInsensitive)) list.append(QString());
    for (const QString& family : installed) {
        // The empty entry stands for the system font alone.
        if (family.isEmpty()) continue;
        if (search.isEmpty() || family.contains(search, Qt::CaseInsensitive)) list.append(family);
    }
    return list;
}

void FontPickerModel::selectFamily(const QString& entry) {
    platform::assertMainThread("FontPickerModel::selectFamily");
    fontName_ = entry;
}

// ---- Size ----

void FontPickerModel::setAutoSize(bool on) {
    platform::assertMainThread("FontPickerModel::setAutoSize");
    fontSize_ = on ? 0.0 : kAutoSizeOffSize;
}

void FontPickerModel::setTypedSize(double size) {
    platform::assertMainThread("FontPickerModel::setTypedSize");
    // A negative size would hide the size row with auto-size off, and a
    // size that is not finite has no layout: both leave the size alone.
    if (!std::isfinite(size) || size < 0) return;
    fontSize_ = size;
}

bool FontPickerModel::canStepUpFrom(double size) {
    return std::isfinite(size) && std::clamp(size + kStepperStep, kStepperMinimum, kStepperMaximum) > size;
}

bool FontPickerModel::canStepDownFrom(double size) {
    return std::isfinite(size) && std::clamp(size - kStepperStep, kStepperMinimum, kStepperMaximum) < size;
}

void FontPickerModel::stepUp() {
    platform::assertMainThread("FontPickerModel::stepUp");
    if (!canStepUp()) return;
    fontSize_ = std::clamp(fontSize_.get() + kStepperStep, kStepperMinimum, kStepperMaximum);
}

void FontPickerModel::stepDown() {
    platform::assertMainThread("FontPickerModel::stepDown");
    if (!canStepDown()) return;
    fontSize_ = std::clamp(fontSize_.get() - kStepperStep, kStepperMinimum, kStepperMaximum);
}

QString FontPickerModel::sizeFieldText(double size, const QLocale& locale) {
    QString text = locale.toString(size, 'f', kFieldDecimals);
    const QString point = locale.decimalPoint();
    const int dot = text.lastIndexOf(point);
    if (dot < 0) return text;
    const QString zero = locale.zeroDigit();
    int end = text.size();
    while (end > dot + point.size() && QStringView(text).mid(end - zero.size(), zero.size()) == zero)
        end -= zero.size();
    if (end == dot + point.size()) end = dot;
    text.truncate(end);
    return text;
}

std::optional<double> FontPickerModel::parseSizeField(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

// ---- Favourites ----

const std::vector<FontPreset>& FontPickerModel::presets() const { return state_->fontPresets.get(); }

void FontPickerModel::saveToFavorites() {
    platform::assertMainThread("FontPickerModel::saveToFavorites");
    state_->addFontPreset(fontName_.get(), fontSize_.get());
}

void FontPickerModel::applyFavorite(const FontPreset& preset) {
    platform::assertMainThread("FontPickerModel::applyFavorite");
    fontName_ = preset.name;
    fontSize_ = preset.size;
}

QString FontPickerModel::favoriteSizeLabel(double size) {
    std::int64_t whole = 0;
    if (std::isnan(size)) {
        whole = 0;
    } else if (size >= 9223372036854775807.0) {
        whole = std::numeric_limits<std::int64_t>::max();
    } else if (size <= -9223372036854775808.0) {
        whole = std::numeric_limits<std::int64_t>::min();
    } else {
        whole = static_cast<std::int64_t>(size); // truncates toward zero
    }
    return QStringLiteral("%1 pt").arg(whole);
}
