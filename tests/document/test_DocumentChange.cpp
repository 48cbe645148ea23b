#include "TestSupport.h"
#include "document/DocumentChange.h"
#include "document/TableFile.h"

#include <functional>

using namespace testsupport;

namespace {

// Rows 1 .. 3 hold entries, the channel a title and a home page.
TFeedDocument Sample() {
    TFeedDocument document;
    document.Channel.Title = Sjis("ひなた食堂");
    document.Channel.HomeAddress = "http://hinata.example/";
    for (int row = 1; row <= 3; ++row)
        document.Row(row) = {"r" + std::to_string(row), "2024-05-0" + std::to_string(row),
                             "http://hinata.example/" + std::to_string(row), ""};
    return document;
}

struct TChangeCase {
    const char* name;
    std::function<TDocumentChange(const TFeedDocument&)> change;
    std::function<void(TFeedDocument&)> expected; // the sample as the change leaves it
};

TEST(DocumentChange, DoUndoRedo) {
    const TAutoFill fill{true, true, "2024-06-01", "http://hinata.example/"};
    const TAutoFill noFill{false, false, "2024-06-01", "http://hinata.example/"};
    const auto channel = [](const std::function<void(TChannelInfo&)>& edit) {
        return [=](const TFeedDocument& d) {
            TChannelInfo after = d.Channel;
            edit(after);
            return ChannelChange(d.Channel, after);
        };
    };
    const auto rows = [](const std::function<TRowEdit(const TEntries&)>& edit) {
        return [=](const TFeedDocument& d) { return RowsChange(edit(d.Items).Patch); };
    };
    const TChangeCase cases[] = {
        {"cell with auto-fill",
         [&](const TFeedDocument& d) { return CellChange(d.Items, 4, icTitle, "new", fill); },
         [](TFeedDocument& d) {
             d.Row(4) = {"new", "2024-06-01", "http://hinata.example/", ""};
         }},
        {"cell without auto-fill",
         [&](const TFeedDocument& d) { return CellChange(d.Items, 4, icDescription, "x", noFill); },
         [](TFeedDocument& d) { d.Row(4).Description = "x"; }},
        {"cell emptied",
         [&](const TFeedDocument& d) { return CellChange(d.Items, 2, icDate, "", fill); },
         [](TFeedDocument& d) { d.Row(2).Date.clear(); }},
        {"cell on the last row",
         [&](const TFeedDocument& d) {
             return CellChange(d.Items, MaxItemRows, icAddress, "a", fill);
         },
         [](TFeedDocument& d) {
             d.Row(MaxItemRows) = {"", "2024-06-01", "a", ""};
         }},
        {"insert", rows([](const TEntries& e) { return InsertRows(e, 2, 1); }),
         [](TFeedDocument& d) {
             d.Row(4) = d.Row(3);
             d.Row(3) = d.Row(2);
             d.Row(2) = {};
         }},
        {"delete two", rows([](const TEntries& e) { return DeleteRows(e, 1, 2); }),
         [](TFeedDocument& d) {
             d.Row(1) = d.Row(3);
             d.Row(2) = {};
             d.Row(3) = {};
         }},
        {"move down", rows([](const TEntries& e) { return MoveRow(e, 1, 1); }),
         [](TFeedDocument& d) { std::swap(d.Row(1), d.Row(2)); }},
        {"paste with a date", rows([](const TEntries& e) {
             return PasteRows(e, 1, {{"p", "2024/7/8"}}, {2024, 7, 1});
         }),
         [](TFeedDocument& d) {
             d.Row(4) = d.Row(3);
             d.Row(3) = d.Row(2);
             d.Row(2) = d.Row(1);
             d.Row(1) = {"p", "2024-07-08", "", ""};
         }},
        {"channel text", channel([](TChannelInfo& c) { c.Description = Sjis("日替わり"); }),
         [](TFeedDocument& d) { d.Channel.Description = Sjis("日替わり"); }},
        {"save folder", channel([](TChannelInfo& c) { c.SaveFolder = "/srv/www"; }),
         [](TFeedDocument& d) { d.Channel.SaveFolder = "/srv/www"; }},
        {"extension", channel([](TChannelInfo& c) { c.ExtensionIndex = 1; }),
         [](TFeedDocument& d) { d.Channel.ExtensionIndex = 1; }},
        {"auto date", channel([](TChannelInfo& c) { c.AutoDate = false; }),
         [](TFeedDocument& d) { d.Channel.AutoDate = false; }},
        {"auto address", channel([](TChannelInfo& c) { c.AutoAddress = false; }),
         [](TFeedDocument& d) { d.Channel.AutoAddress = false; }},
    };
    for (const TChangeCase& test : cases) {
        SCOPED_TRACE(test.name);
        const TFeedDocument sample = Sample();
        TFeedDocument expected = Sample();
        test.expected(expected);
        const TDocumentChange change = test.change(sample);
        ASSERT_FALSE(change.Empty());
        TFeedDocument document = sample;
        ApplyChange(document, change);
        EXPECT_EQ(TableFileText(document), TableFileText(expected)) << "do";
        RevertChange(document, change);
        EXPECT_EQ(TableFileText(document), TableFileText(sample)) << "undo";
        ApplyChange(document, change);
        EXPECT_EQ(TableFileText(document), TableFileText(expected)) << "redo";
    }
}

TEST(DocumentChange, NothingChanged) {
    TFeedDocument sample = Sample();
    sample.Row(1).Date.clear();
    const TAutoFill fill{true, true, "2024-06-01", ""};
    // A cell committed with its own text fills nothing in, though its row's date is empty.
    EXPECT_TRUE(CellChange(sample.Items, 1, icTitle, "r1", fill).Empty());
    EXPECT_TRUE(CellChange(sample.Items, 0, icTitle, "x", fill).Empty());
    EXPECT_TRUE(ChannelChange(sample.Channel, sample.Channel).Empty());
    EXPECT_TRUE(RowsChange(MoveRow(sample.Items, 10, 1).Patch).Empty());
}

} // namespace
