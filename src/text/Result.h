#pragma once

// The outcome of an operation that can fail: the one error convention of the program. A failure
// carries its cause, the system's error number or a reason of the program's own, so whoever
// reports it can say why and not only what failed. A default-constructed result is success.
// Texts are code page 932, like every text inside the program.

#include <string>

class [[nodiscard]] TResult {
public:
    TResult() = default;

    // The result of a system call's errno value; 0 gives success.
    static TResult FromErrno(int errorNumber);
    // A failure whose cause the program states itself (code page 932 text, one sentence).
    static TResult Because(std::string reason);

    bool Ok() const { return errno_ == 0 && reason_.empty(); }
    explicit operator bool() const { return Ok(); }
    int Errno() const { return errno_; }

    // Why it failed, in Japanese ("ディスクの空き容量が足りません。"); empty on success.
    std::string Reason() const;
    // What the user is shown: `message` (what failed, in the program's own words), then the reason
    // on a line of its own. `message` alone on success.
    std::string Describe(const std::string& message) const;

private:
    int errno_ = 0;
    std::string reason_;
};
