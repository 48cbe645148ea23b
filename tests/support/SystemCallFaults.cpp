#include "SystemCallFaults.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <map>
#include <unistd.h>

namespace {

std::array<int, 4> armed{}; // errno value per TSystemCall, 0 when not armed
std::string lastRenameSource;
std::map<std::string, int> renamesOnto;

// The errno value the call is to fail with, once; 0 to pass it through.
int TakeFailure(TSystemCall call) {
    int& error = armed[static_cast<size_t>(call)];
    const int taken = error;
    error = 0;
    return taken;
}

int Fail(int errorNumber) {
    errno = errorNumber;
    return -1;
}

template <typename Function> Function* Real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

} // namespace

void FailNextCall(TSystemCall call, int errorNumber) {
    armed[static_cast<size_t>(call)] = errorNumber;
}

std::string LastRenameSource() {
    return lastRenameSource;
}

int RenamesOnto(const std::string& target) {
    const auto found = renamesOnto.find(target);
    return found == renamesOnto.end() ? 0 : found->second;
}

bool DisarmCalls() {
    bool none = true;
    for (int& error : armed) {
        none = none && error == 0;
        error = 0;
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
    if (result == 0) {
        lastRenameSource = from;
        ++renamesOnto[to];
    }
    return result;
}

ssize_t read(int fd, void* buffer, size_t size) {
    static auto* real = Real<ssize_t(int, void*, size_t)>("read");
    if (const int error = TakeFailure(TSystemCall::Read)) return Fail(error);
    return real(fd, buffer, size);
}

} // extern "C"
