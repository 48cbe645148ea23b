// Date normalisation on any text, up to long pastes: run with a large -max_len and a -timeout so
// that anything slower than linear shows as a timeout.

#include "FuzzSupport.h"

#include "DateNormalize.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string date = NormalizeDate(text);
    fuzz::Require(date.find('/') == std::string::npos, "no slash is left");
    fuzz::Require(date.size() <= text.size() || date.size() == 10, "only a full date grows");
    return 0;
}
