#include "colorpicker/SavedHarmonyRow.h"

#include "colorpicker/ColorPickerModel.h"
#include "colorpicker/PickerStyle.h"
#include "ui/SymbolButton.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <utility>

namespace {

constexpr int kPadding = 4;
constexpr int kSpacing = 4;
constexpr double kDot = 10;
constexpr double kCornerRadius = 4;
// The row's plate: the primary colour this faint over the panel.
constexpr double kPlateOpacity = 0.05;
constexpr double kButtonSymbol = 8;

// The harmony's colours as a row of dots; taps go through to the row.
class HarmonyDots : public QWidget {
public:
    explicit HarmonyDots(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

    void setColors(std::vector<Color> colors) {
        if (colors == colors_) return;
        colors_ = std::move(colors);
        const int n = static_cast<int>(colors_.size());
        setFixedSize(n > 0 ? n * static_cast<int>(kDot) + (n - 1) * kSpacing : 0, static_cast<int>(kDot));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        double x = 0;
        for (const Color& c : colors_) {
            p.setBrush(c.toQColor());
            p.drawEllipse(QRectF(x, 0, kDot, kDot));
            x += kDot + kSpacing;
        }
    }

private:
    std::vector<Color> colors_;
};

} // namespace

// ---- HarmonyNameField ----

HarmonyNameField::HarmonyNameField(Reports reports, QWidget* parent) : QLineEdit(parent), reports_(std::move(reports)) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setFocusPolicy(Qt::StrongFocus);
}

void HarmonyNameField::retire() { retired_ = true; }

void HarmonyNameField::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    if (hasAppeared_ || retired_) return;
    hasAppeared_ = true;
    if (reports_.appeared) reports_.appeared();
}

void HarmonyNameField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!retired_ && reports_.exitCommand) reports_.exitCommand();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void HarmonyNameField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The field's own context menu borrows the keyboard and gives it back.
    if (event->reason() == Qt::PopupFocusReason || retired_) return;
    if (reports_.focusLost) reports_.focusLost();
}

// ---- SavedHarmonyRow ----

SavedHarmonyRow::SavedHarmonyRow(ColorPickerModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedHeight(kRowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(kPadding, 0, kPadding, 0);
    outer->setSpacing(0);
    stack_ = new QWidget(this);
    outer->addWidget(stack_, 1, Qt::AlignVCenter);
    stackLayout_ = new QHBoxLayout(stack_);
    stackLayout_->setContentsMargins(0, 0, 0, 0);
    stackLayout_->setSpacing(kSpacing);

    dots_ = new HarmonyDots(stack_);
    nameLabel_ = new QLabel(stack_);
    nameLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    nameLabel_->setTextFormat(Qt::PlainText);
    nameLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    renameButton_ = makePickerSymbolButton(QStringLiteral("pencil"), kButtonSymbol, stack_);
    setHelpText(renameButton_, QStringLiteral("Rename"));
    deleteButton_ = makePickerSymbolButton(QStringLiteral("xmark"), kButtonSymbol, stack_);

    QObject::connect(renameButton_, &QAbstractButton::clicked, this, [this] { model_.beginRename(harmony_); });
    QObject::connect(deleteButton_, &QAbstractButton::clicked, this, [this] { model_.deleteSavedHarmony(harmony_); });
    applyStyle();
}

void SavedHarmonyRow::showHarmony(std::size_t index, const SavedHarmony& harmony, bool renaming) {
    index_ = index;
    harmony_ = harmony;
    static_cast<HarmonyDots*>(dots_)->setColors(harmony.colors());
    const QString typeName = rawValueText(harmony.harmonyType);
    nameLabel_->setText(harmony.name.isEmpty() ? typeName : harmony.name);

    if (renaming && !field_) {
        auto* field =
            new HarmonyNameField({[this] {
                                      model_.renameFieldAppeared();
                                      if (field_) field_->setFocus(Qt::OtherFocusReason);
                                  },
                                  [this] { model_.endRename(); }, [this] { model_.renameFieldFocusChanged(false); }},
                                 stack_);
        field->setText(harmony.name);
        field_ = field;
        QObject::connect(field, &QLineEdit::textEdited, this,
                         [this](const QString& text) { model_.renameHarmony(index_, harmony_.id, text); });
        QObject::connect(field, &QLineEdit::returnPressed, this, [this] { model_.endRename(); });
    } else if (!renaming && field_) {
        dropField();
    }
    if (field_) {
        field_->setPlaceholderText(typeName);
        if (field_->text() != harmony.name) field_->setText(harmony.name);
    }

    // [dots] [name, space, rename] or [dots] [field], then [delete].
    while (stackLayout_->count() > 0) delete stackLayout_->takeAt(0);
    stackLayout_->addWidget(dots_);
    if (field_) {
        nameLabel_->hide();
        renameButton_->hide();
        stackLayout_->addWidget(field_, 1);
    } else {
        nameLabel_->show();
        renameButton_->show();
        stackLayout_->addWidget(nameLabel_, 1);
        stackLayout_->addWidget(renameButton_);
    }
    stackLayout_->addWidget(deleteButton_);
    applyStyle();
    if (field_ && isVisible()) field_->show();
}

void SavedHarmonyRow::dropField() {
    if (!field_) return;
    // It may be this field's own Return or Esc that got us here.
    field_->retire();
    field_->hide();
    field_->deleteLater();
    field_ = nullptr;
}

void SavedHarmonyRow::retire() {
    if (field_) field_->retire();
    renameButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
    hide();
    deleteLater();
}

bool SavedHarmonyRow::isRenameFieldFocused() const { return field_ && field_->hasFocus(); }

QRect SavedHarmonyRow::tapArea() const { return stack_->geometry(); }

void SavedHarmonyRow::applyStyle() {
    const PickerStyle style = pickerStyle(this);
    // The name reads on the row's plate, a shade off the panel.
    const ui::Theme theme = ui::Theme::current(this);
    const Color plate = composited(theme.primary.opacity(kPlateOpacity), theme.material);
    QPalette labelPalette = nameLabel_->palette();
    labelPalette.setColor(QPalette::WindowText, theme.legible(theme.secondary, plate).toQColor());
    nameLabel_->setPalette(labelPalette);
    nameLabel_->setFont(style.caption2);
    renameButton_->setColor(style.secondary);
    deleteButton_->setColor(style.secondary);
    if (field_) {
        field_->setFont(style.caption2);
        QPalette p = field_->palette();
        p.setColor(QPalette::Text, style.primary);
        p.setColor(QPalette::PlaceholderText, style.secondary);
        p.setColor(QPalette::Base, Qt::transparent);
        field_->setPalette(p);
    }
}

void SavedHarmonyRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) applyStyle();
}

void SavedHarmonyRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor background = pickerStyle(this).primary;
    background.setAlphaF(background.alphaF() * float(kPlateOpacity));
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    p.fillPath(shape, background);
}

void SavedHarmonyRow::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton && tapArea().contains(event->position().toPoint());
    if (pressed_) event->accept();
    else QWidget::mousePressEvent(event);
}

void SavedHarmonyRow::mouseReleaseEvent(QMouseEvent* event) {
    const bool tap = pressed_ && event->button() == Qt::LeftButton && tapArea().contains(event->position().toPoint());
    pressed_ = false;
    if (tap) model_.applySavedHarmony(harmony_);
    else QWidget::mouseReleaseEvent(event);
}
