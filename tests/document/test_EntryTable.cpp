#include "TestSupport.h"
#include "document/ClipboardRows.h"
#include "document/EntryTable.h"

#include <functional>
#include <sstream>

using namespace testsupport;
using namespace std::string_literals;

namespace {

// Rows are written "n=title|date|address|description", several joined by ";".
std::string RowText(const TFeedItem& item) {
    return item.Title + '|' + item.Date + '|' + item.Address + '|' + item.Description;
}

void ForEachRow(const std::string& rows, const std::function<void(int, const TFeedItem&)>& each) {
    std::istringstream list(rows);
    for (std::string entry; std::getline(list, entry, ';');) {
        const size_t equals = entry.find('=');
        std::vector<std::string> cells;
        std::istringstream parts(entry.substr(equals + 1) + '|');
        for (std::string cell; std::getline(parts, cell, '|');)
            cells.push_back(cell);
        cells.resize(ItemColumns);
        each(std::stoi(entry.substr(0, equals)), {cells[0], cells[1], cells[2], cells[3]});
    }
}

// Rows 1 .. titles read "r1" .. in their titles, then `more` is set.
TEntries Entries(int titles, const std::string& more = "") {
    TEntries entries;
    for (int row = 1; row <= titles; ++row)
        entries[size_t(row - 1)].Title = "r" + std::to_string(row);
    ForEachRow(more, [&](int row, const TFeedItem& item) { entries[size_t(row - 1)] = item; });
    return entries;
}

void ExpectRows(const TEntries& entries, const std::string& rows) {
    ForEachRow(rows, [&](int row, const TFeedItem& item) {
        EXPECT_EQ(RowText(entries[size_t(row - 1)]), RowText(item)) << "row " << row;
    });
}

std::string Lines(const std::string& line, int count) {
    std::string text;
    for (int k = 0; k < count; ++k)
        text += line;
    return text;
}

struct TRowCase {
    const char* name;
    int titles;       // rows 1 .. titles hold "r1" ..
    std::string more; // further rows set before
    std::function<TRowEdit(const TEntries&)> edit;
    TRowRefusal refusal;
    std::string rows; // rows afterwards
};

TEST(EntryTable, RowEdits) {
    using enum TRowRefusal;
    const auto insert = [](int row, int count) {
        return [=](const TEntries& e) { return InsertRows(e, row, count); };
    };
    const auto remove = [](int first, int last) {
        return [=](const TEntries& e) { return DeleteRows(e, first, last); };
    };
    const auto move = [](int row, int step) {
        return [=](const TEntries& e) { return MoveRow(e, row, step); };
    };
    // The clipboard's UTF-8 text pasted on 2026-12-07.
    const auto paste = [](int row, const std::string& text) {
        return [=](const TEntries& e) {
            return PasteRows(e, row, ReadClipboardRows(text).Rows, {2026, 12, 7});
        };
    };
    const std::string last = "50=last";
    const TRowCase cases[] = {
        {"insert", 5, "", insert(3, 1), None, "2=r2|||;3=|||;4=r3|||;6=r5|||"},
        {"insert on row 1", 5, "", insert(1, 1), None, "1=|||;2=r1|||"},
        {"insert on row 5", 5, "", insert(5, 1), None, "5=|||;6=r5|||"},
        {"insert, row 50 holds text", 5, last, insert(3, 1), NoRoom, ""},
        {"insert all 50 rows", 0, "", insert(1, 50), None, "1=|||;50=|||"},
        {"insert more rows than the table", 0, "", insert(1, 51), NoRoom, ""},
        {"insert would push out row 48", 0, "48=x", insert(10, 3), NoRoom, ""},
        {"insert pushes row 47 to row 50", 0, "47=x", insert(10, 3), None, "47=|||;50=x|||"},
        {"insert on the header row", 0, "", insert(0, 1), NotApplicable, ""},
        {"insert no rows", 0, "", insert(5, 0), NotApplicable, ""},
        {"delete", 5, last, remove(3, 3), None, "3=r4|||;5=|||;49=last|||;50=|||"},
        {"delete row 1", 5, "", remove(1, 1), None, "1=r2|||;4=r5|||;5=|||"},
        {"delete row 50", 5, last, remove(50, 50), None, "49=|||;50=|||"},
        {"delete two rows", 6, "", remove(3, 4), None, "2=r2|||;3=r5|||;4=r6|||;5=|||"},
        {"delete past the last row", 0, "49=a;50=b", remove(49, 60), None, "49=|||;50=|||"},
        {"delete the header row", 5, "", remove(0, 1), NotApplicable, ""},
        {"delete backwards", 5, "", remove(3, 2), NotApplicable, ""},
        {"move down", 5, "", move(2, 1), None, "2=r3|||;3=r2|||"},
        {"move up", 5, "", move(2, -1), None, "1=r2|||;2=r1|||"},
        {"move up on row 1", 5, "", move(1, -1), NotApplicable, ""},
        {"move down on row 50", 5, last, move(50, 1), NotApplicable, ""},
        {"move into an empty row", 5, "", move(5, 1), None, "5=|||;6=r5|||"},
        {"move down to row 50", 0, "49=last", move(49, 1), None, "49=|||;50=last|||"},
        {"move up from row 50", 0, last, move(50, -1), None, "49=last|||;50=|||"},
        {"paste 3 lines on row 5", 47, "", paste(5, "x\t2005/1/5\tu\td\r\ny\t\t\t\r\nz\r\n"), None,
         "4=r4|||;5=x|2005-01-05|u|d;6=y|||;7=z|||;8=r5|||;50=r47|||"},
        {"paste more lines than rows", 0, "", paste(1, Lines("a\tb\r\n", 51)), NoRoom, ""},
        {"paste lines below row 50", 0, "", paste(49, "a\tb\r\nc\td\r\ne\tf\r\n"), NoRoom, ""},
        {"paste, row 50 holds text", 50, "", paste(5, "a\tb"), NoRoom, ""},
        {"paste ends on row 50", 48, "", paste(49, "a\tb\r\nc\td\r\n"), None,
         "48=r48|||;49=a|b||;50=c|d||"},
        {"paste drops control characters", 0, "",
         paste(1, "a\x1A"
                  "b\tc\0"s),
         None, "1=ab|c||"},
        {"paste normalises each row's own date", 0, "", paste(1, "a\t2005/1/5\r\nb\t2005/01\r\n"),
         None, "1=a|2005-01-05||;2=b|2005-01||"},
        {"paste more than four fields", 0, "", paste(1, "a\tb\tc\td\te\tf"), None,
         "1=a|b|c|d;2=|||"},
        {"paste a line without TAB", 0, "", paste(1, "a\tb\r\nplain"), None, "1=a|b||;2=plain|||"},
        {"paste lines ended by CR or LF", 0, "", paste(1, "a\tb\rc\td\ne\tf"), None,
         "1=a|b||;2=c|d||;3=e|f||"},
        {"paste Japanese", 0, "", paste(1, "お知らせ\t05/01/15"), None,
         Sjis("1=お知らせ|2005-01-15||")},
        {"paste dates as they are typed", 0, "",
         paste(1, "a\t12月13日(日)\r\nb\tR8.12.6\r\nc\t今日"), None,
         "1=a|2026-12-13||;2=b|2026-12-06||;3=c|2026-12-07||"},
        {"paste spreadsheet rows", 0, "", paste(1, "\"a\nb\"\t2005/1/5\r\n\"x \"\"y\"\"\"\tz\r\n"),
         None, "1=a b|2005-01-05||;2=x \"y\"|z||"},
        {"paste nothing", 0, "", paste(1, ""), NotApplicable, ""},
        {"paste on the header row", 0, "", paste(0, "a\tb"), NotApplicable, ""},
        {"copied rows pasted back", 0, "2=a|b|c|d;3=e|f|g|h",
         [&paste](const TEntries& e) { return paste(2, Cp932ToUtf8(RowsToText(e, 2, 3)))(e); },
         None, "1=|||;2=a|b|c|d;3=e|f|g|h;4=a|b|c|d;5=e|f|g|h;6=|||"},
    };
    for (const TRowCase& test : cases) {
        SCOPED_TRACE(test.name);
        const TEntries before = Entries(test.titles, test.more);
        const TRowEdit edit = test.edit(before);
        EXPECT_EQ(edit.Refusal, test.refusal);
        EXPECT_EQ(edit.Patch.Empty(), !edit.Done());
        TEntries after = before;
        ApplyPatch(after, edit.Patch);
        ExpectRows(after, test.rows);
        // The patch names the rows it changes as they were, so that it can be taken back.
        ApplyPatch(after, edit.Patch.Inverted());
        EXPECT_EQ(after, before);
    }
}

TEST(EntryTable, RowsThatFit) {
    const std::tuple<std::string, int, int> cases[] = {
        {"", 1, 50}, {"", 49, 2}, {"48=x", 10, 2}, {"50=last", 1, 0}, {"", 0, 0}, {"", 51, 0},
    };
    for (const auto& [rows, row, fit] : cases)
        EXPECT_EQ(RowsThatFit(Entries(0, rows), row), fit) << rows << " at " << row;
}

TEST(EntryTable, RowsToText) {
    const TEntries entries = Entries(0, "2=a|b|c|d;3=e|f|g|h;50=z");
    EXPECT_EQ(RowsToText(entries, 2, 3), "a\tb\tc\td\r\ne\tf\tg\th\r\n");
    EXPECT_EQ(RowsToText(entries, 4, 4), "\t\t\t\r\n");
    EXPECT_EQ(RowsToText(entries, 50, 51), "z\t\t\t\r\n");
    EXPECT_EQ(RowsToText(entries, 0, 3), "");
}

TEST(EntryTable, AutoFill) {
    const std::string home = "http://hinata.example/";
    struct TCase {
        const char* name;
        bool autoDate, autoAddress;
        std::string home;
        TItemColumn committed;
        std::string before, after; // the row after the commit and after the fill
    };
    const TCase cases[] = {
        {"title", true, true, home, icTitle, "News|||", "News|2006-03-09|" + home + "|"},
        {"date", true, true, home, icDate, "|2005-01-01||", "|2005-01-01|" + home + "|"},
        {"address", true, true, home, icAddress, "||http://x/|", "|2006-03-09|http://x/|"},
        {"date and address kept", true, true, home, icDescription, "|2005-01-01|a|d",
         "|2005-01-01|a|d"},
        {"only the date", true, false, home, icDescription, "t|||e", "t|2006-03-09||e"},
        {"options off", false, false, home, icTitle, "News|||", "News|||"},
        {"no home address", true, true, "", icTitle, "News|||", "News|2006-03-09||"},
        {"cleared cell", true, true, home, icTitle, "|||", "|||"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        TEntries entries = Entries(0, "7=" + test.before);
        const TAutoFill fill{test.autoDate, test.autoAddress, "2006-03-09", test.home};
        const TRowPatch patch = AutoFillRow(entries, 7, test.committed, fill);
        EXPECT_EQ(patch.Empty(), test.before == test.after);
        ApplyPatch(entries, patch);
        ExpectRows(entries, "7=" + test.after);
    }
}

TEST(EntryTable, PickList) {
    struct TCase {
        const char* name;
        TItemColumn column;
        std::string rows;
        std::vector<std::string> items;
    };
    const TCase cases[] = {
        {"addresses",
         icAddress,
         "1=||http://a/;2=||http://b/;3=||HTTP://A/;5=||http://b/  ;6=||http://c/",
         {"http://a/", "http://b/", "http://c/"}},
        {"empty column", icAddress, "1=a||;2=b", {""}},
        {"Japanese titles", icTitle, Sjis("1=新着;2=新着 ;9=休業"), {Sjis("新着"), Sjis("休業")}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(PickList(Entries(0, test.rows), test.column), test.items);
    }
}

} // namespace
