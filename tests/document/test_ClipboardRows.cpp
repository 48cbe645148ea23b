#include "TestSupport.h"
#include "document/ClipboardRows.h"

#include <limits>

using namespace testsupport;

namespace {

using TRows = std::vector<std::vector<std::string>>;

const std::string Mark = Sjis("〓");

struct TRowsCase {
    std::string text; // UTF-8, as the clipboard holds it
    TRows rows;       // code page 932
    int joined;
    std::vector<TReplacedCharacter> replaced = {};
    size_t maxRows = std::numeric_limits<size_t>::max();
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
        {"a\r\nb\r\nc", {{"a"}, {"b"}}, 0, {}, 2},
        {"a\r\nb", {}, 0, {}, 0},
        // Spreadsheet quoting.
        {"\"x\ny\"\tz\r\nw", {{"x y", "z"}, {"w"}}, 1},
        {"\"店長の\"\"おすすめ\"\"豆\"", {{Sjis("店長の\"おすすめ\"豆")}}, 0},
        {"\"ソ表\"\tソ表", {{so, so}}, 0},
        // Joined lines: no blank between Japanese characters, a blank next to any other.
        {"\"第1回\n12月20日\"", {{Sjis("第1回 12月20日")}}, 1},
        {"\"届く。\r\n\r\nりんご\"\tｱ\"", {{Sjis("届く。りんご"), Sjis("ｱ\"")}}, 2},
        {"\"ｱｲ\nｳ\"\t\"apple\npie\"", {{Sjis("ｱｲｳ"), "apple pie"}}, 2},
        {"\"りんご\napple\"\t\"x\n\"", {{Sjis("りんご apple"), "x "}}, 2},
        // Characters code page 932 cannot hold, and malformed bytes, are marked in their cells.
        {"a\t😀b\r\nc\t\"d\n😀\"",
         {{"a", Mark + "b"}, {"c", "d " + Mark}},
         1,
         {{0, 1, 0x1F600}, {1, 1, 0x1F600}}},
        {"\x81\t\x9F\r\n", {{Mark, Mark}}, 0, {{0, 0, 0xFFFD}, {0, 1, 0xFFFD}}},
        {"a\r\n😀", {{"a"}}, 0, {}, 1},
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
        const TClipboardRows read = ReadClipboardRows(c.text, c.maxRows);
        EXPECT_EQ(read.Rows, c.rows) << c.text;
        EXPECT_EQ(read.JoinedLineBreaks, c.joined) << c.text;
        EXPECT_EQ(read.Replaced, c.replaced) << c.text;
    }
}

TEST(ClipboardRows, OneCellJoinsItsLines) {
    const std::pair<const char*, TClipboardCell> cases[] = {
        {"one", {"one", 0, {}}},
        {"one\r\ntwo\nthree\r\n", {"one two three", 2, {}}},
        {"\"a\nb\"\r\n", {"a b", 1, {}}},
        {"a\tb", {"a b", 0, {}}},
        {"", {"", 0, {}}},
        {"届く\r\nりんご\r\n\r\nです", {Sjis("届くりんごです"), 3, {}}},
        {"Tokyo\nりんご\n😀\nx", {Sjis("Tokyo りんご") + Mark + " x", 3, {0x1F600}}},
    };
    for (const auto& [text, cell] : cases) {
        const TClipboardCell read = ReadClipboardCell(text);
        EXPECT_EQ(read.Text, cell.Text) << text;
        EXPECT_EQ(read.JoinedLines, cell.JoinedLines) << text;
        EXPECT_EQ(read.Replaced, cell.Replaced) << text;
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
