// A favourite's row in the font picker.
#include "toolbar/FontFavoriteRow.h"

#include "toolbar/FontPickerModel.h"
#include "ui/BorderlessButton.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <cmath>
#include <utility>

namespace {
constexpr double kLineSpacing = 1;
constexpr auto kSizeStyle = ui::TextStyle::caption2;
} // namespace

FontFavoriteRow::FontFavoriteRow(const FontPreset& preset, std::function<void(const FontPreset&)> apply,
                                 QWidget* parent)
    : QWidget(parent),
      preset_(preset),
      apply_(new BorderlessButton(QStringLiteral("Apply"), ui::TextStyle::caption, this)) {
    apply_->setTint(ui::ThemeColor::accent);
    setFixedHeight(kHeight);
    if (preset.name.isEmpty()) {
        nameFont_ = ui::systemFont(kNamePixelSize);
    } else {
        nameFont_ = QFont(preset.name);
        nameFont_.setPixelSize(static_cast<int>(kNamePixelSize));
    }
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kHorizontalPadding, 0, kHorizontalPadding, 0);
    row->setSpacing(kSpacing);
    // The name and size are painted in the space before the button.
    row->addStretch(1);
    row->addWidget(apply_, 0, Qt::AlignVCenter);
    QObject::connect(apply_, &QAbstractButton::clicked, this, [this, apply = std::move(apply)] {
        if (apply) apply(preset_);
    });
}

QString FontFavoriteRow::nameText() const { return FontPickerModel::displayName(preset_.name); }

QString FontFavoriteRow::sizeText() const { return FontPickerModel::favoriteSizeLabel(preset_.size); }

void FontFavoriteRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QFont sizeFont = ui::font(kSizeStyle);
    const QFontMetricsF nameMetrics(nameFont_);
    const QFontMetricsF sizeMetrics(sizeFont);
    const double left = kHorizontalPadding;
    const double width = std::max(0.0, apply_->geometry().left() - kSpacing - left);
    const double stack = nameMetrics.height() + kLineSpacing + sizeMetrics.height();
    const double top = std::round((height() - stack) / 2);

    p.save();
    p.setClipRect(QRectF(left, 0, width, height()));
    p.setFont(nameFont_);
    p.setPen(theme.primary.toQColor());
    p.drawText(QPointF(left, top + nameMetrics.ascent()), nameMetrics.elidedText(nameText(), Qt::ElideRight, width));
    p.setFont(sizeFont);
    p.setPen(theme.secondary.toQColor());
    p.drawText(QPointF(left, top + nameMetrics.height() + kLineSpacing + sizeMetrics.ascent()),
               sizeMetrics.elidedText(sizeText(), Qt::ElideRight, width));
    p.restore();
}
