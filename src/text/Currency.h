#pragma once

// A signed 64-bit fixed-point number with four decimal places, as the combo edit's values and
// limits use it.

// Qt's moc reads this header through the widgets that use it and cannot parse <compare>; it needs
// nothing from it.
#ifndef Q_MOC_RUN
#include <compare>
#endif
#include <cstdint>
#include <optional>
#include <string>

class TCurrency {
public:
    static constexpr int64_t Scale = 10000;

    constexpr TCurrency() = default;
    constexpr TCurrency(int value) : raw_(int64_t{value} * Scale) {}
    static constexpr TCurrency FromRaw(int64_t raw) {
        TCurrency c;
        c.raw_ = raw;
        return c;
    }

    constexpr int64_t Raw() const { return raw_; }
    constexpr bool IsZero() const { return raw_ == 0; }

    constexpr TCurrency operator+(TCurrency other) const { return FromRaw(raw_ + other.raw_); }
    constexpr TCurrency operator-(TCurrency other) const { return FromRaw(raw_ - other.raw_); }
    constexpr TCurrency operator-() const { return FromRaw(-raw_); }
    constexpr auto operator<=>(const TCurrency&) const = default;

private:
    int64_t raw_ = 0;
};

// The currency as text: "-" for negatives, the integral digits, and when there is a fraction
// "." and its digits without trailing zeros (12.5, -0.0001, 100).
std::string CurrToStrSafe(TCurrency value);
// Empty for zero, else CurrToStrSafe.
std::string CurrToStrNZ(TCurrency value);
// Reads text such as "-12.5", " 1,234.05 " (thousands separators allowed); nothing when the text
// is not a number or has more than four decimals or is out of range.
std::optional<TCurrency> StrToCurr(const std::string& text);
