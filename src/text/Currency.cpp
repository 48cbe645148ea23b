#include "text/Currency.h"

#include <limits>

std::string CurrToStrSafe(TCurrency value) {
    const int64_t raw = value.Raw();
    // Work on the magnitude as unsigned so that the smallest value does not overflow.
    const uint64_t magnitude =
        raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
    std::string text = (raw < 0 ? "-" : "") + std::to_string(magnitude / TCurrency::Scale);
    uint64_t fraction = magnitude % TCurrency::Scale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + TCurrency::Scale).substr(1);
        while (digits.back() == '0')
            digits.pop_back();
        text += '.' + digits;
    }
    return text;
}

std::string CurrToStrNZ(TCurrency value) {
    return value.IsZero() ? std::string() : CurrToStrSafe(value);
}

std::optional<TCurrency> StrToCurr(const std::string& text) {
    size_t at = text.find_first_not_of(' ');
    const size_t end = text.find_last_not_of(' ');
    if (at == std::string::npos) return std::nullopt;
    bool negative = false;
    if (text[at] == '-' || text[at] == '+') negative = text[at++] == '-';
    // The magnitude of the smallest value is one more than that of the largest.
    const uint64_t limit =
        static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    // Every step is checked before it is taken, so the magnitude never wraps around.
    uint64_t raw = 0;
    const auto appendDigit = [&raw, limit](unsigned digit) {
        if (raw > (limit - digit) / 10) return false;
        raw = raw * 10 + digit;
        return true;
    };
    int decimals = -1;
    bool anyDigit = false;
    for (; at <= end; ++at) {
        const char ch = text[at];
        if (ch == ',' && decimals < 0) continue;
        if (ch == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (ch < '0' || ch > '9' || decimals == 4) return std::nullopt;
        if (!appendDigit(static_cast<unsigned>(ch - '0'))) return std::nullopt;
        anyDigit = true;
        if (decimals >= 0) ++decimals;
    }
    if (!anyDigit) return std::nullopt;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d)
        if (!appendDigit(0)) return std::nullopt;
    // Negating in unsigned arithmetic reaches the smallest value without overflow.
    return TCurrency::FromRaw(static_cast<int64_t>(negative ? 0 - raw : raw));
}
