// Date normalisation on any text, and on the text repeated to a long paste (64 KB): run with a
// -timeout, so that anything slower than linear shows as a timeout.

#include "FuzzSupport.h"

#include "document/DateNormalize.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr size_t PasteSize = 64 * 1024;

void Check(const std::string& text) {
    const std::string date = NormalizeDate(text);
    fuzz::Require(date.find('/') == std::string::npos, "no slash is left");
    fuzz::Require(date.size() <= text.size() || date.size() == 10, "only a full date grows");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Check(text);
    if (text.empty() || text.size() >= PasteSize) return 0;
    std::string paste;
    paste.reserve(PasteSize + text.size());
    while (paste.size() < PasteSize)
        paste += text;
    Check(paste);
    return 0;
}
