#include "document/NewsPageSettings.h"

#include "text/CodePage.h"

#include <algorithm>

namespace {

constexpr std::string_view SectionPrefix = "NewsPage:";

std::string SectionOf(const std::string& tablePath) {
    return FileSectionName(SectionPrefix, tablePath);
}

} // namespace

TNewsPageSettings ReadNewsPageSettings(const TIniFile& ini, const std::string& tablePath) {
    const std::string section = SectionOf(tablePath);
    TNewsPageSettings settings;
    settings.Enabled = ini.ReadBool(section, "Enabled", false);
    settings.PageName = ini.ReadString(section, "PageName", DefaultNewsPageName);
    settings.Template = ini.ReadString(section, "Template", "");
    return settings;
}

void WriteNewsPageSettings(TIniFile& ini, const std::string& tablePath,
                           const TNewsPageSettings& settings) {
    const std::string section = SectionOf(tablePath);
    ini.EraseSection(section);
    ini.WriteBool(section, "Enabled", settings.Enabled);
    ini.WriteString(section, "PageName", settings.PageName);
    ini.WriteString(section, "Template", settings.Template);
}

TResult CheckNewsPageName(const std::string& name) {
    const bool control = std::any_of(name.begin(), name.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F;
    });
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        control)
        return TResult::Because(
            Utf8ToCp932("お知らせページのファイル名には、フォルダを含まないファイル名を指定して"
                        "ください (制御文字と / は使えません)。")
                .value());
    return {};
}
