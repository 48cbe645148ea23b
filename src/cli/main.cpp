// orvanix-feed: builds the feed of a table file the way a save in the editor does, for site owners
// who rebuild their feed in a script.

#include "CodePage.h"
#include "FeedWriter.h"
#include "Messages.h"
#include "S_string.h"
#include "TableFile.h"
#include "TextFile.h"
#include "Version.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

constexpr const char* Usage =
    "Usage: orvanix-feed [--stdout | -o FILE] TABLE.tbl\n"
    "\n"
    "Builds the RSS 1.0 feed of an Orvane Lite table file.\n"
    "\n"
    "  (no option)  write the feed where a save in the editor writes it: named after the\n"
    "               table file with the extension .rdf or .xml, in the save folder or beside\n"
    "               the table file; print its path\n"
    "  --stdout     write the feed to standard output instead\n"
    "  -o FILE      write the feed to FILE instead\n"
    "  -h, --help   show this help\n"
    "\n"
    "Exit status: 0 done (a duplicate-identifier warning still exits 0), 1 the table file\n"
    "could not be read or the feed not written, 2 wrong usage.\n";

enum class Destination { SaveLocation, StandardOutput, File };

struct Options {
    Destination destination = Destination::SaveLocation;
    std::string outputFile;
    std::string tableFile;
};

std::optional<Options> ParseArguments(const std::vector<std::string>& args) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--stdout" && options.destination == Destination::SaveLocation) {
            options.destination = Destination::StandardOutput;
        } else if (arg == "-o" && i + 1 < args.size() &&
                   options.destination == Destination::SaveLocation) {
            options.destination = Destination::File;
            options.outputFile = args[++i];
        } else if (!arg.starts_with('-') && options.tableFile.empty()) {
            options.tableFile = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.tableFile.empty()) return std::nullopt;
    return options;
}

// Messages are held as code page 932 with CR LF line ends; the terminal reads UTF-8 and LF.
void Report(std::string message) {
    for (size_t at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", at))
        message.erase(at, 1);
    std::cerr << "orvanix-feed: " << Cp932ToUtf8(TrimAll(message)) << '\n';
}

int Fail(const std::string& message) {
    Report(message);
    return ExitFailure;
}

int Run(const Options& options) {
    const std::string absolute = std::filesystem::absolute(options.tableFile).lexically_normal();
    const std::optional<std::string> tablePath = Utf8ToCp932(absolute);
    TFeedDocument document;
    if (!tablePath || !LoadTableFile(document, *tablePath)) return Fail(MsgTableLoadFailed());

    const std::string feedPath = FeedFileName(document);
    if (feedPath.empty() && options.destination == Destination::SaveLocation) {
        return Fail(MsgInvalidSaveFolder() + MsgSaveFolderNamed() + "\"" +
                    document.Channel.SaveFolder + "\"");
    }
    std::vector<std::string> lines;
    const TFeedContext context{feedPath.empty() ? UnresolvedFeedName() : feedPath,
                               {},
                               CurrentFeedTime(),
                               GetVersionText()};
    const bool unique = BuildFeed(lines, document, context);
    const std::string feed = Cp932ToUtf8(JoinLines(lines));

    switch (options.destination) {
    case Destination::StandardOutput:
        std::cout << feed << std::flush;
        break;
    case Destination::File:
        if (const TResult written = WriteFileAtomic(options.outputFile, feed); !written)
            return Fail(written.Describe(MsgFeedCreateFailed()));
        break;
    case Destination::SaveLocation:
        if (const TResult written = WriteFileAtomic(Cp932ToUtf8(feedPath), feed); !written)
            return Fail(written.Describe(MsgFeedCreateFailed()));
        std::cout << Cp932ToUtf8(feedPath) << '\n';
        break;
    }
    if (!unique) Report(MsgDuplicateWarning());
    return ExitSuccess;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::cout << Usage;
        return ExitSuccess;
    }
    const std::optional<Options> options = ParseArguments(args);
    if (!options) {
        std::cerr << Usage;
        return ExitUsage;
    }
    try {
        return Run(*options);
    } catch (const std::exception& error) {
        std::cerr << "orvanix-feed: " << error.what() << '\n';
        return ExitFailure;
    }
}
