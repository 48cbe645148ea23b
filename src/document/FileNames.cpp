#include "document/FileNames.h"

#include "document/Messages.h"
#include "text/CodePage.h"
#include "text/S_string.h"

#include <cstdio>
#include <optional>

namespace {

// "U+301C" for a character given as its UTF-8 bytes.
std::string CodePointText(const std::string& utf8) {
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const size_t length = utf8.size();
    char32_t codePoint = length == 1   ? lead
                         : length == 2 ? lead & 0x1F
                         : length == 3 ? lead & 0x0F
                                       : lead & 0x07;
    for (size_t at = 1; at < length; ++at)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[at]) & 0x3F);
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    return text;
}

} // namespace

TResult FileNameText(const std::string& path, std::string& text) {
    std::string refused;
    const std::optional<std::string> name = Utf8ToCp932Exact(ExtractFileName(path), &refused);
    if (name) {
        text = *name;
        return {};
    }
    if (refused.empty()) return TResult::Because(MsgMalformedFileName());
    return TResult::Because(
        MsgUnusableNameCharacter(CodePointText(refused), Utf8ToCp932(refused).value_or("")));
}

std::string FileNameRefusalShown(const std::string& path) {
    std::string refused;
    if (Utf8ToCp932Exact(ExtractFileName(path), &refused)) return {};
    if (refused.empty()) return Cp932ToUtf8(MsgMalformedFileName());
    const std::string lead = "ファイル名の「" + refused + "」は";
    const std::optional<std::string> becomes = Utf8ToCp932(refused);
    if (!becomes) return lead + "このプログラムでは使用できません。";
    return lead + "「" + Cp932ToUtf8(*becomes) + "」に変わってしまうため使用できません。";
}

std::string LowerCaseFileName(std::string name) {
    // In UTF-8 no byte of a multi-byte character is ASCII, so this touches letters only.
    for (char& ch : name) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return name;
}
