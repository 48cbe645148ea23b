#pragma once

// Runs a check as an unprivileged user, so that permission bits bind it also when the tests run
// as root (as CI and the README's commands do). As root the check runs in a child process that
// has taken the files named to it over and dropped to the user 'nobody' (65534); as any other
// user it runs in the test process itself. The check returns what went wrong, empty when all is
// well; it must not use the test framework's assertions, which a child process cannot report.

#include <cerrno>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

constexpr uid_t NobodyId = 65534;

// What went wrong (empty when nothing did), or std::nullopt when the check could not be run as an
// unprivileged user at all (the caller skips).
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& check,
                                                  const std::vector<std::filesystem::path>& taken) {
    if (geteuid() != 0) return check();
    int channel[2];
    if (pipe(channel) != 0) return std::nullopt;
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(channel[0]);
        std::string outcome;
        bool dropped = true;
        for (const std::filesystem::path& path : taken)
            dropped = dropped && lchown(path.c_str(), NobodyId, NobodyId) == 0;
        dropped = dropped && setgroups(0, nullptr) == 0 &&
                  setresgid(NobodyId, NobodyId, NobodyId) == 0 &&
                  setresuid(NobodyId, NobodyId, NobodyId) == 0;
        outcome = dropped ? check() : std::string();
        if (write(channel[1], outcome.data(), outcome.size()) < 0) _exit(3);
        _exit(dropped ? 0 : 2);
    }
    close(channel[1]);
    std::string outcome;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            outcome.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    close(channel[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) return "the check's child process failed";
    if (WEXITSTATUS(status) == 2) return std::nullopt;
    return outcome;
}

} // namespace testsupport
