#include "toolbar/WidthControl.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "toolbar/ThicknessText.h"
#include "ui/ControlPainting.h"
#include "ui/NotificationNames.h"
#include "ui/Theme.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr auto kValueStyle = ui::TextStyle::caption2;
} // namespace

// ---- Icon ----

WidthIcon::WidthIcon(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize WidthIcon::sizeHint() const {
    const int side = int(ui::symbolBoxSide(ui::textPixelSize(kValueStyle), ui::SymbolWeight::medium));
    return QSize(side, side);
}

void WidthIcon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    ui::drawSymbol(p, QRectF(rect()), QStringLiteral("lineweight"), theme.secondary, ui::textPixelSize(kValueStyle),
                   ui::SymbolWeight::medium);
}

// ---- Field ----

ThicknessLineEdit::ThicknessLineEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextMargins(0, 0, 0, 0);
    setFont(ui::font(kValueStyle));
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

void ThicknessLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelled.emit();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ThicknessLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) return;
    focusLost.emit();
}

// ---- Value ----

ThicknessValue::ThicknessValue(const std::shared_ptr<DrawingState>& state, QWidget* parent)
    : QWidget(parent), state_(state), field_(new ThicknessLineEdit(this)) {
    platform::assertMainThread("ThicknessValue");
    setFixedSize(sizeHint());
    field_->setGeometry(rect());
    field_->hide();
    fieldCancelled_ = field_->cancelled.connect([this] { cancelThicknessTyping(); });
    fieldFocusLost_ = field_->focusLost.connect([this] { thicknessFocusChanged(false); });
    QObject::connect(field_, &QLineEdit::returnPressed, this, [this] { commitThicknessText(); });
    if (state) bindings_.repaintOn(state->lineWidth, this);
}

ThicknessValue::~ThicknessValue() = default;

QString ThicknessValue::thicknessText() const { return field_->text(); }

QString ThicknessValue::labelText() const {
    const auto state = state_.lock();
    return thicknessLabelText(state ? state->lineWidth.get() : 0);
}

void ThicknessValue::beginThicknessTyping() {
    platform::assertMainThread("ThicknessValue::beginThicknessTyping");
    const auto state = state_.lock();
    if (!state || isEditingThickness_) return;
    field_->setText(thicknessFieldText(state->lineWidth));
    isEditingThickness_ = true;
    // The field's colour follows the theme at the time it opens.
    QPalette palette = field_->palette();
    const ui::Theme theme = ui::Theme::current(this);
    palette.setColor(QPalette::Text, ControlPainting::qcolor(theme.secondary));
    palette.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(palette);
    field_->show();
    update();
    focusThicknessField();
}

void ThicknessValue::focusThicknessField() {
    platform::assertMainThread("ThicknessValue::focusThicknessField");
    platform::NotificationCenter::defaultCenter().post(Notifications::toolbarRequestKey);
    thicknessFieldFocused_ = true;
    field_->setFocus(Qt::OtherFocusReason);
    field_->selectAll();
}

void ThicknessValue::commitThicknessText() {
    platform::assertMainThread("ThicknessValue::commitThicknessText");
    if (!isEditingThickness_) return;
    if (const auto width = parseTypedThickness(field_->text()))
        if (const auto state = state_.lock()) state->lineWidth = *width;
    endTyping();
}

void ThicknessValue::cancelThicknessTyping() {
    platform::assertMainThread("ThicknessValue::cancelThicknessTyping");
    if (!isEditingThickness_) return;
    endTyping();
}

void ThicknessValue::thicknessFocusChanged(bool focused) {
    if (focused == thicknessFieldFocused_) return;
    thicknessFieldFocused_ = focused;
    // Only while typing: the way out of typing also drops the focus, and
    // that must not apply the text a second time.
    if (!focused && isEditingThickness_) commitThicknessText();
}

void ThicknessValue::endTyping() {
    // The state changes first, so the focus leaving the hidden field finds
    // typing over.
    isEditingThickness_ = false;
    thicknessFieldFocused_ = false;
    field_->hide();
    update();
    platform::NotificationCenter::defaultCenter().post(Notifications::toolbarResignKey);
}

void ThicknessValue::paintEvent(QPaintEvent*) {
    if (isEditingThickness_) return;
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    p.setFont(ui::font(kValueStyle));
    p.setPen(ControlPainting::qcolor(theme.secondary));
    p.drawText(QRectF(rect()), Qt::AlignRight | Qt::AlignVCenter, labelText());
}

void ThicknessValue::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || isEditingThickness_) return QWidget::mousePressEvent(event);
    beginThicknessTyping();
}
