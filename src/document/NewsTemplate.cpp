#include "document/NewsTemplate.h"

#include "text/CodePage.h"
#include "text/HtmlEscape.h"
#include "text/LineReader.h"

#include <algorithm>
#include <kainjow/mustache.hpp>
#include <regex>

namespace mustache = kainjow::mustache;

namespace {

constexpr size_t LineLimit = 1 << 20;

TResult ReadTemplate(const std::string& path, std::string& text) {
    TLineReader reader;
    if (TResult opened = reader.Open(path); !opened) return opened;
    std::string line;
    while (!reader.AtEnd()) {
        if (TResult read = reader.ReadLine(line, LineLimit); !read) return read;
        text += line;
        text += '\n';
    }
    return {};
}

// Adds `value` under `name` unless it is empty, so that a section of that name is left out.
void SetIfAny(mustache::data& object, const std::string& name, const std::string& value) {
    if (!value.empty()) object.set(name, value);
}

mustache::data TemplateData(const TNewsPageData& page) {
    mustache::data data;
    SetIfAny(data, "site_title", page.SiteTitle);
    SetIfAny(data, "site_address", page.SiteLink);
    SetIfAny(data, "site_description", page.SiteDescription);
    SetIfAny(data, "feed_address", page.FeedLink);
    mustache::data entries{mustache::data::type::list};
    for (const TNewsEntry& entry : page.Entries) {
        mustache::data item;
        SetIfAny(item, "title", entry.Title);
        SetIfAny(item, "address", entry.Link);
        SetIfAny(item, "date", entry.DateTime);
        SetIfAny(item, "date_ja", entry.DateShown);
        SetIfAny(item, "description", entry.Description);
        entries.push_back(item);
    }
    data.set("entries", entries);
    return data;
}

// The library's message in the user's words, with the line of the place it names.
std::string ParseFailure(const std::string& message, const std::string& text) {
    static const std::regex Pattern(R"re(^(.*?)(?: "(.*)")? at (\d+)$)re");
    std::smatch match;
    if (!std::regex_match(message, match, Pattern)) return message;
    const size_t at = std::min(std::stoul(match[3].str()), text.size());
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
    const std::string kind = match[1].str();
    const std::string name = match[2].str();
    std::string words = message;
    if (kind == "Unclosed tag")
        words = "タグが {{ で始まったまま閉じていません。";
    else if (kind == "Unclosed section")
        words = "セクション「" + name + "」が閉じていません ({{/" + name + "}} がありません)。";
    else if (kind == "Unopened section")
        words = "{{/" + name + "}} に対応する {{#" + name + "}} がありません。";
    else if (kind == "Invalid set delimiter tag")
        words = "区切り文字を変えるタグ {{=...=}} が正しくありません。";
    return std::to_string(line) + " 行目: " + words;
}

TResult TemplateFailure(const std::string& path, const std::string& why) {
    return TResult::Because(Utf8ToCp932Shown("テンプレート " + path + " の " + why));
}

} // namespace

TResult RenderNewsTemplate(const std::string& templatePath, const TNewsPageData& data,
                           std::string& page) {
    std::string text;
    if (TResult read = ReadTemplate(templatePath, text); !read)
        return TResult::Because(
            Utf8ToCp932Shown("テンプレート " + templatePath + " を読めません: ") + read.Reason());
    mustache::mustache renderer(text);
    if (!renderer.is_valid())
        return TemplateFailure(templatePath, ParseFailure(renderer.error_message(), text));
    renderer.set_custom_escape([](const std::string& value) { return EscapeHtml(value); });
    std::string rendered = renderer.render(TemplateData(data));
    if (!renderer.is_valid())
        return TemplateFailure(templatePath, ParseFailure(renderer.error_message(), text));
    page = std::move(rendered);
    return {};
}
