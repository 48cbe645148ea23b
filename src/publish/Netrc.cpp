#include "publish/Netrc.h"

#include "text/TextFile.h"

#include <cstdlib>
#include <strings.h>

namespace {

constexpr const char* Blanks = " \t\r\n";

// Words of the text one at a time.
class TWords {
public:
    explicit TWords(const std::string& text) : text_(text) {}
    // The next word; empty at the end.
    std::string Next() {
        const size_t start = text_.find_first_not_of(Blanks, at_);
        if (start == std::string::npos) return at_ = text_.size(), std::string();
        at_ = std::min(text_.find_first_of(Blanks, start), text_.size());
        return text_.substr(start, at_ - start);
    }
    // Steps over a macro's body: up to the first empty line.
    void SkipMacro() {
        const size_t end = text_.find("\n\n", at_);
        at_ = end == std::string::npos ? text_.size() : end + 2;
    }

private:
    const std::string& text_;
    size_t at_ = 0;
};

struct TEntry {
    bool ForHost = false;
    std::string Login, Password;
};

} // namespace

std::string NetrcPassword(const std::string& netrc, const std::string& host,
                          const std::string& user) {
    TWords words(netrc);
    TEntry entry;
    const auto fits = [&] { return entry.ForHost && (entry.Login.empty() || entry.Login == user); };
    for (std::string word = words.Next(); !word.empty(); word = words.Next()) {
        if (word == "machine" || word == "default") {
            if (fits()) return entry.Password;
            entry = {};
            entry.ForHost =
                word == "default" || strcasecmp(words.Next().c_str(), host.c_str()) == 0;
        } else if (word == "login") {
            entry.Login = words.Next();
        } else if (word == "password") {
            entry.Password = words.Next();
        } else if (word == "macdef") {
            words.SkipMacro();
        }
    }
    return fits() ? entry.Password : std::string();
}

std::string UserNetrcPassword(const std::string& host, const std::string& user) {
    const char* home = std::getenv("HOME");
    std::string netrc;
    if (!ReadWholeFile(std::string(home ? home : "") + "/.netrc", netrc)) return {};
    return NetrcPassword(netrc, host, user);
}
