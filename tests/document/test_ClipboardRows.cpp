#include "TestSupport.h"
#include "document/ClipboardRows.h"

using namespace testsupport;

namespace {

using TRows = std::vector<std::vector<std::string>>;

struct TRowsCase {
    std::string text;
    TRows rows;
    int joined;
};

TEST(ClipboardRows, ReadsSpreadsheetAndPlainText) {
    const std::string so = Sjis("ソ表"); // both trail bytes are 0x5C
    const TRowsCase cases[] = {
        // Plain text, read as always.
        {"", {}, 0},
        {"a\tb\tc\td\r\ne\tf\r\n", {{"a", "b", "c", "d"}, {"e", "f"}}, 0},
        {"a\rb\nc\r\n\r\nd", {{"a"}, {"b"}, {"c"}, {""}, {"d"}}, 0},
        {"\r\n", {{""}}, 0},
        {"a\t\t", {{"a", "", ""}}, 0},
        {"a\"b\tc\"\r\n", {{"a\"b", "c\""}}, 0},
        {"\x81\t\x9F\r\n", {{"\x81", "\x9F"}}, 0}, // lead bytes before a TAB and a line end
        // Spreadsheet quoting.
        {"\"x\ny\"\tz\r\nw", {{"x y", "z"}, {"w"}}, 1},
        {Sjis("\"店長の\"\"おすすめ\"\"豆\""), {{Sjis("店長の\"おすすめ\"豆")}}, 0},
        {Sjis("\"第1回\n12月20日\""), {{Sjis("第1回 12月20日")}}, 1},
        {"\"" + so + "\"\t" + so, {{so, so}}, 0},
        {"\"a\r\nb\rc\"\r\n", {{"a b c"}}, 2},
        {"\"a\tb\"\tc", {{"a b", "c"}}, 0},
        {"\"\"\t\"\"\"\"", {{"", "\""}}, 0},
        {"a\t\"b\"\r\n\"c\"", {{"a", "b"}, {"c"}}, 0},
        // Quotes no spreadsheet writes: the cell is plain text.
        {"\"unterminated\tx\r\ny", {{"\"unterminated", "x"}, {"y"}}, 0},
        {"\"Special\" offer\tx", {{"\"Special\" offer", "x"}}, 0},
        {"\"a\tb\" c\td", {{"\"a", "b\" c", "d"}}, 0},
        {"\"a\n\"b\"\tc\"", {{"\"a"}, {"b", "c\""}}, 0},
    };
    for (const TRowsCase& c : cases) {
        const TClipboardRows read = ReadClipboardRows(c.text);
        EXPECT_EQ(read.Rows, c.rows) << c.text;
        EXPECT_EQ(read.JoinedLineBreaks, c.joined) << c.text;
    }
}

TEST(ClipboardRows, OneCellJoinsItsLines) {
    const std::pair<const char*, TClipboardCell> cases[] = {
        {"one", {"one", 0}},
        {"one\r\ntwo\nthree\r\n", {"one two three", 2}},
        {"\"a\nb\"\r\n", {"a b", 1}},
        {"a\tb", {"a b", 0}},
        {"", {"", 0}},
    };
    for (const auto& [text, cell] : cases) {
        const TClipboardCell read = ReadClipboardCell(text);
        EXPECT_EQ(read.Text, cell.Text) << text;
        EXPECT_EQ(read.JoinedLines, cell.JoinedLines) << text;
    }
}

TEST(ClipboardRows, HostileQuotesStayLinear) {
    // Every cell opens a quote that never closes properly; each byte is scanned quoted once.
    std::string text;
    for (int n = 0; n < 100000; ++n)
        text += "\"a\t";
    const TClipboardRows read = ReadClipboardRows(text);
    ASSERT_EQ(read.Rows.size(), 1u);
    EXPECT_EQ(read.Rows[0].size(), 100001u);
    EXPECT_EQ(read.Rows[0][0], "\"a");
}

} // namespace
