// Code page conversions: any bytes give valid UTF-8, and text that came from code page 932 goes
// back and forth unchanged; any UTF-8 that converts gives text that converts back, exactly when
// an exact conversion is asked for.

#include "FuzzSupport.h"

#include "text/CodePage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = Cp932ToUtf8(bytes);
    fuzz::Require(xmlCheckUTF8(reinterpret_cast<const xmlChar*>(utf8.c_str())) != 0,
                  "code page text converts to valid UTF-8");
    if (const auto back = Utf8ToCp932(utf8))
        fuzz::Require(Cp932ToUtf8(*back) == utf8, "converted text goes back and forth unchanged");

    if (const auto cp932 = Utf8ToCp932(bytes))
        fuzz::Require(xmlCheckUTF8(reinterpret_cast<const xmlChar*>(Cp932ToUtf8(*cp932).c_str())),
                      "UTF-8 that converts comes back as valid UTF-8");

    std::string refused;
    const std::optional<std::string> exact = Utf8ToCp932Exact(bytes, &refused);
    if (exact) fuzz::Require(Cp932ToUtf8(*exact) == bytes, "an exact conversion comes back");
    if (!refused.empty())
        fuzz::Require(!exact && bytes.find(refused) != std::string::npos,
                      "a refused character is one of the text's");
    const std::string shown = Utf8ToCp932Shown(bytes);
    fuzz::Require(!exact || shown == *exact, "text shown as it converts when it converts exactly");
    return 0;
}
