#pragma once

#include "ShownLines.h"

#include <compare>
#include <cstddef>
#include <optional>
#include <QString>

// A place in the text: a row and a column (a UTF-16 position in that row's text). The row after
// the last line is the empty row behind the final line break, so the whole text runs from
// (0, 0) to (lines.size(), 0).
struct TextPosition {
    qsizetype row = 0;
    qsizetype column = 0;
    auto operator<=>(const TextPosition&) const = default;
};

// The cursor motions that keys ask for.
enum class TextMotion {
    NextChar,
    PreviousChar,
    NextWord,
    PreviousWord,
    NextLine,
    PreviousLine,
    NextPage,
    PreviousPage,
    StartOfLine,
    EndOfLine,
    StartOfDocument,
    EndOfDocument,
};

// The columns of one row that the selection covers.
struct RowSelection {
    qsizetype start = 0;
    qsizetype end = 0;
    bool lineBreak = false; // the line break behind the row is selected as well
};

// The text cursor and the selection of a read-only text made of lines: where the cursor and
// the anchor stand, steps by character and by word, word selection and the selected text. It
// knows nothing of fonts, pixels or keys; the line view turns those into positions.
class TextSelection final {
    Q_DISABLE_COPY_MOVE(TextSelection)

public:
    explicit TextSelection(const ShownLines& lines) : lines_(lines) {}

    // Every line is a row, and so is the empty row behind the last line break.
    qsizetype rowCount() const { return lines_.size() + 1; }
    QString rowText(qsizetype row) const;
    TextPosition end() const { return {lines_.size(), 0}; }

    TextPosition cursor() const { return cursor_; }
    TextPosition anchor() const { return anchor_; }
    bool hasSelection() const { return anchor_ != cursor_; }

    // Moves the cursor to `position`, kept inside the text; with keepAnchor the selection
    // stretches from the anchor to it, otherwise the anchor follows the cursor.
    void moveTo(TextPosition position, bool keepAnchor = false);
    void selectAll();
    // Selects the word at `position`: a run of letters, digits and underscores; elsewhere the
    // one character behind the position.
    void selectWordAt(TextPosition position);

    // The selected text; lines in between end in a line feed each.
    QString selectedText() const;
    RowSelection selectionIn(qsizetype row) const;

    // One step forward or back, by character (never into a character made of several code
    // units) or to the start of a word; at the end or start of a row the step crosses the line
    // break. The text's ends stay where they are.
    TextPosition next(TextPosition from, bool byWord) const;
    TextPosition previous(TextPosition from, bool byWord) const;
    // Where a motion along the text takes the cursor. Motions by line and by page keep a place
    // on the screen, which only the view knows: they have no target here.
    std::optional<TextPosition> target(TextMotion motion) const;

private:
    const ShownLines& lines_;
    TextPosition anchor_;
    TextPosition cursor_;
};
