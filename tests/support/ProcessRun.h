#pragma once

// Runs a command line through the shell and collects what it printed and how it ended.

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace testsupport {

struct RunResult {
    int exitCode;
    std::string out, err;
};

// Runs `command` with its standard error sent to `errFile`, which is read back afterwards.
inline RunResult RunCapturing(const std::string& command, const std::filesystem::path& errFile) {
    FILE* pipe = popen((command + " 2>'" + errFile.string() + "'").c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer{};
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        out.append(buffer.data(), n);
    const int status = pclose(pipe);
    std::ifstream in(errFile, std::ios::binary);
    return {WEXITSTATUS(status),
            out,
            {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
}

} // namespace testsupport
