#pragma once

#include <string>

// The folder of the running executable, ending in "/". Computed once.
const std::string& ProgramFolder();

// The user's temporary folder ($TMPDIR, else /tmp) without a trailing "/".
std::string TempFolder();
