// The about panel: its version lines and year text, the about document's
// layout rules, the icon's square, its fixed size and its close controls.
#include "panels/AboutText.h"
#include "panels/AboutView.h"

#include "platform/Bundle.h"
#include "support/TestUtil.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QLabel>
#include <QScrollBar>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const platform::Bundle kVersioned(QString(), QStringLiteral("2.3"), QStringLiteral("41"));
const platform::Bundle kUnversioned(QString(), std::nullopt, std::nullopt);

AboutView::Sources sources(const platform::Bundle& bundle, int year = 2026, QIcon icon = {}) {
    return {&bundle, std::move(icon), year};
}

} // namespace

TEST(AboutText, VersionLinesComeFromTheBundleWithFallbacks) {
    EXPECT_EQ(AboutText::appVersion(kVersioned), "2.3");
    EXPECT_EQ(AboutText::buildNumber(kVersioned), "41");
    EXPECT_EQ(AboutText::appVersion(kUnversioned), "1.0");
    EXPECT_EQ(AboutText::buildNumber(kUnversioned), "1");

    const QStringList lines = AboutText::aboutText("2.3", "41").split('\n');
    EXPECT_TRUE(lines.contains(QStringLiteral("Version:   2.3, Build 41")));
    // The developer and support values start in the version's column.
    for (const QString& label : {QStringLiteral("Developer: "), QStringLiteral("Support:   ")}) {
        const auto line =
            std::find_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(label); });
        ASSERT_NE(line, lines.end()) << label.toStdString();
        EXPECT_NE(line->at(11), ' ');
    }

    AboutView view({}, sources(kVersioned));
    EXPECT_EQ(view.versionLabel()->text(), "Version 2.3 (41)");
    EXPECT_TRUE(view.textView()->toPlainText().contains("Version:   2.3, Build 41"));
    AboutView fallback({}, sources(kUnversioned));
    EXPECT_EQ(fallback.versionLabel()->text(), "Version 1.0 (1)");
}

TEST(AboutText, TheNoticeNamesTheYearsSince2026) {
    EXPECT_EQ(AboutText::yearText(2025), "2026");
    EXPECT_EQ(AboutText::yearText(2026), "2026");
    EXPECT_EQ(AboutText::yearText(2027), QStringLiteral("2026\u20132027"));
    EXPECT_EQ(AboutText::yearText(2030), QStringLiteral("2026\u20132030"));

    AboutView in2026({}, sources(kVersioned, 2026));
    EXPECT_TRUE(in2026.noticeLabel()->text().contains("2026"));
    EXPECT_FALSE(in2026.noticeLabel()->text().contains(QChar(0x2013)));
    AboutView in2030({}, sources(kVersioned, 2030));
    EXPECT_TRUE(in2030.noticeLabel()->text().contains(QStringLiteral("2026\u20132030")));
}

TEST(AboutText, TheDocumentKeepsItsSectionsRulesAndColumn) {
    const QString text = AboutText::aboutText("12.34.5", "987654");
    ASSERT_TRUE(text.endsWith('\n'));
    EXPECT_FALSE(text.endsWith("\n\n"));
    const QStringList lines = text.split('\n');
    EXPECT_EQ(lines.first(), "ABOUT OVERINK");

    const QString rule(50, QChar(0x2550));
    int rules = 0;
    for (const QString& line : lines) {
        EXPECT_LE(line.size(), 52) << line.toStdString();
        if (line.contains(QChar(0x2550))) {
            EXPECT_EQ(line, rule);
            ++rules;
        }
        // Bullets: two spaces and the mark; their continuations four spaces.
        if (line.contains(QChar(0x2022))) {
            EXPECT_TRUE(line.startsWith(QStringLiteral("  \u2022 "))) << line.toStdString();
        }
        EXPECT_FALSE(line.endsWith(' ') && !line.startsWith("Version:")) << line.toStdString();
    }

    // Each section: two empty lines, its heading, a rule, then its body.
    const QStringList headings = {"PRIVACY & DATA COLLECTION", "SYSTEM PERMISSIONS",    "LAUNCH AT LOGIN",
                                  "LIMITATION OF LIABILITY",   "INTELLECTUAL PROPERTY", "THIRD-PARTY ACKNOWLEDGMENTS"};
    EXPECT_EQ(rules, 1 + headings.size());
    qsizetype previous = 0;
    for (const QString& heading : headings) {
        const qsizetype at = lines.indexOf(heading);
        ASSERT_GT(at, previous) << heading.toStdString();
        EXPECT_TRUE(lines[at - 1].isEmpty() && lines[at - 2].isEmpty()) << heading.toStdString();
        EXPECT_EQ(lines[at + 1], rule);
        EXPECT_FALSE(lines[at + 2].isEmpty());
        previous = at;
    }
    EXPECT_EQ(lines[1], rule);
    // The version line's values fit the column even with a long version.
    EXPECT_TRUE(lines.contains(QStringLiteral("Version:   12.34.5, Build 987654")));
}

TEST(AboutView, FixedSizeSelectableTextAndBothCloseControls) {
    int closed = 0;
    auto dismiss = std::make_shared<DismissRef>();
    dismiss->dismiss = [&] { ++closed; };
    AboutView view(dismiss, sources(kVersioned));
    view.show();
    drainEvents();
    EXPECT_EQ(view.size(), QSize(346, 430));
    EXPECT_TRUE(view.textView()->isReadOnly());
    // Its columns line up.
    EXPECT_TRUE(QFontInfo(view.textView()->document()->defaultFont()).fixedPitch());
    EXPECT_TRUE(view.textView()->textInteractionFlags() & Qt::TextSelectableByMouse);
    // The document is longer than the panel: it scrolls inside it.
    EXPECT_GT(view.textView()->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.size(), QSize(346, 430));

    // An application without an icon leaves an empty 26-point square.
    EXPECT_EQ(view.iconLabel()->size(), QSize(26, 26));
    EXPECT_TRUE(view.iconLabel()->pixmap().isNull());

    view.headerCloseButton()->click();
    EXPECT_EQ(closed, 1);
    view.footerCloseButton()->click();
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(view.footerCloseButton()->text(), "Close");
}

TEST(AboutView, ShowsTheApplicationIconInItsSquare) {
    QPixmap red(64, 64);
    red.fill(Qt::red);
    AboutView view({}, sources(kVersioned, 2026, QIcon(red)));
    EXPECT_EQ(view.iconLabel()->size(), QSize(26, 26));
    ASSERT_FALSE(view.iconLabel()->pixmap().isNull());
    const QImage image = view.iconLabel()->pixmap().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::red));
}
