#pragma once

// Helpers shared by the document tests: fixtures on disk and code page 932 literals.

#include "CodePage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

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

// A fresh folder per test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvanix_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    // The path inside the folder as the program holds paths: the file system's bytes.
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::filesystem::path dir_;
};

} // namespace testsupport
