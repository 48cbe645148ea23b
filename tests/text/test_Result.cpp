#include "text/CodePage.h"
#include "text/Result.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

std::string Cp932(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

TEST(ResultTest, DefaultIsSuccessAndDescribesTheMessageAlone) {
    const TResult result;
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(result.Reason(), "");
    EXPECT_EQ(result.Describe("msg"), "msg");
    EXPECT_TRUE(TResult::FromErrno(0).Ok());
}

TEST(ResultTest, FailureAddsItsReasonAsASecondLine) {
    const struct {
        TResult result;
        const char* reason;
    } cases[] = {
        {TResult::FromErrno(ENOSPC), "ディスクの空き容量が足りません。"},
        {TResult::FromErrno(EACCES), "アクセスの権限がありません。"},
        {TResult::FromErrno(EROFS), "読み取り専用のファイルシステムです。"},
        {TResult::Because(Cp932("テーブルファイルではありません。")),
         "テーブルファイルではありません。"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.result.Ok());
        EXPECT_EQ(c.result.Reason(), Cp932(c.reason));
        EXPECT_EQ(c.result.Describe("M"), "M\r\n" + Cp932(c.reason));
    }
}

TEST(ResultTest, UnlistedErrorNumbersGiveTheSystemsText) {
    const std::string reason = TResult::FromErrno(EXDEV).Reason();
    EXPECT_NE(reason.find(Cp932("システムエラー: ")), std::string::npos) << reason;
    EXPECT_GT(reason.size(), Cp932("システムエラー: ").size());
}

} // namespace
