#pragma once

// The settings panel's own controls: its checkboxes (optionally with a
// symbol before the label), the collapsible section's header and the
// footer's symbol buttons.

#include "ui/SymbolButton.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QString>
#include <QWidget>

class TooltipChipModifier;

// A checkbox in the system font of size 12 whose whole row takes clicks.
// With a symbol, the label starts with it in an 18-point frame, 6 points
// before the text.
class SettingsCheckbox : public QCheckBox {
public:
    static constexpr double kFontSize = 12;
    static constexpr double kSymbolFrame = 18;
    static constexpr double kSymbolSpacing = 6;

    explicit SettingsCheckbox(const QString& text, const QString& symbol = {}, QWidget* parent = nullptr);

    const QString& symbol() const { return symbol_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QRect indicatorRect() const;
    double labelStart() const;

    QString symbol_;
};

// The header of a collapsible section: a chevron (pointing right, turned
// down as the section opens) and the title in the caption font, bold.
// Clicks anywhere on its row, empty space included, count.
class SettingsSectionHeader : public QAbstractButton {
public:
    static constexpr double kChevronFrame = 12;
    static constexpr double kChevronSize = 9;
    static constexpr double kSpacing = 6;

    explicit SettingsSectionHeader(const QString& title, QWidget* parent = nullptr);

    // 0: pointing right; 90: pointing down.
    void setChevronAngle(double degrees);
    double chevronAngle() const { return angle_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    double angle_ = 0;
};

// A footer button: a symbol at size 12 in the secondary colour, in a frame
// just its size, with a help text.
SymbolButton* makeSettingsFooterButton(const QString& symbol, const QString& helpText, QWidget* parent);
