// Date normalisation, pasted and typed, on any text, and on the text repeated to a long paste (64
// KB): run with a -timeout, so that anything slower than linear shows as a timeout.

#include "FuzzSupport.h"

#include "document/DateNormalize.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(const std::string& text) {
    const std::string date = NormalizeDate(text);
    fuzz::Require(date.find('/') == std::string::npos, "no slash is left");
    fuzz::Require(date.size() <= text.size() || date.size() == 10, "only a full date grows");
    const std::string pasted = NormalizePastedDate(text, {2026, 12, 7});
    fuzz::Require(pasted == date || IsW3cDate(pasted), "a paste reads as typed only into a date");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::CheckWithLongPaste(data, size, Check);
}
