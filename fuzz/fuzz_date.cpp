// Date normalisation on any text, and on the text repeated to a long paste (64 KB): run with a
// -timeout, so that anything slower than linear shows as a timeout.

#include "FuzzSupport.h"

#include "document/DateNormalize.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(const std::string& text) {
    const std::string date = NormalizeDate(text);
    fuzz::Require(date.find('/') == std::string::npos, "no slash is left");
    fuzz::Require(date.size() <= text.size() || date.size() == 10, "only a full date grows");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::CheckWithLongPaste(data, size, Check);
}
