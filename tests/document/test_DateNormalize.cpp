#include "DateNormalize.h"
#include "TestSupport.h"

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

} // namespace
