#include "TestSupport.h"
#include "document/DateNormalize.h"

using namespace testsupport;

namespace {

TEST(NormalizeDate, Examples) {
    const std::pair<std::string, std::string> cases[] = {
        {"2005/1/5", "2005-01-05"},
        {"05/01/15", "2005-01-15"},
        {"2005-1-15 10:30", "2005-01-15"},
        {"5/1/15", "2005-01-15"}, // a one-digit year is taken as 200x
        {"1/15/2005", "2001-15-20"},
        {"2005/01", "2005-01"},
        {"0/1/1", "0-1-1"},
        {"2005/13/45", "2005-13-45"},
        {"12345/1/1", "2345-01-01"},
        {"2005-01-15-x", "2005-01-15"},
        {"99/12/31", "2099-12-31"},
        {"", ""},
        {"today", "today"},
        {"2005-01-15", "2005-01-15"},
        {"2005//1/5", "2005--1-5"},
        {"/", "-"},
        {"2005/1/5\x81", "2005-01-05"},
        {"\x81/1/5", "\x81-1-5"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormalizeDate(in), out) << in;
}

TEST(NormalizeDate, DoubleByteTextIsNeverCut) {
    const std::string japanese = Sjis("2005年1月5日");
    EXPECT_EQ(NormalizeDate(japanese), japanese);
    // "ソ" carries the trail byte 0x5C, "／" is a full-width slash: neither is a separator.
    const std::string so = Sjis("ソ／1");
    EXPECT_EQ(NormalizeDate(so), so);
}

TEST(NormalizeDate, LongPasteOfSlashes) {
    // Every slash is replaced in one walk; a paste of this size once froze the window.
    const std::string slashes(200000, '/');
    EXPECT_EQ(NormalizeDate(slashes), std::string(200000, '-'));
    EXPECT_EQ(NormalizeDate("2005" + slashes), "2005" + std::string(200000, '-'));
}

TEST(IsW3cDate, Examples) {
    const std::pair<const char*, bool> cases[] = {
        {"2005", true},
        {"2005-04", true},
        {"2005-04-01", true},
        {"2024-02-29", true},
        {"2000-02-29", true},
        {"2005-04-01T18:05+09:00", true},
        {"2005-04-01T18:05:09Z", true},
        {"2005-04-01T18:05:09.25-05:30", true},
        {"", false},
        {"05-04-01", false},
        {"2005-4-1", false},
        {"2005/04/01", false},
        {"2005-13-01", false},
        {"2005-04-31", false},
        {"2023-02-29", false},
        {"1900-02-29", false},
        {"2005-04-01T18:05", false}, // a time needs its zone
        {"2005-04-01T24:00Z", false},
        {"2005-04-01T18:05:09.Z", false},
        {"2005-04-01 18:05:09Z", false},
        {"2005-04-01T18:05:09+0900", false},
        {"2005-04-01x", false},
        {"\x82\x51\x82\x4F\x82\x4F\x82\x54", false}, // full-width digits
    };
    for (const auto& [date, valid] : cases)
        EXPECT_EQ(IsW3cDate(date), valid) << date;
}

// Typed on Monday 2026-12-07.
TEST(NormalizeTypedDate, Examples) {
    const TCalendarDay today{2026, 12, 7};
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"2026/12/7", "2026-12-07"},
        {"2026-1-5", "2026-01-05"},
        {"12/8", "2026-12-08"},
        {Sjis("２０２６／１２／９"), "2026-12-09"},
        {Sjis("２０２６－１２－０９"), "2026-12-09"},
        {Sjis("2026年12月10日"), "2026-12-10"},
        {Sjis("１２月１１日"), "2026-12-11"},
        {"2024/2/29", "2024-02-29"},
        {"2/29", std::nullopt}, // 2026 is no leap year
        {"2026/13/1", std::nullopt},
        {"2026/4/31", std::nullopt},
        {"2026/0/1", std::nullopt},
        {"2026/12-7", std::nullopt},
        {"26/12/7", std::nullopt},
        {"2026/012/7", std::nullopt},
        {"2026/12/7/", std::nullopt},
        {Sjis("2026年12月10"), std::nullopt},
        {Sjis("12月上旬"), std::nullopt},
        {"12-8", std::nullopt},
        {"2026/12/7 ", std::nullopt},
        {"\x82", std::nullopt},
        {"", ""},
        {"2026", "2026"},
        {"2026-12", "2026-12"},
        {"2026-12-07", "2026-12-07"},
        {"2026-12-14T18:30:00+09:00", "2026-12-14T18:30:00+09:00"},
        // Dots, and the separators an input method gives in kana mode.
        {"2026.12.08", "2026-12-08"},
        {"12.8", "2026-12-08"},
        {"2026.13.1", std::nullopt},
        {Sjis("２０２６・１２・５"), "2026-12-05"},
        {Sjis("２０２６ー１２ー５"), "2026-12-05"},
        // A weekday after the date, as spreadsheets copy it: it must be the date's.
        {Sjis("12月13日(日)"), "2026-12-13"},
        {Sjis("12月13日（日）"), "2026-12-13"},
        {Sjis("2026年12月13日(日曜日)"), "2026-12-13"},
        {Sjis("12月13日(月)"), std::nullopt},
        {Sjis("12月13日(日"), std::nullopt},
        // Eras, within their own days.
        {"R8.12.6", "2026-12-06"},
        {Sjis("Ｒ８．１２．６"), "2026-12-06"},
        {Sjis("令和8年12月6日"), "2026-12-06"},
        {Sjis("令和元年5月1日"), "2019-05-01"},
        {Sjis("令和0年5月1日"), std::nullopt},
        {"R1.4.30", std::nullopt},
        {"H31.4.30", "2019-04-30"},
        {Sjis("平成32年1月1日"), std::nullopt},
        {Sjis("平成元年1月8日"), "1989-01-08"},
        {"H1.1.7", std::nullopt},
        {"S64.1.7", "1989-01-07"},
        {Sjis("2月30日"), std::nullopt},
        {"R123.1.1", std::nullopt},
        {"R12/6", std::nullopt},
        {Sjis("大正5年1月1日"), std::nullopt},
        // The day the cell is committed.
        {Sjis("今日"), "2026-12-07"},
        {Sjis("本日"), "2026-12-07"},
        {Sjis("明日"), "2026-12-08"},
        {Sjis("昨日"), "2026-12-06"},
        {Sjis("今日は"), std::nullopt},
    };
    for (const auto& [typed, date] : cases)
        EXPECT_EQ(NormalizeTypedDate(typed, today), date) << Cp932ToUtf8(typed);
    EXPECT_EQ(Cp932ToUtf8(MsgNotFeedDate(Sjis("12月上旬"), "2026-12-07")),
              "日付「12月上旬」はフィードの日付の形式ではありません。例: 2026-12-07");
}

TEST(NormalizeTypedDate, DaysNextToTheTurnOfAMonth) {
    const std::tuple<TCalendarDay, const char*, const char*> cases[] = {
        {{2026, 12, 31}, "明日", "2027-01-01"},
        {{2027, 1, 1}, "昨日", "2026-12-31"},
        {{2024, 3, 1}, "昨日", "2024-02-29"},
    };
    for (const auto& [today, word, date] : cases)
        EXPECT_EQ(NormalizeTypedDate(Sjis(word), today), date) << word << " " << date;
}

// A paste keeps the pasted date rule and reads what that leaves as a typed date.
TEST(NormalizePastedDate, Examples) {
    const std::pair<std::string, std::string> cases[] = {
        {"2005/1/5", "2005-01-05"},
        {"12/13", "2026-12-13"},
        {Sjis("2026年12月25日"), "2026-12-25"},
        {Sjis("12月13日(日)"), "2026-12-13"},
        {Sjis("今日"), "2026-12-07"},
        {"2005/13/45", "2005-13-45"},
        {Sjis("12月上旬"), Sjis("12月上旬")},
    };
    for (const auto& [pasted, date] : cases)
        EXPECT_EQ(NormalizePastedDate(pasted, {2026, 12, 7}), date) << Cp932ToUtf8(pasted);
}

} // namespace
