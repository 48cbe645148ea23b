#pragma once

// What the fuzz targets share: a scratch file per process, checks of UTF-8 and XML that stop the
// run (and so report the input) when they fail, and the long paste that shows slow reading.

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

// Stops the run with the input that caused it.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

// A file of this process in the temporary folder, for the code that reads only files.
inline std::string ScratchPath(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/orvanix_fuzz_" +
           std::to_string(getpid()) + "_" + name;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool IsUtf8(const std::string& text) {
    return xmlCheckUTF8(reinterpret_cast<const xmlChar*>(text.c_str())) != 0 &&
           text.find('\0') == std::string::npos;
}

inline void IgnoreXmlError(void*, const char*, ...) {}

// The document parsed without network access and without printing its errors; null when the
// text is not well-formed XML. The caller frees it.
inline xmlDocPtr ParseXml(const std::string& text) {
    xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
    return xmlReadMemory(text.data(), static_cast<int>(text.size()), "fuzz.xml", "UTF-8",
                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

// Runs `check` on the input, then on the input repeated to a long paste (64 KB): with a -timeout,
// anything slower than linear shows as a timeout.
template <typename TCheck> int CheckWithLongPaste(const uint8_t* data, size_t size, TCheck check) {
    constexpr size_t PasteSize = 64 * 1024;
    const std::string text(reinterpret_cast<const char*>(data), size);
    check(text);
    if (text.empty() || text.size() >= PasteSize) return 0;
    std::string paste;
    paste.reserve(PasteSize + text.size());
    while (paste.size() < PasteSize)
        paste += text;
    check(paste);
    return 0;
}

} // namespace fuzz
