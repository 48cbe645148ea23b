#pragma once

// Helpers shared by the document tests: fixtures on disk and code page 932 literals.

#include "TempFolder.h"
#include "text/CodePage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace testsupport {

// Code page 932 text of a UTF-8 literal.
inline std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::filesystem::path DataFile(const std::string& name) {
    return std::filesystem::path(ORVANIX_TEST_DATA) / name;
}

// Compares with a golden file; ORVANIX_UPDATE_GOLDEN=1 rewrites it instead.
inline void ExpectGolden(const std::string& name, const std::string& actual) {
    if (std::getenv("ORVANIX_UPDATE_GOLDEN")) WriteBytes(DataFile(name), actual);
    EXPECT_EQ(actual, ReadBytes(DataFile(name))) << "golden file " << name;
}

} // namespace testsupport
