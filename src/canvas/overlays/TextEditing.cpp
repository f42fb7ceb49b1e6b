// Caret, selection and editing operations of the text box's editor.

#include "canvas/overlays/TextEditing.h"

#include <QTextBoundaryFinder>

#include <algorithm>

void TextEditing::setText(const QString& text) {
    text_ = text;
    cursor_ = snapped(cursor_);
    anchor_ = snapped(anchor_);
}

qsizetype TextEditing::snapped(qsizetype position) const {
    position = std::clamp<qsizetype>(position, 0, text_.size());
    if (position == 0 || position == text_.size()) return position;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text_);
    finder.setPosition(position);
    if (finder.isAtBoundary()) return position;
    const qsizetype before = finder.toPreviousBoundary();
    return before < 0 ? 0 : before;
}

qsizetype TextEditing::previousBoundary(qsizetype position) const {
    if (position <= 0) return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text_);
    finder.setPosition(std::min(position, text_.size()));
    const qsizetype p = finder.toPreviousBoundary();
    return p < 0 ? 0 : p;
}

qsizetype TextEditing::nextBoundary(qsizetype position) const {
    if (position >= text_.size()) return text_.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text_);
    finder.setPosition(std::max<qsizetype>(position, 0));
    const qsizetype p = finder.toNextBoundary();
    return p < 0 ? text_.size() : p;
}

void TextEditing::setCursor(qsizetype position, bool select) {
    cursor_ = snapped(position);
    if (!select) anchor_ = cursor_;
}

void TextEditing::selectAll() {
    anchor_ = 0;
    cursor_ = text_.size();
}

void TextEditing::removeSelection() {
    if (!hasSelection()) return;
    const qsizetype from = selectionStart();
    text_.remove(from, selectionEnd() - from);
    cursor_ = anchor_ = from;
}

void TextEditing::insert(const QString& text) {
    removeSelection();
    text_.insert(cursor_, text);
    cursor_ += text.size();
    anchor_ = cursor_;
}

void TextEditing::backspace() {
    if (hasSelection()) return removeSelection();
    if (cursor_ == 0) return;
    anchor_ = previousBoundary(cursor_);
    removeSelection();
}

void TextEditing::deleteForward() {
    if (hasSelection()) return removeSelection();
    if (cursor_ >= text_.size()) return;
    anchor_ = nextBoundary(cursor_);
    removeSelection();
}

void TextEditing::moveLeft(bool select) {
    // Without Shift, a selection collapses to its start.
    if (hasSelection() && !select) return setCursor(selectionStart());
    setCursor(previousBoundary(cursor_), select);
}

void TextEditing::moveRight(bool select) {
    if (hasSelection() && !select) return setCursor(selectionEnd());
    setCursor(nextBoundary(cursor_), select);
}

void TextEditing::moveToLineStart(bool select) { setCursor(lineStart(lineOf(cursor_)), select); }
void TextEditing::moveToLineEnd(bool select) { setCursor(lineEnd(lineOf(cursor_)), select); }

int TextEditing::lineCount() const { return static_cast<int>(text_.count(QLatin1Char('\n'))) + 1; }

int TextEditing::lineOf(qsizetype position) const {
    position = std::clamp<qsizetype>(position, 0, text_.size());
    return static_cast<int>(QStringView(text_).left(position).count(QLatin1Char('\n')));
}

qsizetype TextEditing::lineStart(int line) const {
    qsizetype p = 0;
    for (int i = 0; i < line; ++i) {
        const qsizetype nl = text_.indexOf(QLatin1Char('\n'), p);
        if (nl < 0) return text_.size();
        p = nl + 1;
    }
    return p;
}

qsizetype TextEditing::lineEnd(int line) const {
    const qsizetype nl = text_.indexOf(QLatin1Char('\n'), lineStart(line));
    return nl < 0 ? text_.size() : nl;
}
