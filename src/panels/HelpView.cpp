// The help panel's content.
#include "panels/HelpView.h"

#include "panels/InfoPanelParts.h"
#include "platform/Dispatch.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kSectionSpacing = 14;
constexpr int kSectionItemSpacing = 5;
constexpr int kBulletSpacing = 4;
constexpr int kBulletMarkSpacing = 6;
constexpr double kSymbolSize = 18;
constexpr double kTitleSize = 13;
constexpr double kSectionTitleSize = 11;
constexpr double kBodySize = 13;
constexpr double kBulletSize = 11;
constexpr double kBulletOpacity = 0.85;
constexpr double kHintSize = 9;

// Gives its content the height its wrapped lines need at the viewport's
// width. A resizable scroll area would use the content's minimum height,
// which counts wrapped labels at a narrow width and spreads the excess
// between the bullets.
class WrappingScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QScrollArea::resizeEvent(event);
        fit();
    }
    void showEvent(QShowEvent* event) override {
        QScrollArea::showEvent(event);
        fit();
    }

private:
    void fit() {
        QWidget* content = widget();
        if (!content || !content->layout() || fitting_) return;
        fitting_ = true;
        const int width = viewport()->width();
        content->resize(width, std::max(content->layout()->heightForWidth(width), viewport()->height()));
        content->layout()->activate();
        // Nested rows ask wrapped labels for their height at other widths;
        // each keeps the height of its lines at the width it was given.
        for (QLabel* label : content->findChildren<QLabel*>()) {
            if (!label->wordWrap()) continue;
            // Measured as the label draws it: QLabel's own estimate may count
            // a line more than it then draws.
            const QRect lines =
                label->fontMetrics().boundingRect(QRect(0, 0, label->contentsRect().width(), 1 << 20),
                                                  int(label->alignment()) | Qt::TextWordWrap, label->text());
            const QMargins m = label->contentsMargins();
            label->setFixedHeight(lines.height() + m.top() + m.bottom());
        }
        content->layout()->activate();
        content->resize(width, std::max(content->layout()->heightForWidth(width), viewport()->height()));
        fitting_ = false;
    }
    bool fitting_ = false;
};

} // namespace

const std::array<HelpView::Section, 5>& HelpView::sections() {
    static const std::array<Section, 5> kList = {{
        {QStringLiteral("Two modes"), QStringLiteral("Overink operates in one of two modes at any time."), {}},
        {QStringLiteral("Draw mode"),
         {},
         {QStringLiteral("Active whenever a toolbar tool is selected (pen, shape, text, eraser, etc.)."),
          QStringLiteral("Clicks and drags draw on the overlay."),
          QStringLiteral("Apps and windows underneath cannot be interacted with.")}},
        {QStringLiteral("Passthrough mode"),
         {},
         {QStringLiteral("Entered by pressing Esc to deselect the active tool."),
          QStringLiteral("Apps and windows underneath are fully interactive \u2014 click, scroll, and type through "
                         "the overlay."),
          QStringLiteral("Select any tool to return to Draw mode.")}},
        {QStringLiteral("Attach mode"),
         {},
         {QStringLiteral("Pin the toolbar to a specific app or window for local edits."),
          QStringLiteral("Drawing applies only to that window \u2014 strokes stay scoped to it and move with it."),
          QStringLiteral("Click the pin again to detach.")}},
        {QStringLiteral("Screenshots"),
         {},
         {QStringLiteral("When attached, only that window or app is captured \u2014 not the whole screen."),
          QStringLiteral("When not attached, the full screen is captured."),
          QStringLiteral("Press Esc at any time to cancel a capture.")}},
    }};
    return kList;
}

HelpView::HelpView(std::shared_ptr<DismissRef> dismiss, QWidget* parent)
    : QWidget(parent), dismiss_(std::move(dismiss)) {
    platform::assertMainThread("HelpView");
    // Its height is the one it asks for (sizeHint()); on a shorter display
    // the body, which scrolls anyway, gives way.
    setFixedWidth(int(kWidth));
    QWidget* header = buildHeader();
    QWidget* body = buildBody();
    layOutInfoPanel(this, header, body, buildFooter());
}

QSize HelpView::sizeHint() const { return QSize(int(kWidth), int(kHeight)); }

QWidget* HelpView::buildHeader() {
    const ui::Theme theme = ui::Theme::current(this);
    QWidget* header = makeInfoHeaderRow(this);
    auto* h = static_cast<QHBoxLayout*>(header->layout());
    h->addWidget(
        new InfoPanelSymbol(QStringLiteral("questionmark.circle"), kSymbolSize, ui::ThemeColor::accent, header));
    h->addWidget(
        makeInfoLabel(QStringLiteral("Help"), ui::systemFont(kTitleSize, QFont::DemiBold), theme.primary, header));
    headerClose_ = endInfoRowWithClose(header, new InfoPanelCloseButton(header), [this] {
        if (dismiss_) (*dismiss_)();
    });
    return header;
}

QWidget* HelpView::buildBody() {
    const ui::Theme theme = ui::Theme::current(this);
    body_ = new WrappingScrollArea(this);
    body_->setFrameShape(QFrame::NoFrame);
    body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always shown: the content's width then does not depend on its height.
    body_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    body_->setAutoFillBackground(false);
    body_->viewport()->setAutoFillBackground(false);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(kInfoPanelInset, kInfoPanelInset, kInfoPanelInset, kInfoPanelInset);
    sections->setSpacing(kSectionSpacing);
    for (const Section& s : HelpView::sections()) {
        auto* section = new QVBoxLayout;
        section->setSpacing(kSectionItemSpacing);
        section->addWidget(
            makeInfoLabel(s.title, ui::systemFont(kSectionTitleSize, QFont::Bold), theme.primary, content));
        if (!s.line.isEmpty()) {
            QLabel* line = makeInfoLabel(s.line, ui::systemFont(kBodySize), theme.secondary, content);
            line->setWordWrap(true);
            section->addWidget(line);
        }
        if (!s.bullets.empty()) {
            auto* bullets = new QVBoxLayout;
            bullets->setSpacing(kBulletSpacing);
            for (const QString& bullet : s.bullets) {
                auto* row = new QHBoxLayout;
                row->setSpacing(kBulletMarkSpacing);
                row->addWidget(
                    makeInfoLabel(QStringLiteral("\u2022"), ui::systemFont(kBulletSize), theme.secondary, content), 0,
                    Qt::AlignTop);
                // Wraps within the width; continuation lines start under the
                // text, not under the mark.
                QLabel* text =
                    makeInfoLabel(bullet, ui::systemFont(kBulletSize), theme.primary.opacity(kBulletOpacity), content);
                text->setWordWrap(true);
                text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
                row->addWidget(text, 1);
                bullets->addLayout(row);
                bulletLabels_.push_back(text);
            }
            section->addLayout(bullets);
        }
        sections->addLayout(section);
    }
    sections->addStretch(1);
    body_->setWidget(content);
    return body_;
}

QWidget* HelpView::buildFooter() {
    const ui::Theme theme = ui::Theme::current(this);
    QWidget* footer = makeInfoFooterRow(this);
    auto* h = static_cast<QHBoxLayout*>(footer->layout());
    h->addWidget(makeInfoLabel(QStringLiteral("Press Esc to close"), ui::systemFont(kHintSize),
                               theme.legible(theme.tertiary), footer));
    footerClose_ = endInfoRowWithClose(footer, makeInfoCloseButton(footer), [this] {
        if (dismiss_) (*dismiss_)();
    });
    return footer;
}
