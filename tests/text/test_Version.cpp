#include "text/Version.h"

#include <gtest/gtest.h>

namespace {

TEST(Version, TextOfFileVersion) {
    const std::pair<std::string, std::string> cases[] = {
        {"0.93.0.0", "0.93"},
        {"1.5.2.0", "1.05b"},
        {"1.0.0.0", "1.00"},
        {"2.10.1.7", "2.10a"},
        {"", ""},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(VersionTextOf(version), text) << version;
    // The running program's version is the project's 1.0.0.0.
    EXPECT_EQ(GetVersionText(), "1.00");
}

} // namespace
