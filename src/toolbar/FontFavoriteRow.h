#pragma once

// One favourite of the font picker: its name in its own face at 12 points
// ("System Font" for the system font), its whole size beneath ("14 pt"),
// and an "Apply" button at the end.

#include "model/FontPreset.h"

#include <QWidget>

#include <functional>

class BorderlessButton;

class FontFavoriteRow : public QWidget {
public:
    static constexpr int kHeight = 28;
    static constexpr int kHorizontalPadding = 12;
    static constexpr int kSpacing = 6;
    static constexpr double kNamePixelSize = 12;

    FontFavoriteRow(const FontPreset& preset, std::function<void(const FontPreset&)> apply, QWidget* parent = nullptr);

    const FontPreset& preset() const { return preset_; }
    BorderlessButton* applyButton() const { return apply_; }
    QString nameText() const;
    QString sizeText() const;
    // The face the name is drawn in.
    const QFont& nameFont() const { return nameFont_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FontPreset preset_;
    QFont nameFont_;
    BorderlessButton* apply_;
};
