// The font picker's content.
#include "toolbar/FontPickerPanel.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "toolbar/FontFamilyListView.h"
#include "toolbar/FontFavoriteRow.h"
#include "toolbar/SizeStepper.h"
#include "ui/BorderlessButton.h"
#include "ui/PanelDivider.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace {

constexpr int kSearchPadding = 10;
constexpr int kSectionHorizontalPadding = 12;
constexpr int kSizeSectionVerticalPadding = 8;
constexpr int kSizeSectionSpacing = 4;
constexpr int kSizeRowSpacing = 6;
constexpr int kSizeFieldWidth = 52;
constexpr int kSaveVerticalPadding = 7;
constexpr int kHeadingTopPadding = 7;
constexpr int kHeadingBottomPadding = 2;
constexpr int kBelowFavorites = 6;
constexpr double kBodyPixelSize = 13;

// The size field: Esc drops what was typed and then goes on to the panel,
// which ends the typing.
class SizeField : public QLineEdit {
public:
    // `escaped`: drops what was typed.
    SizeField(std::function<void()> escaped, QWidget* parent) : QLineEdit(parent), escaped_(std::move(escaped)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            if (escaped_) escaped_();
            event->ignore();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    std::function<void()> escaped_;
};

} // namespace

FontPickerPanel::FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                                 std::shared_ptr<DrawingState> state, QWidget* parent)
    : FontPickerPanel(fontName, fontSize, std::move(state), FontPickerModel::FamilySource{}, parent) {}

FontPickerPanel::FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                                 std::shared_ptr<DrawingState> state, FontPickerModel::FamilySource families,
                                 QWidget* parent)
    : QWidget(parent), model_(fontName, fontSize, std::move(state), std::move(families)) {
    platform::assertMainThread("FontPickerPanel");
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(static_cast<int>(kWidth));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    search_ = new QLineEdit(this);
    search_->setPlaceholderText(QStringLiteral("Search fonts\u2026"));
    search_->setFont(ui::systemFont(kBodyPixelSize));
    search_->setClearButtonEnabled(false);
    auto* searchBox = new QVBoxLayout;
    searchBox->setContentsMargins(kSearchPadding, kSearchPadding, kSearchPadding, kSearchPadding);
    searchBox->addWidget(search_);
    column->addLayout(searchBox);
    QObject::connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        platform::assertMainThread("font search");
        model_.searchText = text;
        refreshFamilies();
    });

    column->addWidget(new PanelDivider(PanelDivider::Shade::medium, this));
    list_ = new FontFamilyListView(
        [this](const QString& entry) {
            platform::assertMainThread("font family tap");
            model_.selectFamily(entry);
        },
        this);
    column->addWidget(list_);
    column->addWidget(new PanelDivider(PanelDivider::Shade::medium, this));
    column->addWidget(buildSizeSection());
    column->addWidget(new PanelDivider(PanelDivider::Shade::medium, this));
    column->addWidget(buildSaveButton());
    column->addWidget(buildFavorites());

    refreshFamilies();
    applyStyle();
    bindModel();
}

FontPickerPanel::~FontPickerPanel() {
    // A focused size field finishes its editing on the way out; the fields it
    // would write may already be going.
    bindings_.clear();
    QObject::disconnect(sizeField_, nullptr, this, nullptr);
}

QWidget* FontPickerPanel::buildSizeSection() {
    auto* section = new QWidget(this);
    auto* v = new QVBoxLayout(section);
    v->setContentsMargins(kSectionHorizontalPadding, kSizeSectionVerticalPadding, kSectionHorizontalPadding,
                          kSizeSectionVerticalPadding);
    v->setSpacing(kSizeSectionSpacing);

    autoSize_ = new QCheckBox(QStringLiteral("Auto-size (proportional to box)"), section);
    autoSize_->setFont(ui::font(ui::TextStyle::caption));
    autoSize_->setFocusPolicy(Qt::NoFocus);
    v->addWidget(autoSize_, 0, Qt::AlignLeft);
    QObject::connect(autoSize_, &QCheckBox::toggled, this, [this](bool on) {
        platform::assertMainThread("auto-size toggle");
        model_.setAutoSize(on);
    });

    sizeRow_ = new QWidget(section);
    auto* h = new QHBoxLayout(sizeRow_);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(kSizeRowSpacing);
    sizeLabel_ = new QLabel(QStringLiteral("Size:"), sizeRow_);
    sizeLabel_->setFont(ui::systemFont(kBodyPixelSize));
    sizeField_ = new SizeField(
        [this] { sizeField_->setText(FontPickerModel::sizeFieldText(fontSize().get(), sizeField_->locale())); },
        sizeRow_);
    sizeField_->setFixedWidth(kSizeFieldWidth);
    sizeField_->setFont(ui::systemFont(kBodyPixelSize));
    sizeField_->setAccessibleName(QStringLiteral("Font size"));
    QObject::connect(sizeField_, &QLineEdit::editingFinished, this, [this] { commitSizeField(); });
    pointsLabel_ = new QLabel(QStringLiteral("pt"), sizeRow_);
    pointsLabel_->setFont(ui::systemFont(kBodyPixelSize));
    stepper_ = new SizeStepper(
        [this] {
            platform::assertMainThread("size stepper");
            model_.stepUp();
        },
        [this] {
            platform::assertMainThread("size stepper");
            model_.stepDown();
        },
        sizeRow_);
    h->addWidget(sizeLabel_, 0, Qt::AlignVCenter);
    h->addWidget(sizeField_, 0, Qt::AlignVCenter);
    h->addWidget(pointsLabel_, 0, Qt::AlignVCenter);
    h->addWidget(stepper_, 0, Qt::AlignVCenter);
    h->addStretch(1);
    v->addWidget(sizeRow_);
    return section;
}

QWidget* FontPickerPanel::buildSaveButton() {
    auto* box = new QWidget(this);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(kSectionHorizontalPadding, kSaveVerticalPadding, kSectionHorizontalPadding,
                          kSaveVerticalPadding);
    saveButton_ = new BorderlessButton(QStringLiteral("Save to Favorites"), ui::systemFont(kBodyPixelSize), box);
    saveButton_->setSymbol(QStringLiteral("star"));
    saveButton_->setTint(ui::ThemeColor::accent);
    saveButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    h->addWidget(saveButton_);
    QObject::connect(saveButton_, &QAbstractButton::clicked, this, [this] {
        platform::assertMainThread("save to favourites");
        model_.saveToFavorites();
    });
    return box;
}

QWidget* FontPickerPanel::buildFavorites() {
    favorites_ = new QWidget(this);
    auto* v = new QVBoxLayout(favorites_);
    v->setContentsMargins(0, 0, 0, kBelowFavorites);
    v->setSpacing(0);
    v->addWidget(new PanelDivider(PanelDivider::Shade::medium, favorites_));
    favoritesHeading_ = new QLabel(QStringLiteral("Favorites"), favorites_);
    favoritesHeading_->setFont(ui::font(ui::TextStyle::caption));
    favoritesHeading_->setContentsMargins(kSectionHorizontalPadding, kHeadingTopPadding, kSectionHorizontalPadding,
                                          kHeadingBottomPadding);
    v->addWidget(favoritesHeading_);
    rowsLayout_ = new QVBoxLayout;
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(0);
    v->addLayout(rowsLayout_);
    favorites_->hide();
    return favorites_;
}

void FontPickerPanel::bindModel() {
    bindings_.bind(fontName(), list_,
                   [](FontFamilyListView& list, const QString& name) { list.setSelectedName(name); });
    bindings_.bind(fontSize(), this, [](FontPickerPanel& panel, double size) { panel.showSize(size); });
    bindings_.bind(
        model_.state().fontPresets, this,
        [](FontPickerPanel& panel, const std::vector<FontPreset>& presets) { panel.showFavorites(presets); });
}

void FontPickerPanel::refreshFamilies() { list_->setEntries(model_.filteredFamilies()); }

void FontPickerPanel::showSize(double size) {
    {
        const QSignalBlocker quiet(autoSize_);
        autoSize_->setChecked(size == 0);
    }
    sizeRow_->setVisible(size > 0);
    if (size > 0) sizeField_->setText(FontPickerModel::sizeFieldText(size, sizeField_->locale()));
    stepper_->setCanStep(FontPickerModel::canStepUpFrom(size), FontPickerModel::canStepDownFrom(size));
}

void FontPickerPanel::commitSizeField() {
    platform::assertMainThread("size field");
    // Hiding the row for a typed 0 moves the focus, which finishes the
    // editing a second time.
    if (committingSize_) return;
    const QScopedValueRollback<bool> guard(committingSize_, true);
    // The field shows the size rounded: its text left as shown keeps the
    // size as it is (a fitted text's size has many decimals).
    const QString shown = FontPickerModel::sizeFieldText(fontSize().get(), sizeField_->locale());
    const auto typed = FontPickerModel::parseSizeField(sizeField_->text(), sizeField_->locale());
    if (typed && *typed != fontSize().get() && sizeField_->text().trimmed() != shown) model_.setTypedSize(*typed);
    // The field shows the size in effect, also after a refused entry.
    if (fontSize().get() > 0)
        sizeField_->setText(FontPickerModel::sizeFieldText(fontSize().get(), sizeField_->locale()));
}

void FontPickerPanel::showFavorites(const std::vector<FontPreset>& presets) {
    for (FontFavoriteRow* row : rows_) {
        row->hide();
        row->deleteLater();
    }
    rows_.clear();
    for (const FontPreset& preset : presets) {
        auto* row = new FontFavoriteRow(
            preset,
            [this](const FontPreset& p) {
                platform::assertMainThread("apply favourite");
                model_.applyFavorite(p);
            },
            favorites_);
        rowsLayout_->addWidget(row);
        rows_.push_back(row);
    }
    favorites_->setVisible(!presets.empty());
}

void FontPickerPanel::applyStyle() {
    const ui::Theme theme = ui::Theme::current(this);
    ui::setTextColor(pointsLabel_, theme.secondary);
    ui::setTextColor(favoritesHeading_, theme.secondary);
    ui::makePlaceholderLegible(search_);
}

QSize FontPickerPanel::sizeHint() const { return QSize(static_cast<int>(kWidth), layout()->sizeHint().height()); }

void FontPickerPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
    if (event->type() == QEvent::LocaleChange && fontSize().get() > 0 && !sizeField_->hasFocus())
        sizeField_->setText(FontPickerModel::sizeFieldText(fontSize().get(), sizeField_->locale()));
}
