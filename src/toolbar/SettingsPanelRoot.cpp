// The settings panel's content.
#include "toolbar/SettingsPanelRoot.h"

#include "model/DrawingState.h"
#include "panels/UpdatesSettingsRows.h"
#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "toolbar/DockSpots.h"
#include "toolbar/SettingsControls.h"
#include "toolbar/ToolbarPositionDiagramView.h"
#include "ui/PanelChrome.h"
#include "ui/PanelDivider.h"
#include "ui/Theme.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHeaderTopPadding = 2;
constexpr int kPickerTopPadding = 4;
constexpr int kPickerBottomPadding = 10;
constexpr double kPickerFontSize = 11;
constexpr int kToolSpacing = 6;
constexpr int kSwitchTopPadding = 4;
constexpr int kDividerPadding = 8;
constexpr int kFooterSpacing = 12;
constexpr int kFooterHorizontalPadding = 12;
constexpr int kFooterVerticalPadding = 8;

// Shows the top `progress` of its content: the section's rows come in and
// go out by this height while the rows themselves keep their layout.
class RevealBox : public QWidget {
public:
    RevealBox(QWidget* content, QWidget* parent) : QWidget(parent), content_(content) {
        content_->setParent(this);
        content_->installEventFilter(this);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    void setProgress(double progress) {
        progress_ = std::clamp(progress, 0.0, 1.0);
        updateGeometry();
    }
    double progress() const { return progress_; }
    QSize sizeHint() const override {
        const QSize content = content_->sizeHint();
        return QSize(content.width(), int(std::lround(progress_ * content.height())));
    }
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }

protected:
    void resizeEvent(QResizeEvent*) override { placeContent(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == content_ && event->type() == QEvent::LayoutRequest) {
            updateGeometry();
            placeContent();
        }
        return false;
    }

private:
    void placeContent() { content_->setGeometry(0, 0, width(), content_->sizeHint().height()); }

    QWidget* content_;
    double progress_ = 0;
};

} // namespace

SettingsPanelRoot::SettingsPanelRoot(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                                     SettingsPanelServices services, UpdateManagerSource updateManager, QWidget* parent)
    : QWidget(parent), model_(std::move(state), std::move(dismissBox), std::move(services)) {
    platform::assertMainThread("SettingsPanelRoot");
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(int(SettingsPanelModel::kWidth));
    setAccessibleName(QStringLiteral("Overink settings"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildSections());
    layout->addWidget(new PanelDivider(PanelDivider::Shade::themed, this));
    layout->addWidget(buildFooter());

    sectionAnimation_ = new QVariantAnimation(this);
    sectionAnimation_->setDuration(kSectionAnimationMs);
    sectionAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
    // Setting the ends of a stopped animation reports values too: only a
    // running one moves the section.
    QObject::connect(sectionAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        if (sectionAnimation_->state() == QAbstractAnimation::Running) setSectionProgress(v.toDouble());
    });
    QObject::connect(sectionAnimation_, &QVariantAnimation::finished, this,
                     [this] { setSectionProgress(smoothingExpanded_ ? 1 : 0); });

    if (updateManager) {
        if (auto manager = updateManager())
            setUpdateRows(new UpdatesSettingsRows(std::move(manager), [this] { model_.dismiss(); }));
    }

    bindState();
    // Without a compositing manager the background is opaque.
    bindings_.add(platform::compositingChanged().connect([self = QPointer<QWidget>(this)](bool) {
        if (self) self->update();
    }));
}

SettingsPanelRoot::~SettingsPanelRoot() { sectionAnimation_->stop(); }

QWidget* SettingsPanelRoot::buildSections() {
    auto* sections = new QWidget(this);
    auto* v = new QVBoxLayout(sections);
    const int padding = int(SettingsPanelModel::kSectionsPadding);
    v->setContentsMargins(padding, padding, padding, padding);
    v->setSpacing(0);

    std::vector<DockSpot> spots(kSettingsDockSpots.begin(), kSettingsDockSpots.end());
    diagram_ = new ToolbarPositionDiagramView(
        model_.sharedState(), [this] { model_.dismiss(); }, std::move(spots), sections);
    v->addWidget(diagram_);

    v->addSpacing(kHeaderTopPadding);
    smoothingHeader_ = new SettingsSectionHeader(QStringLiteral("Stroke Smoothing"), sections);
    QObject::connect(smoothingHeader_, &QAbstractButton::clicked, this, [this] { toggleSmoothing(); });
    v->addWidget(smoothingHeader_);
    v->addWidget(buildSmoothingRows(sections));

    showTooltips_ = new SettingsCheckbox(QStringLiteral("Show tooltips"), {}, sections);
    QObject::connect(showTooltips_, &QAbstractButton::clicked, this, [this](bool on) { model_.setShowTooltips(on); });
    v->addSpacing(kSwitchTopPadding);
    v->addWidget(showTooltips_);
    launchAtLogin_ = new SettingsCheckbox(QStringLiteral("Launch on startup"), {}, sections);
    QObject::connect(launchAtLogin_, &QAbstractButton::clicked, this, [this](bool on) { model_.setLaunchAtLogin(on); });
    v->addSpacing(kSwitchTopPadding);
    v->addWidget(launchAtLogin_);

    // The update rows' place: hidden, with its divider, while there are no
    // rows.
    updateSlot_ = new QWidget(sections);
    updateRowsLayout_ = new QVBoxLayout(updateSlot_);
    updateRowsLayout_->setContentsMargins(0, kDividerPadding, 0, 0);
    updateRowsLayout_->setSpacing(0);
    updateRowsLayout_->addWidget(new PanelDivider(PanelDivider::Shade::themed, updateSlot_));
    updateRowsLayout_->addSpacing(kDividerPadding);
    updateSlot_->hide();
    v->addWidget(updateSlot_);
    return sections;
}

QWidget* SettingsPanelRoot::buildSmoothingRows(QWidget* parent) {
    auto* rows = new QWidget();
    auto* v = new QVBoxLayout(rows);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    auto* pickerRow = new QHBoxLayout();
    pickerRow->setContentsMargins(0, kPickerTopPadding, 0, kPickerBottomPadding);
    algorithmPicker_ = new QComboBox(rows);
    for (SmoothingAlgorithm algorithm : kAllSmoothingAlgorithms) algorithmPicker_->addItem(rawValueText(algorithm));
    algorithmPicker_->setFont(ui::systemFont(kPickerFontSize));
    algorithmPicker_->setFocusPolicy(Qt::NoFocus);
    algorithmPicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    algorithmPicker_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    algorithmPicker_->installEventFilter(this);
    QObject::connect(algorithmPicker_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < int(kAllSmoothingAlgorithms.size())) model_.selectAlgorithm(kAllSmoothingAlgorithms[i]);
    });
    pickerRow->addStretch(1);
    pickerRow->addWidget(algorithmPicker_);
    pickerRow->addStretch(1);
    v->addLayout(pickerRow);

    toolList_ = new QWidget(rows);
    auto* tools = new QVBoxLayout(toolList_);
    tools->setSpacing(0);
    tools->setContentsMargins(int(std::lround(smoothingToolIndent())), 0, 0, 0);
    for (const SmoothableTool& t : kSmoothableTools) {
        auto* box = new SettingsCheckbox(displayName(t.tool), QString::fromLatin1(t.symbol), toolList_);
        const DrawingTool tool = t.tool;
        QObject::connect(box, &QAbstractButton::clicked, this, [this, tool](bool on) { model_.setSmoothed(tool, on); });
        tools->addWidget(box, 0, Qt::AlignLeft);
        tools->addSpacing(kToolSpacing);
        toolCheckboxes_.push_back(box);
    }
    v->addWidget(toolList_);

    smoothingRows_ = new RevealBox(rows, parent);
    smoothingRows_->hide();
    return smoothingRows_;
}

QWidget* SettingsPanelRoot::buildFooter() {
    auto* footer = new QWidget(this);
    auto* h = new QHBoxLayout(footer);
    h->setContentsMargins(kFooterHorizontalPadding, kFooterVerticalPadding, kFooterHorizontalPadding,
                          kFooterVerticalPadding);
    h->setSpacing(kFooterSpacing);
    help_ = makeSettingsFooterButton(QStringLiteral("questionmark.circle"), QStringLiteral("Help"), footer);
    about_ = makeSettingsFooterButton(QStringLiteral("info.circle"), QStringLiteral("About Overink"), footer);
    quit_ = makeSettingsFooterButton(QStringLiteral("power"), QStringLiteral("Quit Overink"), footer);
    QObject::connect(help_, &QAbstractButton::clicked, this, [this] { model_.openHelp(); });
    QObject::connect(about_, &QAbstractButton::clicked, this, [this] { model_.openAbout(); });
    QObject::connect(quit_, &QAbstractButton::clicked, this, [this] { model_.quit(); });
    h->addWidget(help_);
    h->addStretch(1);
    h->addWidget(about_);
    h->addWidget(quit_);
    return footer;
}

void SettingsPanelRoot::bindState() {
    DrawingState& state = model_.state();
    bindings_.bind(state.smoothingAlgorithm, algorithmPicker_, [](QComboBox& picker, SmoothingAlgorithm algorithm) {
        const auto it = std::find(kAllSmoothingAlgorithms.begin(), kAllSmoothingAlgorithms.end(), algorithm);
        picker.setCurrentIndex(int(it - kAllSmoothingAlgorithms.begin()));
    });
    bindings_.bind(state.smoothingEnabledTools, this, [](SettingsPanelRoot& root, const DrawingToolSet& tools) {
        for (std::size_t i = 0; i < kSmoothableTools.size(); ++i)
            root.toolCheckboxes_[i]->setChecked(tools.contains(kSmoothableTools[i].tool));
    });
    bindings_.bind(state.showTooltips, showTooltips_, [](SettingsCheckbox& box, bool on) { box.setChecked(on); });
    bindings_.bind(state.launchAtLogin, launchAtLogin_, [](SettingsCheckbox& box, bool on) { box.setChecked(on); });
}

SettingsCheckbox* SettingsPanelRoot::toolCheckbox(DrawingTool tool) const {
    for (std::size_t i = 0; i < kSmoothableTools.size(); ++i)
        if (kSmoothableTools[i].tool == tool) return toolCheckboxes_[i];
    return nullptr;
}

// ---- The smoothing section ----

void SettingsPanelRoot::toggleSmoothing() {
    platform::assertMainThread("SettingsPanelRoot::toggleSmoothing");
    smoothingExpanded_ = !smoothingExpanded_;
    auto* reveal = static_cast<RevealBox*>(smoothingRows_);
    const double from = reveal->isHidden() ? 0 : reveal->progress();
    reveal->show();
    sectionAnimation_->stop();
    sectionAnimation_->setStartValue(from);
    sectionAnimation_->setEndValue(smoothingExpanded_ ? 1.0 : 0.0);
    sectionAnimation_->start();
}

void SettingsPanelRoot::setSectionProgress(double progress) {
    auto* reveal = static_cast<RevealBox*>(smoothingRows_);
    reveal->setProgress(progress);
    smoothingHeader_->setChevronAngle(90 * progress);
    if (progress <= 0 && !smoothingExpanded_) reveal->hide();
}

bool SettingsPanelRoot::smoothingRowsShown() const { return smoothingRows_->isVisible(); }

double SettingsPanelRoot::smoothingToolIndent() const { return SettingsPanelModel::smoothingToolIndent(pickerWidth_); }

void SettingsPanelRoot::measurePicker() {
    const double width = algorithmPicker_->width();
    if (width == pickerWidth_) return;
    pickerWidth_ = width;
    toolList_->layout()->setContentsMargins(int(std::lround(smoothingToolIndent())), 0, 0, 0);
}

bool SettingsPanelRoot::eventFilter(QObject* watched, QEvent* event) {
    // The picker's rendered width, whenever its geometry changes on screen.
    if (watched == algorithmPicker_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show) &&
        algorithmPicker_->isVisible())
        measurePicker();
    return QWidget::eventFilter(watched, event);
}

void SettingsPanelRoot::setUpdateRows(UpdatesSettingsRows* rows) {
    updateRows_ = rows;
    updateRowsLayout_->addWidget(rows);
    updateSlot_->show();
}

void SettingsPanelRoot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const double r = kCornerRadius;
    p.fillPath(ui::PanelChrome::shape(QRectF(rect()), {r, r, r, r}), theme.material.toQColor());
}
