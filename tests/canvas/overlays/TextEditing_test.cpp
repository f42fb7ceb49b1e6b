// The text box editor's caret, selection and edits.

#include "canvas/overlays/TextEditing.h"

#include <gtest/gtest.h>

namespace {

TextEditing editing(const QString& text, qsizetype cursor) {
    TextEditing e;
    e.setText(text);
    e.setCursor(cursor);
    return e;
}

} // namespace

TEST(TextEditing, TypingReplacesTheSelectionAndDeletionTakesOneCharacter) {
    TextEditing e = editing(QStringLiteral("Helo"), 3);
    e.insert(QStringLiteral("l"));
    EXPECT_EQ(e.text(), QStringLiteral("Hello"));
    EXPECT_EQ(e.cursor(), 4);
    e.moveToTextStart(false);
    e.moveRight(true);
    e.moveRight(true);
    EXPECT_EQ(e.selectedText(), QStringLiteral("He"));
    e.insert(QStringLiteral("J"));
    EXPECT_EQ(e.text(), QStringLiteral("Jllo"));
    e.backspace();
    EXPECT_EQ(e.text(), QStringLiteral("llo"));
    e.backspace(); // at the start: nothing
    e.deleteForward();
    EXPECT_EQ(e.text(), QStringLiteral("lo"));
    e.moveToTextEnd(false);
    e.deleteForward(); // at the end: nothing
    EXPECT_EQ(e.text(), QStringLiteral("lo"));
}

TEST(TextEditing, CombinedCharactersAndSurrogatePairsMoveAndDeleteWhole) {
    // "e" + combining acute, then a face outside the basic plane.
    const QString text = QStringLiteral("e\u0301") + QString::fromUcs4(U"\U0001F600");
    TextEditing e = editing(text, text.size());
    e.moveLeft(false);
    EXPECT_EQ(e.cursor(), 2);
    e.moveLeft(false);
    EXPECT_EQ(e.cursor(), 0);
    e.setCursor(1); // inside the pair: snapped back
    EXPECT_EQ(e.cursor(), 0);
    e.moveToTextEnd(false);
    e.backspace();
    EXPECT_EQ(e.text(), QStringLiteral("e\u0301"));
    e.backspace();
    EXPECT_TRUE(e.text().isEmpty());
}

TEST(TextEditing, ArrowsCollapseASelectionAndHomeEndStayOnTheLine) {
    TextEditing e = editing(QStringLiteral("one\ntwo\nthree"), 5);
    EXPECT_EQ(e.lineCount(), 3);
    EXPECT_EQ(e.lineOf(5), 1);
    e.moveToLineEnd(true);
    EXPECT_EQ(e.selectedText(), QStringLiteral("wo"));
    e.moveLeft(false);
    EXPECT_EQ(e.cursor(), 5);
    EXPECT_FALSE(e.hasSelection());
    e.moveToLineStart(true);
    e.moveRight(false);
    EXPECT_EQ(e.cursor(), 5);
    e.moveToLineStart(false);
    EXPECT_EQ(e.cursor(), 4);
    EXPECT_EQ(e.lineStart(2), 8);
    EXPECT_EQ(e.lineEnd(2), 13);
    EXPECT_EQ(e.lineStart(7), 13); // past the last line: the end
}

TEST(TextEditing, SelectAllAndAShorterTextKeepTheCaretInside) {
    TextEditing e = editing(QStringLiteral("abc\n"), 4);
    EXPECT_EQ(e.lineCount(), 2);
    EXPECT_EQ(e.lineOf(4), 1);
    e.selectAll();
    EXPECT_EQ(e.selectedText(), QStringLiteral("abc\n"));
    e.setText(QStringLiteral("x"));
    EXPECT_EQ(e.cursor(), 1);
    EXPECT_EQ(e.anchor(), 0);
    e.setText(QString());
    EXPECT_EQ(e.cursor(), 0);
    EXPECT_EQ(e.lineCount(), 1);
}
