// The settings engine: a file read, written and read again is the same; settings written under
// any names read back from the written file as they read from memory.

#include "FuzzSupport.h"

#include "text/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

namespace {

TIniFile Reloaded(const std::string& path, const std::string& text) {
    fuzz::WriteBytes(path, text);
    TIniFile ini(path);
    fuzz::Require(ini.Load().Ok(), "the settings file can be read");
    return ini;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath("settings.ini");
    FuzzedDataProvider provider(data, size);
    const std::string file = provider.ConsumeRandomLengthString(size);

    TIniFile ini = Reloaded(path, file);
    const std::string first = ini.Text();
    fuzz::Require(Reloaded(path, first).Text() == first, "parse, write, parse is stable");

    std::vector<std::tuple<std::string, std::string>> names;
    while (provider.remaining_bytes() > 0) {
        std::string section = provider.ConsumeRandomLengthString(32);
        std::string key = provider.ConsumeRandomLengthString(32);
        const std::string value = provider.ConsumeRandomLengthString(64);
        if (ini.WriteString(section, key, value)) names.emplace_back(section, key);
    }
    const std::string written = ini.Text();
    const TIniFile reread = Reloaded(path, written);
    fuzz::Require(reread.Text() == written, "written settings read back to the same file");
    for (const auto& [section, key] : names)
        fuzz::Require(reread.ReadString(section, key, "\x01") ==
                          ini.ReadString(section, key, "\x01"),
                      "a written setting reads back as written");
    return 0;
}
