#pragma once

// Percent-encoding of web addresses: a byte becomes "%" and two capital hexadecimal digits. The
// input is the address's UTF-8 bytes, the output plain ASCII. Nothing fails.

#include <string>

enum class TPercentEncoding {
    QueryValue, // all but letters, digits and "-._~": an address put into another's query
    Address,    // only what an address cannot carry as it is: non-ASCII bytes, blanks, controls
};

std::string PercentEncode(const std::string& utf8, TPercentEncoding encoding);
