#pragma once

// Failures of system calls on demand, for tests of the paths that handle them. Linked into a test
// program, this unit replaces the C library's fsync, close, rename and read with versions that
// pass every call through, except the call of a function armed with FailNextCall that comes after
// `passes` calls have gone through: that one fails with the given errno value (close still closes
// its descriptor, as close does when it reports a late write error). Each arming covers one call.
// It also remembers the source of the last rename, so a test can learn the name of a temporary file
// that no longer exists.

#include <string>

enum class TSystemCall { Fsync, Close, Rename, Read };

void FailNextCall(TSystemCall call, int errorNumber, int passes = 0);
// Disarms every call that has not yet failed; true when none was left armed.
bool DisarmCalls();

// The source path of the last rename that went through (empty before any).
std::string LastRenameSource();
