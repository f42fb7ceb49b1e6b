#pragma once

// What the font picker edits: the text tool's font family and size (two
// fields it is handed, the drawing state's in the program), the families it
// lists and searches, auto-size, the size field and stepper, and the
// favourites kept by the drawing state. Every choice takes effect at once.

#include "model/FontPreset.h"
#include "platform/Published.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DrawingState;

class FontPickerModel {
public:
    // The installed font families, in the font database's order; asked
    // afresh every time the list is built.
    using FamilySource = std::function<QStringList()>;

    static constexpr double kAutoSizeOffSize = 24;
    static constexpr double kStepperMinimum = 6;
    static constexpr double kStepperMaximum = 400;
    static constexpr double kStepperStep = 1;

    // `families` empty: QFontDatabase::families().
    FontPickerModel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                    std::shared_ptr<DrawingState> state, FamilySource families = {});
    FontPickerModel(const FontPickerModel&) = delete;
    FontPickerModel& operator=(const FontPickerModel&) = delete;

    platform::Published<QString>& fontName() const { return fontName_; }
    platform::Published<double>& fontSize() const { return fontSize_; }
    DrawingState& state() const { return *state_; }
    const std::shared_ptr<DrawingState>& sharedState() const { return state_; }

    // The panel's own search text, empty for every new picker.
    platform::Published<QString> searchText{QString()};

    // ---- Families ----
    // "System Font" for the empty entry, else the family name itself.
    static QString displayName(const QString& entry);
    // The system font (the empty entry) first, then every installed family;
    // with a search, only the entries whose display name contains it, case
    // ignored, spaces included.
    QStringList filteredFamilies() const;
    bool isSelected(const QString& entry) const { return fontName_.get() == entry; }
    // A tap on a family: the name only; the size stays.
    void selectFamily(const QString& entry);

    // ---- Size ----
    // On exactly while the size is 0.
    bool isAutoSize() const { return fontSize_.get() == 0; }
    // On sets 0; off sets 24 (the size before is not remembered).
    void setAutoSize(bool on);
    // The size row is shown only for a size above 0.
    bool showsSizeRow() const { return fontSize_.get() > 0; }
    // A number typed in the size field: kept as it is, without clamping
    // (0 turns auto-size on). A negative number, or one that is not finite,
    // is ignored.
    void setTypedSize(double size);
    // The stepper: one point up or down, its result kept within 6…400; a
    // step that would not move the size that way is not offered (up at 400
    // or above, down at 6 or below).
    bool canStepUp() const { return canStepUpFrom(fontSize_.get()); }
    bool canStepDown() const { return canStepDownFrom(fontSize_.get()); }
    static bool canStepUpFrom(double size);
    static bool canStepDownFrom(double size);
    void stepUp();
    void stepDown();

    // The size as the field shows it: the locale's number format, rounded to
    // two decimals, no trailing zeros ("14.7", "1,000" in English).
    static QString sizeFieldText(double size, const QLocale& locale = QLocale());
    // The typed text read as a number in that locale (group separators
    // optional, surrounding spaces ignored); none when it is not a finite
    // number.
    static std::optional<double> parseSizeField(const QString& text, const QLocale& locale = QLocale());

    // ---- Favourites ----
    const std::vector<FontPreset>& presets() const;
    // Saves the current name and size (0 for auto-size); the drawing state
    // ignores a near-duplicate and keeps the newest twelve.
    void saveToFavorites();
    // Sets both the name and the size of the favourite.
    void applyFavorite(const FontPreset& preset);
    // "14 pt": the size truncated toward zero; sizes beyond a 64-bit whole
    // number stop at its limits, and one that is not a number reads 0.
    static QString favoriteSizeLabel(double size);

private:
    platform::Published<QString>& fontName_;
    platform::Published<double>& fontSize_;
    std::shared_ptr<DrawingState> state_;
    FamilySource families_;
};
