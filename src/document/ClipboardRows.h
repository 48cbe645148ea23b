#pragma once

// Clipboard text read as rows of cells, the way spreadsheets write it: one row per line, cells
// separated by TAB; a cell that holds a line break, a TAB or a quote comes between double quotes,
// with each inner quote doubled. A cell of the grid holds one line without TAB, so a line break or
// TAB inside quotes becomes one blank.
//
// Text without such quoted cells is read as plain rows always were: a line ends at CR LF, a lone
// CR or a lone LF, a line end at the end of the text starts no further row, and every TAB starts a
// new cell. A quote inside a cell is kept as it is. A quoted cell whose closing quote is missing,
// or is followed by anything but TAB or a line end, is no spreadsheet's quoting: that cell is read
// as plain text from its opening quote on, and so is every cell that starts before the quote it
// ran to. The reading is linear in the text and accepts any bytes; the separators and the quote
// are below 0x40, so they are never the second byte of a code page 932 character.

#include <string>
#include <vector>

struct TClipboardRows {
    std::vector<std::vector<std::string>> Rows; // every row has at least one cell
    int JoinedLineBreaks = 0;                   // line breaks inside quoted cells, each now a blank
};

TClipboardRows ReadClipboardRows(const std::string& text);

// The clipboard's text for one cell: its rows read as above, and every row and cell joined by a
// blank, since a cell holds one line.
struct TClipboardCell {
    std::string Text;
    int JoinedLines = 0; // line breaks that became blanks, quoted or not
};

TClipboardCell ReadClipboardCell(const std::string& text);
