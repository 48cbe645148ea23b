#include "PercentEncode.h"

namespace {

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

bool KeepsAsIs(unsigned char byte, TPercentEncoding encoding) {
    if (encoding == TPercentEncoding::QueryValue) return IsUnreserved(byte);
    return byte > 0x20 && byte < 0x7F;
}

} // namespace

std::string PercentEncode(const std::string& utf8, TPercentEncoding encoding) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8.size());
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (KeepsAsIs(byte, encoding)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0x0F];
        }
    }
    return encoded;
}
