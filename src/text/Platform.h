#pragma once

#include <string>

// The folder of the running executable, ending in "/". Computed once.
const std::string& ProgramFolder();

// The user's temporary folder ($TMPDIR, else /tmp) without a trailing "/".
std::string TempFolder();

// The user's runtime folder ($XDG_RUNTIME_DIR) without a trailing "/", when it is an absolute
// path to a folder of the user's own, where no other user can take a name; else empty.
std::string RuntimeFolder();
