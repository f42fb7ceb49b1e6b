#pragma once

// The font picker's content, 260 points wide: the search field, the family
// list, auto-size with the size field and stepper, "Save to Favorites" and
// the favourites. Every pick, size change and Apply takes effect at once;
// nothing here closes the panel.

#include "platform/Published.h"
#include "toolbar/FontPickerModel.h"
#include "ui/Bindings.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class BorderlessButton;
class DrawingState;
class FontFamilyListView;
class FontFavoriteRow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class SizeStepper;

class FontPickerPanel : public QWidget {
public:
    static constexpr double kWidth = 260;

    // `fontName` and `fontSize` are the fields the picker edits (they must
    // outlive it); the state keeps the favourites.
    FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                    std::shared_ptr<DrawingState> state, QWidget* parent = nullptr);
    // With the installed families given by `families` (tests).
    FontPickerPanel(platform::Published<QString>& fontName, platform::Published<double>& fontSize,
                    std::shared_ptr<DrawingState> state, FontPickerModel::FamilySource families,
                    QWidget* parent = nullptr);
    ~FontPickerPanel() override;

    FontPickerModel& model() { return model_; }
    platform::Published<QString>& fontName() const { return model_.fontName(); }
    platform::Published<double>& fontSize() const { return model_.fontSize(); }
    const std::shared_ptr<DrawingState>& state() const { return model_.sharedState(); }
    const QString& searchText() const { return model_.searchText.get(); }

    // Parts, for the host and for tests.
    QLineEdit* searchField() const { return search_; }
    FontFamilyListView* familyList() const { return list_; }
    QCheckBox* autoSizeCheckbox() const { return autoSize_; }
    QWidget* sizeRow() const { return sizeRow_; }
    QLineEdit* sizeField() const { return sizeField_; }
    SizeStepper* stepper() const { return stepper_; }
    BorderlessButton* saveButton() const { return saveButton_; }
    QWidget* favoritesSection() const { return favorites_; }
    QLabel* favoritesHeading() const { return favoritesHeading_; }
    const std::vector<FontFavoriteRow*>& favoriteRows() const { return rows_; }

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildSizeSection();
    QWidget* buildSaveButton();
    QWidget* buildFavorites();
    void bindModel();
    void applyStyle();
    void refreshFamilies();
    void showSize(double size);
    void commitSizeField();
    void showFavorites(const std::vector<FontPreset>& presets);

    FontPickerModel model_;
    ui::Bindings bindings_;

    QLineEdit* search_ = nullptr;
    FontFamilyListView* list_ = nullptr;
    QCheckBox* autoSize_ = nullptr;
    QWidget* sizeRow_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLineEdit* sizeField_ = nullptr;
    QLabel* pointsLabel_ = nullptr;
    SizeStepper* stepper_ = nullptr;
    BorderlessButton* saveButton_ = nullptr;
    QWidget* favorites_ = nullptr;
    QLabel* favoritesHeading_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    std::vector<FontFavoriteRow*> rows_;
    bool committingSize_ = false;
};
