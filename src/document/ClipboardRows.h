#pragma once

// Clipboard text read as rows of cells, the way spreadsheets write it: one row per line, cells
// separated by TAB; a cell that holds a line break, a TAB or a quote comes between double quotes,
// with each inner quote doubled. A cell of the grid holds one line without TAB, so a TAB inside
// quotes becomes one blank, and a line break inside quotes is joined as below.
//
// Text without such quoted cells is read as plain rows always were: a line ends at CR LF, a lone
// CR or a lone LF, a line end at the end of the text starts no further row, and every TAB starts a
// new cell. A quote inside a cell is kept as it is. A quoted cell whose closing quote is missing,
// or is followed by anything but TAB or a line end, is no spreadsheet's quoting: that cell is read
// as plain text from its opening quote on, and so is every cell that starts before the quote it
// ran to.
//
// The text is the clipboard's as the system hands it over, UTF-8; the cells are code page 932.
// A character the code page cannot hold, and a malformed byte, becomes "〓" and is listed with
// its cell, so that the user can be asked before it is pasted so. Joined lines: a run of line
// breaks between two Japanese characters (kana, kanji, full-width letters and punctuation: every
// double-byte character, and the half-width kana) vanishes, since Japanese puts no blank between
// words; elsewhere each line break becomes a blank. The reading is linear in the text and accepts
// any bytes.

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

// A character of the clipboard that became "〓", in the cell of Rows[Row][Column].
struct TReplacedCharacter {
    int Row = 0;
    int Column = 0;
    char32_t CodePoint = 0;

    bool operator==(const TReplacedCharacter&) const = default;
};

struct TClipboardRows {
    std::vector<std::vector<std::string>> Rows; // every row has at least one cell
    int JoinedLineBreaks = 0;                   // line breaks inside quoted cells, now joined
    std::vector<TReplacedCharacter> Replaced;   // in the order of the text
};

// The first `maxRows` rows of the text; the rest is not read.
TClipboardRows ReadClipboardRows(const std::string& utf8,
                                 size_t maxRows = std::numeric_limits<size_t>::max());

// The clipboard's text for one cell: its rows read as above, the cells of a row joined by a
// blank, and the rows joined as line breaks are.
struct TClipboardCell {
    std::string Text;
    int JoinedLines = 0;            // line breaks joined, quoted or not
    std::vector<char32_t> Replaced; // the characters that became "〓"
};

TClipboardCell ReadClipboardCell(const std::string& utf8);
