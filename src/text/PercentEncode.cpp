#include "text/PercentEncode.h"

namespace {

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

bool KeepsAsIs(unsigned char byte, TPercentEncoding encoding) {
    switch (encoding) {
    case TPercentEncoding::QueryValue:
        return IsUnreserved(byte);
    case TPercentEncoding::Address:
        return byte > 0x20 && byte < 0x7F;
    case TPercentEncoding::NonAscii:
        return byte < 0x80;
    case TPercentEncoding::FoldedPath:
        break;
    }
    return (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '/' ||
           byte == '.' || byte == '_' || byte == '-';
}

// The value of a hexadecimal digit; -1 for any other byte.
int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
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

std::optional<std::string> PercentDecode(const std::string& encoded) {
    std::string decoded;
    decoded.reserve(encoded.size());
    for (size_t at = 0; at < encoded.size(); ++at) {
        if (encoded[at] != '%') {
            decoded += encoded[at];
            continue;
        }
        const int high = at + 2 < encoded.size() ? HexValue(encoded[at + 1]) : -1;
        const int low = high >= 0 ? HexValue(encoded[at + 2]) : -1;
        if (low < 0) return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return decoded;
}
