#pragma once

// The about panel's content: the application's icon, name, version and
// build; the about document, selectable and scrolling; the maker's notice
// and a "Close" button. Both close controls call `dismiss`.

#include "ui/DismissBox.h"

#include <QIcon>
#include <QWidget>

#include <memory>

class QAbstractButton;
class QLabel;
class QTextEdit;

namespace platform {
class Bundle;
}

class AboutView : public QWidget {
public:
    static constexpr double kWidth = 346;
    static constexpr double kHeight = 430;
    static constexpr double kIconSide = 26;

    // What the view reads: the version strings, the application's icon (an
    // empty one leaves an empty square) and the current year.
    struct Sources {
        const platform::Bundle* bundle = nullptr;
        QIcon icon;
        int year = 0;
        // The program's bundle, the application object's icon, this year.
        static Sources standard();
    };

    explicit AboutView(std::shared_ptr<DismissRef> dismiss, Sources sources = Sources::standard(),
                       QWidget* parent = nullptr);

    QAbstractButton* headerCloseButton() const { return headerClose_; }
    QAbstractButton* footerCloseButton() const { return footerClose_; }
    QLabel* iconLabel() const { return icon_; }
    QLabel* versionLabel() const { return version_; }
    QLabel* noticeLabel() const { return notice_; }
    QTextEdit* textView() const { return text_; }

private:
    QWidget* buildHeader(const Sources& sources);
    QWidget* buildText(const Sources& sources);
    QWidget* buildFooter(const Sources& sources);

    std::shared_ptr<DismissRef> dismiss_;
    QAbstractButton* headerClose_ = nullptr;
    QAbstractButton* footerClose_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* notice_ = nullptr;
    QTextEdit* text_ = nullptr;
};
