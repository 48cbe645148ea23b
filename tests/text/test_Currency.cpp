#include "text/Currency.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

TEST(Currency, TextAndParsing) {
    const std::pair<int64_t, std::string> cases[] = {
        {0, "0"}, {125000, "12.5"}, {-1, "-0.0001"}, {1000000, "100"}, {-12345678, "-1234.5678"},
    };
    for (const auto& [raw, text] : cases) {
        EXPECT_EQ(CurrToStrSafe(TCurrency::FromRaw(raw)), text);
        EXPECT_EQ(StrToCurr(text), TCurrency::FromRaw(raw)) << text;
    }
    EXPECT_EQ(CurrToStrSafe(TCurrency::FromRaw(INT64_MIN)), "-922337203685477.5808");
    EXPECT_EQ(CurrToStrNZ(TCurrency()), "");
    EXPECT_EQ(StrToCurr(" 1,234.5 "), TCurrency::FromRaw(12345000));
    EXPECT_FALSE(StrToCurr("1.23456"));
    EXPECT_FALSE(StrToCurr("abc"));
    EXPECT_FALSE(StrToCurr("99999999999999999999"));
}

TEST(Currency, ParsingAtTheEndsOfTheRangeAndTheSeparators) {
    const std::pair<std::string, std::optional<int64_t>> cases[] = {
        {"922337203685477.5807", INT64_MAX},
        {"922337203685477.5808", std::nullopt},
        {"-922337203685477.5808", INT64_MIN},
        {"-922337203685477.5809", std::nullopt},
        {"922337203685477", 9223372036854770000},
        {"922337203685478", std::nullopt},
        {"2000000000000000.0000", std::nullopt}, // wraps around 2^64 while reading
        {"1844674407370955.1616", std::nullopt}, // 2^64 exactly
        {"18446744073709551616", std::nullopt},
        {"1.2,3", std::nullopt}, // a group separator only before the decimal point
        {"1,2.3", 123000},
    };
    for (const auto& [text, raw] : cases) {
        const std::optional<TCurrency> expected =
            raw ? std::optional(TCurrency::FromRaw(*raw)) : std::nullopt;
        EXPECT_EQ(StrToCurr(text), expected) << text;
    }
}

} // namespace
