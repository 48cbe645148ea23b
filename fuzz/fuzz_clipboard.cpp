// Clipboard text read as rows and as one cell, on any bytes and on the bytes repeated to a long
// paste (64 KB): no cell ever holds a TAB or a line end, every row has a cell, and the reading is
// linear (run with a -timeout, so that anything slower shows as a timeout).

#include "FuzzSupport.h"

#include "document/ClipboardRows.h"

#include <cstddef>
#include <cstdint>

namespace {

bool HoldsSeparator(const std::string& cell) {
    return cell.find_first_of("\t\r\n") != std::string::npos;
}

void Check(const std::string& text) {
    const TClipboardRows read = ReadClipboardRows(text);
    for (const std::vector<std::string>& row : read.Rows) {
        fuzz::Require(!row.empty(), "every row has a cell");
        for (const std::string& cell : row)
            fuzz::Require(!HoldsSeparator(cell), "no cell holds a TAB or a line end");
    }
    fuzz::Require(read.JoinedLineBreaks >= 0, "joined line breaks are counted");
    const TClipboardCell cell = ReadClipboardCell(text);
    fuzz::Require(!HoldsSeparator(cell.Text), "one cell's text holds no TAB or line end");
    // Only a malformed byte grows: it becomes a two-byte mark.
    fuzz::Require(cell.Text.size() <= 2 * text.size(), "reading at most doubles a text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::CheckWithLongPaste(data, size, Check);
}
