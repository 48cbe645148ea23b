#include "text/Result.h"

#include "text/CodePage.h"

#include <cerrno>
#include <cstring>

namespace {

// The reasons users meet when saving and opening files; any other error number is named by the
// system's own text.
const char* JapaneseReason(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
        return "ディスクの空き容量が足りません。";
    case EDQUOT:
        return "ディスクの使用量の上限を超えています。";
    case EACCES:
    case EPERM:
        return "アクセスの権限がありません。";
    case EROFS:
        return "読み取り専用のファイルシステムです。";
    case ENOENT:
        return "ファイルまたはフォルダが見つかりません。";
    case ENOTDIR:
        return "パスの途中にフォルダでないものがあります。";
    case EISDIR:
        return "フォルダです。ファイルではありません。";
    case ENAMETOOLONG:
        return "ファイル名が長すぎます。";
    case EIO:
        return "入出力エラーが発生しました。";
    case ELOOP:
        return "シンボリックリンクが多すぎます。";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます。";
    case EFBIG:
        return "ファイルが大きすぎます。";
    default:
        return nullptr;
    }
}

} // namespace

TResult TResult::FromErrno(int errorNumber) {
    TResult result;
    result.errno_ = errorNumber;
    return result;
}

TResult TResult::Because(std::string reason) {
    TResult result;
    result.reason_ = std::move(reason);
    return result;
}

std::string TResult::Reason() const {
    if (!reason_.empty() || errno_ == 0) return reason_;
    if (const char* reason = JapaneseReason(errno_)) return Utf8ToCp932(reason).value();
    // The system's text is ASCII in the C locale the program runs its library calls in.
    return Utf8ToCp932(std::string("システムエラー: ") + std::strerror(errno_)).value_or("");
}

std::string TResult::Describe(const std::string& message) const {
    return Ok() ? message : message + "\r\n" + Reason();
}
