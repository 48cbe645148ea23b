#pragma once

// Percent-encoding of web addresses: a byte becomes "%" and two capital hexadecimal digits. The
// input is the address's UTF-8 bytes, the output plain ASCII. Encoding never fails; decoding
// refuses a "%" that is not followed by two hexadecimal digits.

#include <optional>
#include <string>

enum class TPercentEncoding {
    QueryValue, // all but letters, digits and "-._~": an address put into another's query
    Address,    // only what an address cannot carry as it is: non-ASCII bytes, blanks, controls
    NonAscii,   // only non-ASCII bytes: an address as browsers send it, nothing else changed
    FoldedPath, // all but small letters, digits and "/._-": a path as a key where letter case
                // does not count (a settings section), two paths differing in case kept apart
};

std::string PercentEncode(const std::string& utf8, TPercentEncoding encoding);

// The bytes `encoded` stands for: every "%" and two hexadecimal digits (either case) become that
// byte, everything else stays. Nothing when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> PercentDecode(const std::string& encoded);
