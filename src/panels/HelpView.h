#pragma once

// The help panel's content: a header with the help symbol, the title and a
// close button; the five sections on the program's modes in a scrolling
// body; a footer with the Esc hint and a "Close" button. Both close
// controls call `dismiss`.

#include "ui/DismissBox.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QAbstractButton;
class QLabel;
class QScrollArea;

class HelpView : public QWidget {
public:
    static constexpr double kWidth = 360;
    static constexpr double kHeight = 470;

    // A section: its title, then either a line of text or its bullets.
    struct Section {
        QString title;
        QString line;
        std::vector<QString> bullets;
    };
    static const std::array<Section, 5>& sections();

    explicit HelpView(std::shared_ptr<DismissRef> dismiss, QWidget* parent = nullptr);

    QAbstractButton* headerCloseButton() const { return headerClose_; }
    QAbstractButton* footerCloseButton() const { return footerClose_; }
    QScrollArea* body() const { return body_; }

    QSize sizeHint() const override;
    // The text labels of the bullets, in the order of the sections.
    const std::vector<QLabel*>& bulletLabels() const { return bulletLabels_; }

private:
    QWidget* buildHeader();
    QWidget* buildBody();
    QWidget* buildFooter();

    std::shared_ptr<DismissRef> dismiss_;
    QAbstractButton* headerClose_ = nullptr;
    QAbstractButton* footerClose_ = nullptr;
    QScrollArea* body_ = nullptr;
    std::vector<QLabel*> bulletLabels_;
};
