#include "SystemCallFaults.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>
#include <utility>

namespace {

struct TArming {
    int error = 0;  // errno value, 0 when not armed
    int passes = 0; // calls still to pass before the failing one
};
std::array<TArming, 4> armed{}; // per TSystemCall
std::string lastRenameSource;

// The errno value the call is to fail with, once; 0 to pass it through.
int TakeFailure(TSystemCall call) {
    TArming& arming = armed[static_cast<size_t>(call)];
    if (arming.error == 0) return 0;
    if (arming.passes > 0) {
        --arming.passes;
        return 0;
    }
    return std::exchange(arming.error, 0);
}

int Fail(int errorNumber) {
    errno = errorNumber;
    return -1;
}

template <typename Function> Function* Real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

} // namespace

void FailNextCall(TSystemCall call, int errorNumber, int passes) {
    armed[static_cast<size_t>(call)] = {errorNumber, passes};
}

std::string LastRenameSource() {
    return lastRenameSource;
}

bool DisarmCalls() {
    bool none = true;
    for (TArming& arming : armed) {
        none = none && arming.error == 0;
        arming = {};
    }
    return none;
}

extern "C" {

int fsync(int fd) {
    static auto* real = Real<int(int)>("fsync");
    if (const int error = TakeFailure(TSystemCall::Fsync)) return Fail(error);
    return real(fd);
}

int close(int fd) {
    static auto* real = Real<int(int)>("close");
    const int error = TakeFailure(TSystemCall::Close);
    const int result = real(fd);
    return error ? Fail(error) : result;
}

int rename(const char* from, const char* to) noexcept {
    static auto* real = Real<int(const char*, const char*)>("rename");
    if (const int error = TakeFailure(TSystemCall::Rename)) return Fail(error);
    const int result = real(from, to);
    if (result == 0) lastRenameSource = from;
    return result;
}

ssize_t read(int fd, void* buffer, size_t size) {
    static auto* real = Real<ssize_t(int, void*, size_t)>("read");
    if (const int error = TakeFailure(TSystemCall::Read)) return Fail(error);
    return real(fd, buffer, size);
}

} // extern "C"
