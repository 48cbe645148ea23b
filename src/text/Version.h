#pragma once

#include <string>

// The version text of a file version "major.minor.release.build": major, ".", the minor as two
// digits and, for a release above 0, the letter 96 + release (1.5.2.0 gives "1.05b").
// An empty file version gives an empty text.
std::string VersionTextOf(const std::string& fileVersion);

// The running program's version text; its file version is compiled in.
std::string GetVersionText();
