#pragma once

// Validates HTML files with the Nu HTML Checker (vnu.jar, tests/html), the reader a site owner's
// visitors' browsers agree with: what it reports as errors, one a line; empty when there are none.

#include "ProcessRun.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

inline std::string HtmlErrors(const std::vector<std::filesystem::path>& files) {
    std::string command =
        "'" ORVANIX_JAVA "' -jar '" ORVANIX_VNU_JAR "' --errors-only --format gnu";
    for (const std::filesystem::path& file : files)
        command += " '" + file.string() + "'";
    const RunResult run = RunCapturing(command, files.front().string() + ".vnu");
    std::filesystem::remove(files.front().string() + ".vnu");
    if (run.exitCode != 0 && run.err.empty() && run.out.empty()) return "the checker did not run";
    return run.out + run.err;
}

// An HTML fragment in the smallest page that includes it, as a site's own page would.
inline std::string InPage(const std::string& fragment) {
    return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta "
           "charset=\"utf-8\">\n<title>t</title>\n"
           "</head>\n<body>\n" +
           fragment + "</body>\n</html>\n";
}

} // namespace testsupport
