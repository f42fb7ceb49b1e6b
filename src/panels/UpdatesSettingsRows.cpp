// The update rows of the settings panel, following the update manager.
#include "panels/UpdatesSettingsRows.h"

#include "platform/Dispatch.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPressedOpacity = 0.6;

QSize textSize(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font);
    return QSize(int(std::ceil(metrics.horizontalAdvance(text))), int(std::ceil(metrics.height())));
}

// A line of text in one of the theme's colours, looked up when painted so
// that it follows the desktop's palette.
class ThemedText : public QWidget {
public:
    ThemedText(QFont font, ui::ThemeColor role, QWidget* parent) : QWidget(parent), role_(role) {
        setFont(font);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setText(const QString& text) {
        if (text == text_) return;
        text_ = text;
        updateGeometry();
        update();
    }
    const QString& text() const { return text_; }
    QSize sizeHint() const override { return textSize(font(), text_); }
    QSize minimumSizeHint() const override { return QSize(0, sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font());
        // A faint role still reads as text.
        const ui::Theme theme = ui::Theme::current(this);
        p.setPen(theme.legible(theme.color(role_)).toQColor());
        const QString shown = QFontMetrics(font()).elidedText(text_, Qt::ElideRight, width());
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }

private:
    ui::ThemeColor role_;
    QString text_;
};

// A plain button whose label is its text: the accent colour (as dark or as
// light as reading it takes) while it can be used, the secondary colour
// while it is disabled.
class CheckNowButton : public QAbstractButton {
public:
    explicit CheckNowButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Check Now"));
        setFont(ui::systemFont(UpdatesSettingsRows::kCheckNowFontSize, QFont::DemiBold));
        // The panel takes no keyboard.
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAccessibleName(text());
    }
    Color ink() const {
        const ui::Theme theme = ui::Theme::current(this);
        return isEnabled() ? theme.legible(theme.accent) : theme.secondary;
    }
    QSize sizeHint() const override { return textSize(font(), text()); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setFont(font());
        p.setPen(ink().opacity(isDown() ? kPressedOpacity : 1).toQColor());
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void changeEvent(QEvent* event) override {
        // Enabling and disabling changes the colour.
        if (event->type() == QEvent::EnabledChange) update();
        QAbstractButton::changeEvent(event);
    }
};

// A checkbox whose label wraps onto further lines when the row is too
// narrow for it, the box beside the first line. The whole row takes clicks.
class WrappingCheckbox : public QCheckBox {
public:
    WrappingCheckbox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
        setFont(ui::systemFont(UpdatesSettingsRows::kCheckboxFontSize));
        // The panel takes no keyboard.
        setFocusPolicy(Qt::NoFocus);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    QSize sizeHint() const override {
        const QSize line = textSize(font(), text());
        return QSize(int(labelStart()) + line.width(), std::max(indicatorSize().height(), line.height()));
    }
    QSize minimumSizeHint() const override { return QSize(int(labelStart()) + 1, sizeHint().height()); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int text = labelRect(width).height();
        return std::max(indicatorSize().height(), text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QSize box = indicatorSize();
        const int firstLine = QFontMetrics(font()).height();
        option.rect = QRect(QPoint(0, std::max(0, (std::min(firstLine, height()) - box.height()) / 2)), box);
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &p, this);
        p.setFont(font());
        p.setPen(ui::Theme::current(this).primary.toQColor());
        p.drawText(labelRect(width()), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text());
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QSize indicatorSize() const {
        return QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
    }
    double labelStart() const {
        return indicatorSize().width() + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
    }
    QRect labelRect(int width) const {
        const int x = int(labelStart());
        const QRect bounds(x, 0, std::max(1, width - x), 1 << 16);
        const QRect needed = QFontMetrics(font()).boundingRect(bounds, Qt::AlignLeft | Qt::TextWordWrap, text());
        return QRect(x, 0, bounds.width(), needed.height());
    }
};

} // namespace

UpdatesSettingsRows::UpdatesSettingsRows(std::shared_ptr<UpdateManager> updater, std::function<void()> onDismiss,
                                         const platform::Bundle& bundle, QWidget* parent)
    : QWidget(parent), model_(std::move(updater), std::move(onDismiss), bundle) {
    platform::assertMainThread("UpdatesSettingsRows");
    setAttribute(Qt::WA_TranslucentBackground);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(kSpacing);

    auto* versionRow = new QHBoxLayout();
    versionRow->setSpacing(kVersionRowSpacing);
    version_ = new ThemedText(ui::systemFont(kVersionFontSize), ui::ThemeColor::secondary, this);
    checkNow_ = new CheckNowButton(this);
    QObject::connect(checkNow_, &QAbstractButton::clicked, this, [this] { model_.checkNow(); });
    versionRow->addWidget(version_, 0, Qt::AlignVCenter);
    versionRow->addSpacerItem(new QSpacerItem(kMinimumSpacer, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    versionRow->addWidget(checkNow_, 0, Qt::AlignVCenter);
    v->addLayout(versionRow);

    status_ = new ThemedText(ui::systemFont(kStatusFontSize), ui::ThemeColor::tertiary, this);
    v->addWidget(status_);

    auto* checkboxRow = new QVBoxLayout();
    checkboxRow->setContentsMargins(0, kCheckboxTopInset, 0, 0);
    automatic_ = new WrappingCheckbox(QStringLiteral("Check for updates automatically"), this);
    // Written on every click; what the box shows is read back from the manager.
    QObject::connect(automatic_, &QAbstractButton::clicked, this,
                     [this](bool on) { model_.updater().setAutomaticallyChecksForUpdates(on); });
    checkboxRow->addWidget(automatic_);
    v->addLayout(checkboxRow);

    // The manager announces a change before making it: read it a turn later.
    bindings_.connect(model_.updater().willChange, this, [](UpdatesSettingsRows& rows) { rows.scheduleRebuild(); });
    rebuild();
}

UpdatesSettingsRows::~UpdatesSettingsRows() = default;

void UpdatesSettingsRows::scheduleRebuild() {
    if (rebuildScheduled_) return;
    rebuildScheduled_ = true;
    platform::dispatchMain([self = QPointer<UpdatesSettingsRows>(this)] {
        if (!self) return;
        self->rebuildScheduled_ = false;
        self->rebuild();
    });
}

void UpdatesSettingsRows::rebuild() {
    platform::assertMainThread("UpdatesSettingsRows::rebuild");
    UpdateManager& manager = model_.updater();
    static_cast<ThemedText*>(version_)->setText(QStringLiteral("Overink ") + model_.versionString());
    static_cast<ThemedText*>(status_)->setText(model_.lastCheckedText());
    checkNow_->setEnabled(manager.canCheck);
    automatic_->setChecked(manager.automaticallyChecksForUpdates());
}

void UpdatesSettingsRows::showEvent(QShowEvent* event) {
    // The status line is as fresh as the last look at it.
    rebuild();
    QWidget::showEvent(event);
}

QString UpdatesSettingsRows::versionText() const { return static_cast<const ThemedText*>(version_)->text(); }

QString UpdatesSettingsRows::statusText() const { return static_cast<const ThemedText*>(status_)->text(); }

Color UpdatesSettingsRows::checkNowColor() const { return static_cast<const CheckNowButton*>(checkNow_)->ink(); }
