// The settings panel's checkboxes, section header and footer buttons.
#include "toolbar/SettingsControls.h"

#include "platform/Dispatch.h"
#include "ui/TooltipChipModifier.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

namespace {
// How a plain control dims while disabled and while pressed.
constexpr double kDisabledOpacity = 0.4;
constexpr double kPressedOpacity = 0.6;

double labelOpacity(const QAbstractButton& b) {
    if (!b.isEnabled()) return kDisabledOpacity;
    return b.isDown() ? kPressedOpacity : 1;
}
} // namespace

// ---- Checkbox ----

SettingsCheckbox::SettingsCheckbox(const QString& text, const QString& symbol, QWidget* parent)
    : QCheckBox(text, parent), symbol_(symbol) {
    platform::assertMainThread("SettingsCheckbox");
    setFont(ui::systemFont(kFontSize));
    // The panel takes no keyboard.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QRect SettingsCheckbox::indicatorRect() const {
    const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    return QRect(0, (height() - h) / 2, w, h);
}

double SettingsCheckbox::labelStart() const {
    const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    return w + spacing;
}

QSize SettingsCheckbox::sizeHint() const {
    const QFontMetrics metrics(font());
    double width = labelStart() + metrics.horizontalAdvance(text());
    double height = std::max(style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this), metrics.height());
    if (!symbol_.isEmpty()) {
        width += kSymbolFrame + kSymbolSpacing;
        height = std::max(height, ui::symbolBoxSide(kFontSize));
    }
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void SettingsCheckbox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = indicatorRect();
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &p, this);

    const ui::Theme theme = ui::Theme::current(this);
    const Color ink = theme.primary.opacity(isEnabled() ? 1 : kDisabledOpacity);
    double x = labelStart();
    if (!symbol_.isEmpty()) {
        ui::drawSymbol(p, QRectF(x, 0, kSymbolFrame, height()), symbol_, ink, kFontSize);
        x += kSymbolFrame + kSymbolSpacing;
    }
    p.setFont(font());
    p.setPen(ink.toQColor());
    p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

// ---- Section header ----

SettingsSectionHeader::SettingsSectionHeader(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    platform::assertMainThread("SettingsSectionHeader");
    setText(title);
    QFont f = ui::font(ui::TextStyle::caption);
    f.setBold(true);
    setFont(f);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsSectionHeader::setChevronAngle(double degrees) {
    if (degrees == angle_) return;
    angle_ = degrees;
    update();
}

QSize SettingsSectionHeader::sizeHint() const {
    const QFontMetrics metrics(font());
    const double height =
        std::max(ui::symbolBoxSide(kChevronSize, ui::SymbolWeight::semibold), double(metrics.height()));
    const double width = kChevronFrame + kSpacing + metrics.horizontalAdvance(text());
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void SettingsSectionHeader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const ui::Theme theme = ui::Theme::current(this);
    const Color ink = theme.secondary.opacity(labelOpacity(*this));
    const QRectF chevron(0, 0, kChevronFrame, height());
    p.save();
    p.translate(chevron.center());
    p.rotate(angle_);
    p.translate(-chevron.center());
    ui::drawSymbol(p, chevron, QStringLiteral("chevron.right"), ink, kChevronSize, ui::SymbolWeight::semibold);
    p.restore();
    p.setFont(font());
    p.setPen(ink.toQColor());
    const double x = kChevronFrame + kSpacing;
    p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

// ---- Footer button ----

SymbolButton* makeSettingsFooterButton(const QString& symbol, const QString& helpText, QWidget* parent) {
    platform::assertMainThread("makeSettingsFooterButton");
    constexpr double kSymbolSize = 12;
    auto* button = new SymbolButton(parent);
    button->setSymbol(symbol);
    button->setTint(ui::ThemeColor::secondary);
    button->setPointSize(kSymbolSize);
    button->setSide(ui::symbolBoxSide(kSymbolSize));
    button->setDisabledOpacity(kDisabledOpacity);
    // A help text: it follows the setting the controls around it applied.
    button->chip()->update(helpText, std::nullopt, TooltipPlacement::side());
    return button;
}
