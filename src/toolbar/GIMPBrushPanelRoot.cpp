#include "toolbar/GIMPBrushPanelRoot.h"

#include "model/DrawingState.h"
#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/PanelDivider.h"
#include "toolbar/PanelSlider.h"
#include "toolbar/ToolbarPainting.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace {

void setTextColor(QWidget* widget, const Color& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color.toQColor());
    widget->setPalette(p);
}

// The integer part, for a number shown as a percentage; what is not a
// number shows as 0.
long long integerPart(double v) { return std::isfinite(v) ? static_cast<long long>(std::clamp(v, -1e15, 1e15)) : 0; }

} // namespace

GIMPBrushPanelRoot::GIMPBrushPanelRoot(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                                       QWidget* parent)
    : QWidget(parent), state_(std::move(state)) {
    platform::assertMainThread("GIMPBrushPanelRoot");
    setFixedWidth(kWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    library_ = new GIMPBrushLibraryPanel(state_, std::move(dismissBox), this);
    layout->addWidget(library_);
    layout->addWidget(new PanelDivider(0, this));
    settings_ = buildSettings();
    layout->addWidget(settings_);
    applyStyle();

    DrawingState& s = *state_;
    bindings_.bind(s.gimpBrushOpacity, this, [](GIMPBrushPanelRoot& root, double v) {
        root.opacityValue_->setText(opacityText(v));
        root.opacitySlider_->setValue(v);
    });
    bindings_.bind(s.gimpBrushSpacing, this, [](GIMPBrushPanelRoot& root, double v) {
        root.spacingValue_->setText(spacingText(v));
        root.spacingSlider_->setValue(v);
    });
    bindings_.repaintOn(s.toolbarDockPosition, this);
    bindings_.connect(platform::compositingChanged(), this, [](GIMPBrushPanelRoot& root, bool) { root.update(); });
    bindings_.add(opacitySlider_->valueChanged.connect([this](double v) { state_->gimpBrushOpacity = v; }));
    bindings_.add(spacingSlider_->valueChanged.connect([this](double v) { state_->gimpBrushSpacing = v; }));
}

GIMPBrushPanelRoot::~GIMPBrushPanelRoot() { bindings_.clear(); }

QLabel* GIMPBrushPanelRoot::addHeader(QWidget* parent, const QString& title, QLabel** value) {
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    auto* titleLabel = new QLabel(title, parent);
    *value = new QLabel(parent);
    (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(titleLabel, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(*value, 0, Qt::AlignVCenter);
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(row);
    return titleLabel;
}

QWidget* GIMPBrushPanelRoot::buildSettings() {
    auto* box = new QWidget(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(kSettingsHorizontalPadding, kSettingsVerticalPadding, kSettingsHorizontalPadding,
                          kSettingsVerticalPadding);
    v->setSpacing(kSettingsSpacing);
    opacityTitle_ = addHeader(box, QStringLiteral("Opacity"), &opacityValue_);
    opacitySlider_ = new PanelSlider(kMinimumOpacity, 1, box);
    opacitySlider_->setAccessibleName(QStringLiteral("Brush opacity"));
    v->addWidget(opacitySlider_);
    spacingTitle_ = addHeader(box, QStringLiteral("Spacing"), &spacingValue_);
    spacingSlider_ = new PanelSlider(kMinimumSpacing, kMaximumSpacing, box);
    spacingSlider_->setAccessibleName(QStringLiteral("Brush spacing"));
    v->addWidget(spacingSlider_);
    editor_ = new VBRParamsEditor(state_, box);
    v->addWidget(editor_);
    return box;
}

QString GIMPBrushPanelRoot::opacityText(double opacity) {
    return QString::number(integerPart(opacity * 100)) + QLatin1Char('%');
}

QString GIMPBrushPanelRoot::spacingText(double spacing) {
    return QString::number(integerPart(spacing)) + QLatin1Char('%');
}

PanelOpenDirection GIMPBrushPanelRoot::direction() const {
    return panelOpenDirection(state_->toolbarDockPosition.get());
}

QPainterPath GIMPBrushPanelRoot::backgroundPath(const QRectF& rect, PanelOpenDirection direction) {
    const bool topRounded = direction == PanelOpenDirection::above;
    const bool bottomRounded = direction == PanelOpenDirection::below;
    const bool leftRounded = direction == PanelOpenDirection::toLeft;
    const bool rightRounded = direction == PanelOpenDirection::toRight;
    const bool topLeft = topRounded || leftRounded, topRight = topRounded || rightRounded;
    const bool bottomLeft = bottomRounded || leftRounded, bottomRight = bottomRounded || rightRounded;
    const double r = std::min({kCornerRadius, rect.width() / 2, rect.height() / 2});
    const double d = 2 * r;

    QPainterPath path;
    path.moveTo(rect.left() + (topLeft ? r : 0), rect.top());
    path.lineTo(rect.right() - (topRight ? r : 0), rect.top());
    if (topRight) path.arcTo(rect.right() - d, rect.top(), d, d, 90, -90);
    path.lineTo(rect.right(), rect.bottom() - (bottomRight ? r : 0));
    if (bottomRight) path.arcTo(rect.right() - d, rect.bottom() - d, d, d, 0, -90);
    path.lineTo(rect.left() + (bottomLeft ? r : 0), rect.bottom());
    if (bottomLeft) path.arcTo(rect.left(), rect.bottom() - d, d, d, 270, -90);
    path.lineTo(rect.left(), rect.top() + (topLeft ? r : 0));
    if (topLeft) path.arcTo(rect.left(), rect.top(), d, d, 180, -90);
    path.closeSubpath();
    return path;
}

void GIMPBrushPanelRoot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    p.fillPath(backgroundPath(QRectF(rect()), direction()), ToolbarPainting::qcolor(theme.material));
}

void GIMPBrushPanelRoot::applyStyle() {
    const ui::Theme theme = ui::Theme::current(this);
    for (QLabel* label : {opacityTitle_, opacityValue_, spacingTitle_, spacingValue_}) {
        label->setFont(ui::font(ui::TextStyle::caption));
        setTextColor(label, theme.secondary);
    }
}

void GIMPBrushPanelRoot::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}
