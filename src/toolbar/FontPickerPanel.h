#pragma once

// The font picker's content: the text tool's font family and size. So far
// only its search field, "Search fonts…", 260 points wide with 10 points
// around it; the family list, the size and the favourites are still to come.

#include "platform/Published.h"
#include "ui/Bindings.h"

#include <QString>
#include <QWidget>

#include <memory>

class DrawingState;
class QLineEdit;

class FontPickerPanel : public QWidget {
public:
    static constexpr double kWidth = 260;

    // `fontName` and `fontSize` are the fields the picker edits; the state
    // supplies the favourites.
    FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                    std::shared_ptr<DrawingState> state, QWidget* parent = nullptr);

    platform::Published<QString>& fontName() const { return fontName_; }
    platform::Published<double>& fontSize() const { return fontSize_; }
    const std::shared_ptr<DrawingState>& state() const { return state_; }
    const QString& searchText() const { return searchText_; }
    QLineEdit* searchField() const { return search_; }

    QSize sizeHint() const override;

private:
    platform::Published<QString>& fontName_;
    platform::Published<double>& fontSize_;
    std::shared_ptr<DrawingState> state_;
    QString searchText_;
    QLineEdit* search_;
};
