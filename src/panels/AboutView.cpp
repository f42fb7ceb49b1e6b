// The about panel's content.
#include "panels/AboutView.h"

#include "panels/AboutText.h"
#include "panels/InfoPanelParts.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDate>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kTitleSpacing = 1;
constexpr double kTitleSize = 13;
constexpr double kVersionSize = 10;
constexpr double kTextSize = 10;
constexpr double kLineSpacing = 2;
constexpr double kNoticeSize = 9;

// The document lines up its columns: a desktop theme may name a
// proportional family as its fixed font, so that choice is checked.
QFont monospacedFont(double pixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(int(pixelSize));
    if (QFontInfo(font).fixedPitch()) return font;
    font = QFont(QStringLiteral("monospace"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(int(pixelSize));
    return font;
}

} // namespace

AboutView::Sources AboutView::Sources::standard() {
    return {&platform::Bundle::main(), QApplication::windowIcon(), QDate::currentDate().year()};
}

AboutView::AboutView(std::shared_ptr<DismissRef> dismiss, Sources sources, QWidget* parent)
    : QWidget(parent), dismiss_(std::move(dismiss)) {
    platform::assertMainThread("AboutView");
    setFixedSize(int(kWidth), int(kHeight));
    QWidget* header = buildHeader(sources);
    QWidget* body = buildText(sources);
    layOutInfoPanel(this, header, body, buildFooter(sources));
}

QWidget* AboutView::buildHeader(const Sources& sources) {
    const ui::Theme theme = ui::Theme::current(this);
    QWidget* header = makeInfoHeaderRow(this);
    auto* h = static_cast<QHBoxLayout*>(header->layout());

    icon_ = new QLabel(header);
    icon_->setFixedSize(int(kIconSide), int(kIconSide));
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!sources.icon.isNull()) {
        // The rendition for this size and the screen's pixel ratio.
        const qreal ratio = devicePixelRatioF();
        icon_->setPixmap(sources.icon.pixmap(QSize(int(kIconSide), int(kIconSide)), ratio));
        icon_->setScaledContents(true);
    }
    h->addWidget(icon_);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(kTitleSpacing);
    titles->addWidget(
        makeInfoLabel(QStringLiteral("Overink"), ui::systemFont(kTitleSize, QFont::DemiBold), theme.primary, header));
    const platform::Bundle& bundle = sources.bundle ? *sources.bundle : platform::Bundle::main();
    version_ = makeInfoLabel(
        QStringLiteral("Version %1 (%2)").arg(AboutText::appVersion(bundle), AboutText::buildNumber(bundle)),
        ui::systemFont(kVersionSize), theme.secondary, header);
    titles->addWidget(version_);
    h->addLayout(titles);
    headerClose_ = endInfoRowWithClose(header, new InfoPanelCloseButton(header), [this] {
        if (dismiss_) (*dismiss_)();
    });
    return header;
}

QWidget* AboutView::buildText(const Sources& sources) {
    const ui::Theme theme = ui::Theme::current(this);
    const platform::Bundle& bundle = sources.bundle ? *sources.bundle : platform::Bundle::main();

    text_ = new QTextEdit(this);
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setFocusPolicy(Qt::NoFocus);
    text_->setAutoFillBackground(false);
    text_->viewport()->setAutoFillBackground(false);

    text_->document()->setDefaultFont(monospacedFont(kTextSize));
    // The padding around the text; the scroll bar stands in the right one.
    text_->document()->setDocumentMargin(kInfoPanelInset);
    QPalette palette = text_->palette();
    palette.setColor(QPalette::Text, theme.secondary.toQColor());
    // The panel's material shows through.
    palette.setColor(QPalette::Base, Qt::transparent);
    text_->setPalette(palette);

    text_->setPlainText(AboutText::aboutText(AboutText::appVersion(bundle), AboutText::buildNumber(bundle)));
    // Two more points between lines than the font's own spacing.
    QTextCursor cursor(text_->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat spacing;
    spacing.setLineHeight(kLineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(spacing);
    text_->moveCursor(QTextCursor::Start);
    return text_;
}

QWidget* AboutView::buildFooter(const Sources& sources) {
    const ui::Theme theme = ui::Theme::current(this);
    QWidget* footer = makeInfoFooterRow(this);
    auto* h = static_cast<QHBoxLayout*>(footer->layout());
    notice_ = makeInfoLabel(AboutText::notice(sources.year), ui::systemFont(kNoticeSize), theme.legible(theme.tertiary),
                            footer);
    h->addWidget(notice_);
    footerClose_ = endInfoRowWithClose(footer, makeInfoCloseButton(footer), [this] {
        if (dismiss_) (*dismiss_)();
    });
    return footer;
}
