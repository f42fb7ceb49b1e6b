#pragma once

// The chip a tooltip shows: one line of text in the system font of size 12
// on a small rounded plate of the panels' material with a faint outline,
// exactly as large as its text needs.

#include <QString>
#include <QWidget>

class TooltipChip : public QWidget {
public:
    static constexpr double kFontSize = 12;
    static constexpr double kHorizontalPadding = 8;
    static constexpr double kVerticalPadding = 4;
    static constexpr double kCornerRadius = 5;
    static constexpr double kOutlineWidth = 0.5;
    static constexpr double kOutlineOpacity = 0.12;

    explicit TooltipChip(QWidget* parent = nullptr);

    // Shown as given, on one line.
    void setText(const QString& text);
    const QString& text() const { return text_; }

    // The ideal size: the text and its padding, never wrapped. The panel
    // takes exactly this size.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString text_;
};
