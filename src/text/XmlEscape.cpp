#include "XmlEscape.h"

#include "S_string.h"

namespace {

// Replaces every `from` found on a character boundary, searching on behind each replacement so
// that what was put in is never replaced again.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (int at = AnsiPosB(text, from); at > 0;
         at = AnsiPosFromB(at + static_cast<int>(to.size()), text, from)) {
        text.replace(static_cast<size_t>(at) - 1, from.size(), to);
    }
}

} // namespace

std::string EscapeXml(const std::string& text) {
    std::string result = text;
    ReplaceAll(result, "&", "&amp;");
    ReplaceAll(result, "<", "&lt;");
    ReplaceAll(result, ">", "&gt;");
    return result;
}

std::string EscapeXmlAttribute(const std::string& text) {
    std::string result = EscapeXml(text);
    ReplaceAll(result, "\"", "&quot;");
    return result;
}

std::string RemoveXmlControlBytes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r') result += ch;
    }
    return result;
}
