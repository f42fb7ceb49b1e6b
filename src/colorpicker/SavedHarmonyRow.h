#pragma once

// One saved harmony in the colour picker: its colour dots, its name (or the
// field that renames it), and its rename and delete buttons. A tap anywhere
// else on it applies the harmony.

#include "model/SavedHarmony.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <functional>

class ColorPickerModel;
class QLabel;
class QHBoxLayout;
class SymbolButton;

// The rename field: Return and Esc end the renaming (Esc stays with the
// field, it does not close the picker), and it reports losing the keyboard.
class HarmonyNameField : public QLineEdit {
public:
    // What the field tells its row: it shows for the first time, Esc ended
    // the renaming, it lost the keyboard.
    struct Reports {
        std::function<void()> appeared;
        std::function<void()> exitCommand;
        std::function<void()> focusLost;
    };

    explicit HarmonyNameField(Reports reports, QWidget* parent = nullptr);

    // From now on the field reports nothing: it is on its way out.
    void retire();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Reports reports_;
    bool hasAppeared_ = false;
    bool retired_ = false;
};

class SavedHarmonyRow : public QWidget {
public:
    static constexpr int kRowHeight = 28;

    SavedHarmonyRow(ColorPickerModel& model, QWidget* parent = nullptr);

    // Shows the harmony at `index` of the list, with its rename field when
    // it is the one being renamed.
    void showHarmony(std::size_t index, const SavedHarmony& harmony, bool renaming);
    // The row leaves the list: it stops reporting and goes away later (it
    // may be inside one of its own buttons' clicks).
    void retire();

    const SavedHarmony& harmony() const { return harmony_; }
    std::size_t index() const { return index_; }
    HarmonyNameField* renameField() const { return field_; }
    bool isRenameFieldFocused() const;
    SymbolButton* renameButton() const { return renameButton_; }
    SymbolButton* deleteButton() const { return deleteButton_; }
    QLabel* nameLabel() const { return nameLabel_; }
    // Where a tap applies the harmony, in the row's coordinates.
    QRect tapArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();
    void dropField();

    ColorPickerModel& model_;
    SavedHarmony harmony_;
    std::size_t index_ = 0;
    QWidget* stack_;
    QHBoxLayout* stackLayout_;
    QWidget* dots_;
    QLabel* nameLabel_;
    QPointer<HarmonyNameField> field_;
    SymbolButton* renameButton_;
    SymbolButton* deleteButton_;
    bool pressed_ = false;
};
