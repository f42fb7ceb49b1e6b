#include "colorpicker/ColorPickerPanel.h"

#include "colorpicker/ColorWheelView.h"
#include "colorpicker/HarmonySwatchRowView.h"
#include "colorpicker/OpacityPreviewView.h"
#include "colorpicker/PickerStyle.h"
#include "colorpicker/SavedHarmonyRow.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "ui/SymbolButton.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kContentWidth = ColorPickerPanel::kPanelWidth - 2 * ColorPickerPanel::kPadding;
constexpr int kFormatMenuMaxWidth = 72;
constexpr int kMenuSpacing = 6;
constexpr int kPercentWidth = 34;
constexpr double kSaveSymbol = 10;

// A pop-up menu whose label ends in an ellipsis when the row is too narrow
// for it, rather than being cut off.
class MenuPicker : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect label = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, label.width());
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

} // namespace

ColorPickerPanel::ColorPickerPanel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                                   QWidget* parent)
    : QWidget(parent), model_(std::move(state)), dismissBox_(std::move(dismissBox)) {
    platform::assertMainThread("ColorPickerPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);
    // The panel is always as tall as what it shows, and as wide as its column.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    layout->addWidget(buildMenuRow());
    wheel_ = new ColorWheelView(ColorWheelView::Edits{
                                    [this](double hue, double saturation) { model_.setHueSaturation(hue, saturation); },
                                    [this](double brightness) { model_.setBrightness(brightness); },
                                },
                                this);
    wheel_->setFixedSize(kWheelSide, kWheelSide);
    layout->addWidget(wheel_);
    swatchRow_ = new HarmonySwatchRowView(model_, this);
    swatchRow_->setFixedWidth(kContentWidth);
    layout->addWidget(swatchRow_);
    layout->addWidget(buildOpacity());
    divider_ = new QFrame(this);
    static_cast<QFrame*>(divider_)->setFrameShape(QFrame::HLine);
    static_cast<QFrame*>(divider_)->setFrameShadow(QFrame::Plain);
    divider_->setFixedSize(kContentWidth, 1);
    layout->addWidget(divider_);
    layout->addWidget(buildSavedHarmonies());

    applyStyle();
    bindModel();
}

ColorPickerPanel::~ColorPickerPanel() {
    // Nothing may reach the widgets while they are torn down, and a rename
    // field losing the keyboard on its way out must not reach the model,
    // which goes before the child widgets do.
    bindings_.clear();
    for (SavedHarmonyRow* row : rows_) row->retire();
}

QWidget* ColorPickerPanel::buildMenuRow() {
    auto* row = new QWidget(this);
    row->setFixedWidth(kContentWidth);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(kMenuSpacing);
    harmonyMenu_ = new MenuPicker(row);
    for (HarmonyType type : kAllHarmonyTypes) harmonyMenu_->addItem(rawValueText(type));
    harmonyMenu_->setMaximumWidth(kContentWidth - kMenuSpacing - kFormatMenuMaxWidth);
    formatMenu_ = new MenuPicker(row);
    for (ColorCodeFormat format : kAllColorCodeFormats) formatMenu_->addItem(rawValueText(format));
    formatMenu_->setMaximumWidth(kFormatMenuMaxWidth);
    for (QComboBox* menu : {harmonyMenu_, formatMenu_}) {
        // The picker takes the keyboard only for a harmony's name.
        menu->setFocusPolicy(Qt::NoFocus);
        menu->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    h->addWidget(harmonyMenu_, 0, Qt::AlignVCenter);
    h->addWidget(formatMenu_, 0, Qt::AlignVCenter);
    h->addStretch(1);

    QObject::connect(harmonyMenu_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < static_cast<int>(kAllHarmonyTypes.size())) model_.harmonyType = kAllHarmonyTypes[i];
    });
    QObject::connect(formatMenu_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < static_cast<int>(kAllColorCodeFormats.size())) model_.codeFormat = kAllColorCodeFormats[i];
    });
    return row;
}

QWidget* ColorPickerPanel::buildOpacity() {
    auto* box = new QWidget(this);
    box->setFixedWidth(kContentWidth);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(3);
    auto* h = new QHBoxLayout();
    h->setSpacing(6);
    opacityLabel_ = new QLabel(QStringLiteral("Opacity"), box);
    opacityPreview_ = new OpacityPreviewView(box);
    opacityPercent_ = new QLabel(box);
    opacityPercent_->setFixedWidth(kPercentWidth);
    opacityPercent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    h->addWidget(opacityLabel_, 0, Qt::AlignVCenter);
    h->addStretch(1);
    h->addWidget(opacityPreview_, 0, Qt::AlignVCenter);
    h->addWidget(opacityPercent_, 0, Qt::AlignVCenter);
    v->addLayout(h);

    opacitySlider_ = new QSlider(Qt::Horizontal, box);
    opacitySlider_->setRange(static_cast<int>(std::lround(ColorPickerModel::kMinimumOpacity * kSliderScale)),
                             kSliderScale);
    opacitySlider_->setFocusPolicy(Qt::NoFocus);
    opacitySlider_->setAccessibleName(QStringLiteral("Stroke opacity"));
    v->addWidget(opacitySlider_);
    // Only the user's moves write; following the state is done with the
    // slider's signals blocked.
    QObject::connect(opacitySlider_, &QSlider::valueChanged, this,
                     [this](int value) { model_.setOpacity(static_cast<double>(value) / kSliderScale); });
    return box;
}

QWidget* ColorPickerPanel::buildSavedHarmonies() {
    auto* box = new QWidget(this);
    box->setFixedWidth(kContentWidth);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);

    auto* header = new QHBoxLayout();
    header->setSpacing(6);
    savedHeader_ = new QLabel(QStringLiteral("Saved Harmonies"), box);
    saveButton_ = makePickerSymbolButton(QStringLiteral("plus"), kSaveSymbol, box);
    header->addWidget(savedHeader_, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(saveButton_, 0, Qt::AlignVCenter);
    v->addLayout(header);
    QObject::connect(saveButton_, &QAbstractButton::clicked, this, [this] { model_.saveCurrentHarmony(); });

    emptyText_ = new QLabel(QStringLiteral("No saved harmonies"), box);
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setContentsMargins(0, 6, 0, 6);
    v->addWidget(emptyText_);

    rowsBox_ = new QWidget(box);
    rowsLayout_ = new QVBoxLayout(rowsBox_);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(2);
    v->addWidget(rowsBox_);
    return box;
}

void ColorPickerPanel::bindModel() {
    DrawingState& state = model_.state();
    bindings_.bind(model_.hue, wheel_, [](ColorWheelView& w, double v) { w.setHue(v); });
    bindings_.bind(model_.saturation, wheel_, [](ColorWheelView& w, double v) { w.setSaturation(v); });
    bindings_.bind(model_.brightness, wheel_, [](ColorWheelView& w, double v) { w.setBrightness(v); });
    bindings_.bind(model_.harmonyType, wheel_, [](ColorWheelView& w, HarmonyType v) { w.setHarmonyType(v); });
    bindings_.bind(model_.harmonyType, harmonyMenu_, [](QComboBox& menu, HarmonyType v) {
        const auto it = std::find(kAllHarmonyTypes.begin(), kAllHarmonyTypes.end(), v);
        menu.setCurrentIndex(static_cast<int>(it - kAllHarmonyTypes.begin()));
    });
    bindings_.bind(model_.codeFormat, formatMenu_, [](QComboBox& menu, ColorCodeFormat v) {
        const auto it = std::find(kAllColorCodeFormats.begin(), kAllColorCodeFormats.end(), v);
        menu.setCurrentIndex(static_cast<int>(it - kAllColorCodeFormats.begin()));
    });
    // The swatches paint from the model, later, once every value is stored.
    bindings_.repaintOn(model_.hue, swatchRow_);
    bindings_.repaintOn(model_.saturation, swatchRow_);
    bindings_.repaintOn(model_.brightness, swatchRow_);
    bindings_.repaintOn(model_.harmonyType, swatchRow_);
    bindings_.repaintOn(model_.codeFormat, swatchRow_);
    bindings_.repaintOn(state.selectedColor, swatchRow_);

    bindings_.bind(state.selectedColor, opacityPreview_, [](OpacityPreviewView& v, const Color& c) { v.setColor(c); });
    bindings_.bind(state.strokeOpacity, opacityPreview_, [](OpacityPreviewView& v, double o) { v.setOpacity(o); });
    bindings_.bind(state.strokeOpacity, opacityPercent_,
                   [](QLabel& label, double o) { label.setText(ColorPickerModel::opacityPercentText(o)); });
    bindings_.bind(state.strokeOpacity, opacitySlider_, [](QSlider& slider, double o) {
        const QSignalBlocker quiet(slider);
        slider.setValue(std::isfinite(o) ? static_cast<int>(std::lround(o * kSliderScale)) : slider.maximum());
    });

    bindings_.bind(state.savedHarmonies, this, [](ColorPickerPanel& panel, const std::vector<SavedHarmony>& list) {
        panel.showSavedHarmonies(list, panel.model_.renamingHarmonyID.get());
    });
    bindings_.bind(model_.renamingHarmonyID, this, [](ColorPickerPanel& panel, const std::optional<QUuid>& id) {
        panel.showSavedHarmonies(panel.shownHarmonies_, id);
    });
}

void ColorPickerPanel::showSavedHarmonies(const std::vector<SavedHarmony>& list, const std::optional<QUuid>& renaming) {
    const std::vector<SavedHarmony> harmonies = list; // `list` may be shownHarmonies_ itself
    shownHarmonies_ = harmonies;

    // Rows are kept by identity, so a row whose name is being typed keeps
    // its field (and the keyboard) while the list changes around it.
    std::vector<SavedHarmonyRow*> old = std::exchange(rows_, {});
    std::vector<bool> reused(old.size(), false);
    for (std::size_t i = 0; i < harmonies.size(); ++i) {
        SavedHarmonyRow* row = nullptr;
        for (std::size_t j = 0; j < old.size() && !row; ++j) {
            if (!reused[j] && old[j]->harmony().id == harmonies[i].id) {
                reused[j] = true;
                row = old[j];
            }
        }
        if (!row) row = new SavedHarmonyRow(model_, rowsBox_);
        row->showHarmony(i, harmonies[i], renaming && *renaming == harmonies[i].id);
        rows_.push_back(row);
    }
    bool renameFieldWentAway = false;
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (reused[j]) continue;
        renameFieldWentAway = renameFieldWentAway || old[j]->isRenameFieldFocused();
        old[j]->retire();
    }
    while (rowsLayout_->count() > 0) delete rowsLayout_->takeAt(0);
    for (SavedHarmonyRow* row : rows_) {
        rowsLayout_->addWidget(row);
        if (isVisible()) row->show();
    }
    emptyText_->setVisible(harmonies.empty());
    rowsBox_->setVisible(!harmonies.empty());
    updateSaveButton(harmonies.size());
    // A harmony deleted while its name was being typed takes its field
    // along: the picker gives the keyboard back as when the field loses it.
    if (renameFieldWentAway) model_.renameFieldFocusChanged(false);
}

void ColorPickerPanel::updateSaveButton(std::size_t savedCount) {
    const bool full = savedCount >= ColorPickerModel::kMaxSavedHarmonies;
    const PickerStyle style = pickerStyle(this);
    saveButton_->setEnabled(!full);
    saveButton_->setColor(full ? style.secondary : style.primary);
    setHelpText(saveButton_,
                full ? QStringLiteral("Maximum of 8 saved harmonies") : QStringLiteral("Save current harmony"));
}

bool ColorPickerPanel::isRenameFieldFocused() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const SavedHarmonyRow* r) { return r->isRenameFieldFocused(); });
}

void ColorPickerPanel::applyStyle() {
    const PickerStyle style = pickerStyle(this);
    harmonyMenu_->setFont(style.menu);
    formatMenu_->setFont(style.menu);
    opacityLabel_->setFont(style.caption);
    setTextColor(opacityLabel_, style.secondary);
    opacityPercent_->setFont(style.mono);
    setTextColor(opacityPercent_, style.secondary);
    QFont header = style.caption;
    header.setBold(true);
    savedHeader_->setFont(header);
    setTextColor(savedHeader_, style.secondary);
    emptyText_->setFont(style.caption2);
    setTextColor(emptyText_, style.faint);
    QColor line = style.primary;
    line.setAlphaF(line.alphaF() * 0.15f);
    setTextColor(divider_, line);
    updateSaveButton(shownHarmonies_.size());
}

void ColorPickerPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.appeared();
}

void ColorPickerPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    heightChanged.emit(height());
}

void ColorPickerPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) applyStyle();
}
