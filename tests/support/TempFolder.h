#pragma once

// A GoogleTest fixture that gives each test a fresh folder of its own, removed afterwards even
// when the test took its permissions away.

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace testsupport {

class TTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Parameterised tests are named "Test/Case": one folder, not a folder inside another.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir_ = std::filesystem::temp_directory_path() /
               ("orvanix_" + std::to_string(getpid()) + "_" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    // The path inside the folder as the program holds paths: the file system's bytes.
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

} // namespace testsupport
