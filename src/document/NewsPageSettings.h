#pragma once

// Whether a table file's entries also make a news page for the site, and how: kept per table file
// in the settings file, in a section of its own ("NewsPage:" and FileSectionName, as the publish
// settings are kept), never in the table file, whose format stays as it is. The editor and
// orvanix-feed read the same section. Names and paths are the file system's bytes.

#include "text/IniFile.h"
#include "text/Result.h"

#include <string>

inline constexpr const char* DefaultNewsPageName = "news.html";

struct TNewsPageSettings {
    bool Enabled = false;
    std::string PageName = DefaultNewsPageName; // the page's file name, beside the feed
    std::string Template; // a Mustache template's path in place of the built-in page; empty: none

    bool operator==(const TNewsPageSettings&) const = default;
};

// The news page settings of `tablePath` in `ini`; the defaults when it has none.
TNewsPageSettings ReadNewsPageSettings(const TIniFile& ini, const std::string& tablePath);
// Replaces them (in memory; the caller saves).
void WriteNewsPageSettings(TIniFile& ini, const std::string& tablePath,
                           const TNewsPageSettings& settings);

// Refuses a page name that is no plain file name in the feed's folder: empty, "." or "..", or
// with "/" or a control character. The reason is code page 932 text.
TResult CheckNewsPageName(const std::string& name);
