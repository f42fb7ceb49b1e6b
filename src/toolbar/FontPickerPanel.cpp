// The font picker's content.
#include "toolbar/FontPickerPanel.h"

#include "platform/Dispatch.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace {
constexpr int kSearchPadding = 10;
} // namespace

FontPickerPanel::FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                                 std::shared_ptr<DrawingState> state, QWidget* parent)
    : QWidget(parent),
      fontName_(fontName),
      fontSize_(fontSize),
      state_(std::move(state)),
      search_(new QLineEdit(this)) {
    platform::assertMainThread("FontPickerPanel");
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    search_->setPlaceholderText(QStringLiteral("Search fonts\u2026"));
    search_->setClearButtonEnabled(false);
    QObject::connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        platform::assertMainThread("font search");
        searchText_ = text;
    });
    auto* searchRow = new QVBoxLayout;
    searchRow->setContentsMargins(kSearchPadding, kSearchPadding, kSearchPadding, kSearchPadding);
    searchRow->addWidget(search_);
    column->addLayout(searchRow);
}

QSize FontPickerPanel::sizeHint() const { return QSize(int(kWidth), layout()->sizeHint().height()); }
