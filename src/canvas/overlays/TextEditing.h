#pragma once

// The caret and selection of the text box's editor over its plain text:
// moves by grapheme and by line, insertion over the selection, deletion.

#include <QString>

#include <algorithm>

class TextEditing {
public:
    const QString& text() const { return text_; }
    // Replaces the whole text; caret and anchor are kept inside it.
    void setText(const QString& text);

    qsizetype cursor() const { return cursor_; }
    qsizetype anchor() const { return anchor_; }
    bool hasSelection() const { return cursor_ != anchor_; }
    qsizetype selectionStart() const { return std::min(cursor_, anchor_); }
    qsizetype selectionEnd() const { return std::max(cursor_, anchor_); }
    QString selectedText() const { return text_.mid(selectionStart(), selectionEnd() - selectionStart()); }

    // Puts the caret at `position` (snapped to a character boundary); with
    // `select` the anchor stays, extending the selection.
    void setCursor(qsizetype position, bool select = false);
    void selectAll();

    // Replaces the selection, or inserts at the caret.
    void insert(const QString& text);
    // Deletes the selection, else the character before / after the caret.
    void backspace();
    void deleteForward();
    void removeSelection();

    void moveLeft(bool select);
    void moveRight(bool select);
    void moveToLineStart(bool select);
    void moveToLineEnd(bool select);
    void moveToTextStart(bool select) { setCursor(0, select); }
    void moveToTextEnd(bool select) { setCursor(text_.size(), select); }

    // Lines are split at "\n"; an empty text has one line.
    int lineCount() const;
    int lineOf(qsizetype position) const;
    qsizetype lineStart(int line) const;
    qsizetype lineEnd(int line) const;

    // The grapheme boundary before / after `position`.
    qsizetype previousBoundary(qsizetype position) const;
    qsizetype nextBoundary(qsizetype position) const;

private:
    qsizetype snapped(qsizetype position) const;

    QString text_;
    qsizetype cursor_ = 0;
    qsizetype anchor_ = 0;
};
