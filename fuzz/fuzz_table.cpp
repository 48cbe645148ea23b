// Table file bytes: loading never fails on content, the feed built from what was loaded is
// well-formed XML in valid UTF-8, and writing the loaded document and reading it back gives the
// same document.

#include "FuzzSupport.h"

#include "document/FeedWriter.h"
#include "document/TableFile.h"
#include "text/CodePage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = fuzz::ScratchPath("in.tbl");
    static const std::string output = fuzz::ScratchPath("out.tbl");
    fuzz::WriteBytes(input, std::string(reinterpret_cast<const char*>(data), size));

    TFeedDocument document;
    if (!LoadTableFile(document, input)) return 0; // a file that is no table file is refused

    std::vector<std::string> lines;
    BuildFeed(lines, document, {"/site/news.rdf", {}, {}, "1.00"});
    const std::string feed = Cp932ToUtf8(JoinLines(lines));
    fuzz::Require(fuzz::IsUtf8(feed), "the feed is valid UTF-8");
    const xmlDocPtr xml = fuzz::ParseXml(feed);
    fuzz::Require(xml != nullptr, "the feed is well-formed XML");
    xmlFreeDoc(xml);

    fuzz::Require(WriteTableFile(document, output).Ok(), "the loaded document can be written");
    TFeedDocument reread;
    fuzz::Require(LoadTableFile(reread, output).Ok(), "the written table file can be read");
    fuzz::Require(TableFileText(reread) == TableFileText(document),
                  "the written table file reads back the same document");
    return 0;
}
