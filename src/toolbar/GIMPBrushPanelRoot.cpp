// The brush panel's content: library, opacity and spacing, editor.
#include "toolbar/GIMPBrushPanelRoot.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/PanelDivider.h"
#include "ui/PanelSlider.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The integer part, for a number shown as a percentage; what is not a
// number shows as 0.
long long integerPart(double v) { return std::isfinite(v) ? static_cast<long long>(std::clamp(v, -1e15, 1e15)) : 0; }

} // namespace

GIMPBrushPanelRoot::GIMPBrushPanelRoot(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                                       QWidget* parent)
    : PanelChrome(kCornerRadius, toolbarPanelDirection(*state), parent), state_(std::move(state)) {
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
    bindings_.bind(s.toolbarDockPosition, this, [&s](GIMPBrushPanelRoot& root, ToolbarDockPosition position) {
        root.setDirection(panelOpenDirection(position, s.isToolbarMovedToTopRow));
    });
    bindings_.bind(s.isToolbarMovedToTopRow, this, [&s](GIMPBrushPanelRoot& root, bool moved) {
        root.setDirection(panelOpenDirection(s.toolbarDockPosition, moved));
    });
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

void GIMPBrushPanelRoot::applyStyle() {
    const ui::Theme theme = ui::Theme::current(this);
    for (QLabel* label : {opacityTitle_, opacityValue_, spacingTitle_, spacingValue_}) {
        label->setFont(ui::font(ui::TextStyle::caption));
        ui::setTextColor(label, theme.secondary);
    }
}

void GIMPBrushPanelRoot::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}
