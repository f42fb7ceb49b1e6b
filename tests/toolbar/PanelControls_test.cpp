// The kit's controls as each panel sets them up: the colour picker's and the
// settings footer's symbol buttons draw as those panels drew their own, and
// each panel's divider keeps its shade.
#include "colorpicker/PickerStyle.h"
#include "platform/SymbolIcon.h"
#include "toolbar/SettingsControls.h"
#include "ui/PanelDivider.h"
#include "ui/SymbolButton.h"
#include "ui/Theme.h"

#include "support/TestUtil.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;

namespace {

QImage rendered(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool isBlank(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0) return false;
    return true;
}

QImage blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

TEST(PanelControls, ThePickersSymbolButtonsDrawTheirSymbolAtItsSizeWithTwoPointsAround) {
    for (double size : {8.0, 10.0}) {
        SCOPED_TRACE(size);
        std::unique_ptr<SymbolButton> button(makePickerSymbolButton(QStringLiteral("pencil"), size, nullptr));
        const QColor tint(90, 90, 90);
        button->setColor(tint);
        ASSERT_EQ(button->size(), QSize(int(size) + 4, int(size) + 4));

        QImage expected = blank(button->size());
        {
            QPainter p(&expected);
            p.setRenderHint(QPainter::Antialiasing);
            platform::drawSymbol(p, QRectF(2, 2, size, size), QStringLiteral("pencil"), tint);
        }
        ASSERT_FALSE(isBlank(expected));
        EXPECT_EQ(rendered(*button), expected);
        // Disabled (a full list of harmonies) it keeps its look.
        button->setEnabled(false);
        EXPECT_EQ(rendered(*button), expected);
    }
}

TEST(PanelControls, TheSettingsFooterButtonIsItsSymbolInAFrameJustItsSize) {
    std::unique_ptr<SymbolButton> button(
        makeSettingsFooterButton(QStringLiteral("power"), QStringLiteral("Quit Overink"), nullptr));
    ASSERT_EQ(button->size(), QSize(15, 15));
    EXPECT_EQ(button->chip()->text(), QStringLiteral("Quit Overink"));
    const ui::Theme theme = ui::Theme::current(button.get());
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        button->setEnabled(enabled);
        QImage expected = blank(button->size());
        {
            QPainter p(&expected);
            ui::drawSymbol(p, QRectF(0, 0, 15, 15), QStringLiteral("power"), theme.secondary.opacity(enabled ? 1 : 0.4),
                           12);
        }
        ASSERT_FALSE(isBlank(expected));
        EXPECT_EQ(rendered(*button), expected);
    }
}

TEST(PanelControls, EachPanelsDividerKeepsItsShade) {
    for (bool dark : {false, true}) {
        ui::Theme theme;
        theme.dark = dark;
        theme.primary = dark ? Color{1, 1, 1, 1} : Color{0, 0, 0, 1};
        EXPECT_NEAR(PanelDivider::color(theme, PanelDivider::Shade::faint).alphaF(), 0.12, 0.002);
        EXPECT_NEAR(PanelDivider::color(theme, PanelDivider::Shade::medium).alphaF(), 0.15, 0.002);
        EXPECT_NEAR(PanelDivider::color(theme, PanelDivider::Shade::themed).alphaF(), dark ? 0.15 : 0.1, 0.002);
    }
    PanelDivider padded(3, nullptr, PanelDivider::Shade::themed);
    EXPECT_EQ(padded.sizeHint().height(), 7);
    EXPECT_TRUE(padded.testAttribute(Qt::WA_TransparentForMouseEvents)) << "a press on it is the panel's";
}
