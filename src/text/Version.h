#pragma once

#include <string>

// The version text of a file version "major.minor.release.build": major, ".", the minor as two
// digits and, for a release above 0, the letter 96 + release (1.5.2.0 gives "1.05b").
// An empty file version gives an empty text.
std::string VersionTextOf(const std::string& fileVersion);

// The version text of an executable. An empty path means the running program, whose version is
// compiled in; other executables carry no version record on Linux and give an empty text.
std::string GetVersionText(const std::string& executablePath = {});
