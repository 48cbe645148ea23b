#pragma once

// The user's own design of the news page: a Mustache template (UTF-8) rendered with the page's
// data (NewsPage.h) by the kainjow Mustache library. The names a template can use:
//
//   {{site_title}}  {{site_address}}  {{site_description}}  {{feed_address}}
//   {{#entries}} ... {{/entries}}, in it: {{title}} {{address}} {{date}} {{date_ja}}
//                                        {{description}}
//
// "date" is the date as <time datetime> takes it and "date_ja" the date as 2026年12月7日 (or the
// cell's text when it is no date). A name whose value is empty is missing, so {{#address}} ...
// {{/address}} shows its part only for an entry with a link. {{name}} is escaped for HTML;
// {{{name}}} is not, but no value holds a control character HTML may not hold.
//
// Only a regular file is read, line by line (LF or CR LF, written back as LF). A template that
// cannot be read or parsed fails with a reason that names the file and the line; the page is then
// left as it was.

#include "document/NewsPage.h"
#include "text/Result.h"

#include <string>

TResult RenderNewsTemplate(const std::string& templatePath, const TNewsPageData& data,
                           std::string& page);
