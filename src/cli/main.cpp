// orvanix-feed: builds the feed of a table file the way a save in the editor does, for site owners
// who rebuild their feed in a script.

#include "document/FeedCheck.h"
#include "document/FileNames.h"
#include "document/Messages.h"
#include "document/NewsPageSettings.h"
#include "document/SaveDocument.h"
#include "document/TableFile.h"
#include "publish/PublishKeyring.h"
#include "publish/Publisher.h"
#include "text/CodePage.h"
#include "text/IniFile.h"
#include "text/S_string.h"
#include "text/UserPlaceRules.h"
#include "text/Version.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

enum ExitCode {
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitFindings = 3,
    ExitNotPublished = 4
};

constexpr const char* Program = "orvanix-feed";

constexpr const char* Usage =
    "Usage: orvanix-feed [--stdout | -o FILE | --publish] [--check [--strict]] [--no-page] [--]\n"
    "                    TABLE.tbl\n"
    "\n"
    "Builds the RSS 1.0 feed of an Orvane Lite table file.\n"
    "\n"
    "  (no option)  write the feed where a save in the editor writes it: named after the\n"
    "               table file with the extension .rdf or .xml, in the save folder or beside\n"
    "               the table file; print its path\n"
    "               When the table file's settings (set in the editor) ask for a news page,\n"
    "               the page and its list file are written beside the feed file too, and\n"
    "               their paths printed after the feed's\n"
    "  --stdout     write the feed to standard output instead\n"
    "  -o FILE      write the feed to FILE instead (\"-\": standard output); its folder must "
    "exist\n"
    "  --check      then check the feed offline for what a feed reader or validator would\n"
    "               reject (errors) or may misread (warnings); print one finding per line,\n"
    "               to standard error with --stdout, else to standard output\n"
    "  --strict     --check, and warnings count as errors\n"
    "  --no-page    write no news page, whatever the table file's settings say\n"
    "  --publish    then upload the feed (and the news page) to the site with the table\n"
    "               file's publish settings (set in the editor) and print where they went;\n"
    "               with --check only when the check finds no error. Never asks: the\n"
    "               password comes from the desktop's keyring, where the editor keeps it, or\n"
    "               from ~/.netrc; SFTP also logs in with the SSH agent or ~/.ssh keys; the\n"
    "               server's host key must be in ~/.ssh/known_hosts, a self-signed\n"
    "               certificate and plain FTP must have been accepted in the editor\n"
    "  --           end of options: what follows is the table file, even if it starts with \"-\"\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n"
    "\n"
    "The feed never replaces the table file it is built from.\n"
    "\n"
    "Exit status: 0 done, 1 the table file could not be read or the feed or the news page not\n"
    "written, 2 wrong usage, 3 the check found an error, 4 the feed could not be published\n"
    "(standard error says why and what the site holds).\n";

enum class Destination { SaveLocation, StandardOutput, File };

struct Options {
    Destination destination = Destination::SaveLocation;
    std::string outputFile;
    std::string tableFile;
    bool check = false;
    bool strict = false; // warnings of the check count as errors
    bool publish = false;
    bool page = true; // the news page when the table file's settings ask for it
};

enum class Request { Help, Version };
// What the command line asks for: help or the version, a feed, or a usage error (its one line).
using Parsed = std::variant<Request, Options, std::string>;

bool IsHelp(const std::string& arg) {
    return arg == "-h" || arg == "--help";
}

// Help wins over everything else on the command line, errors included; then the version.
std::optional<Request> InformationAsked(const std::vector<std::string>& args) {
    bool version = false;
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (IsHelp(arg)) return Request::Help;
        version = version || arg == "--version";
    }
    if (version) return Request::Version;
    return std::nullopt;
}

std::optional<std::string> SetDestination(Options& options, Destination destination,
                                          const std::string& file = {}) {
    if (options.destination != Destination::SaveLocation)
        return "--stdout and -o can be given only once, and not together";
    if (destination == Destination::File && file.empty())
        return "-o needs a file name (\"-\" for standard output)";
    options.destination = file == "-" ? Destination::StandardOutput : destination;
    options.outputFile = file;
    return std::nullopt;
}

Parsed ParseArguments(const std::vector<std::string>& args) {
    if (const std::optional<Request> request = InformationAsked(args)) return *request;
    Options options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string> error;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--stdout") {
            error = SetDestination(options, Destination::StandardOutput);
        } else if (!optionsEnded && arg == "-o") {
            if (i + 1 == args.size()) return std::string("-o needs a file name");
            error = SetDestination(options, Destination::File, args[++i]);
        } else if (!optionsEnded && arg == "--check") {
            options.check = true;
        } else if (!optionsEnded && arg == "--publish") {
            options.publish = true;
        } else if (!optionsEnded && arg == "--no-page") {
            options.page = false;
        } else if (!optionsEnded && arg == "--strict") {
            options.check = options.strict = true;
        } else if (!optionsEnded && arg.starts_with('-') && arg != "-") {
            return "unknown option '" + arg + "'";
        } else if (arg.empty() || arg == "-") {
            return std::string("the table file must be named by a path (it cannot be read from "
                               "standard input)");
        } else if (!options.tableFile.empty()) {
            return "only one table file can be given ('" + options.tableFile + "' and '" + arg +
                   "')";
        } else {
            options.tableFile = arg;
        }
        if (error) return *error;
    }
    if (options.tableFile.empty()) return std::string("no table file given");
    // What is published is the feed a save writes, under its own name.
    if (options.publish && options.destination != Destination::SaveLocation)
        return std::string("--publish cannot be combined with --stdout or -o");
    return options;
}

// Writes all of `bytes` to standard output and flushes it: false when any of it fails, with
// errno set.
bool WriteStandardOutput(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

// One line on standard error: a script reads one line per message, so every line end of the UTF-8
// message becomes a blank. The file the message is about (the file system's bytes) leads it as it
// is.
void ReportShown(const std::string& utf8Message, const std::string& file = {}) {
    std::string line;
    for (const char ch : TrimAll(utf8Message)) {
        const bool lineEnd = ch == '\r' || ch == '\n';
        if (!lineEnd)
            line += ch;
        else if (!line.ends_with(' '))
            line += ' ';
    }
    const std::string subject = file.empty() ? std::string() : file + ": ";
    std::fprintf(stderr, "%s: %s%s\n", Program, subject.c_str(), line.c_str());
}

// Messages are held as code page 932 with CR LF line ends; the terminal reads UTF-8.
void Report(const std::string& message, const std::string& file = {}) {
    ReportShown(Cp932ToUtf8(message), file);
}

int Fail(const std::string& message, const std::string& file = {}) {
    Report(message, file);
    return ExitFailure;
}

// Call right after a write to standard output failed, with its errno.
int StandardOutputFailed() {
    const TResult failed = TResult::FromErrno(errno);
    return Fail(failed.Describe(Utf8ToCp932("標準出力に書き込むことができません。").value()));
}

int UsageError(const std::string& what) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Program, what.c_str(),
                 Program);
    return ExitUsage;
}

// Prints the check's findings, one a line, to standard output or else to standard error.
// ExitFindings when one of them counts as an error.
int ReportFindings(const TFeedDocument& document, bool strict, bool toStandardOutput) {
    const std::vector<TFeedFinding> findings = CheckFeed(document);
    std::string lines;
    for (const TFeedFinding& finding : findings)
        lines += Cp932ToUtf8(FindingLine(finding)) + "\n";
    if (toStandardOutput && !WriteStandardOutput(lines)) return StandardOutputFailed();
    if (!toStandardOutput) std::fputs(lines.c_str(), stderr);
    const int errors = CountFindings(findings, TFindingSeverity::Error) +
                       (strict ? CountFindings(findings, TFindingSeverity::Warning) : 0);
    return errors > 0 ? ExitFindings : ExitSuccess;
}

// Where the program runs without a desktop session (cron), what takes the keyring's place.
std::string NoKeyringAdvice() {
    return Utf8ToCp932("cron などデスクトップのセッションの外にはキーリングがありません。"
                       "パスワードを ~/.netrc に書くか、SFTP で SSH の鍵を使ってください "
                       "(エディタの 公開先の設定 で「SSH エージェントと ~/.ssh の鍵」)。")
        .value();
}

// The news page settings of `table`: none (Enabled false) when the settings file has none for it.
// A settings file that cannot be read fails: whether a page was asked for cannot be known.
TResult LoadNewsPageSettings(const std::string& table, TNewsPageSettings& settings) {
    TIniFile ini(ProgramSettingsFile());
    if (TResult loaded = ini.Load(); !loaded) return TResult::Because(loaded.Describe(ini.Path()));
    settings = ReadNewsPageSettings(ini, table);
    return {};
}

// Writes the news page beside the feed at `feedPath` when the settings ask for it; the files
// written, page first, in `written`.
int WriteNewsPage(const TFeedDocument& document, const std::string& feedPath,
                  const TNewsPageSettings& settings, std::vector<TPageFile>& written) {
    if (!settings.Enabled) return ExitSuccess;
    const TNewsPageFiles page = BuildNewsPageFiles(document, feedPath, settings);
    TResult result = page.Result;
    if (result) result = WriteNewsPageFiles(document, feedPath, page);
    if (!result) return Fail(result.Describe(MsgNewsPageFailed()), document.FileName);
    written = page.Files;
    return ExitSuccess;
}

// Uploads the feed at `feedPath`, and the news page's files `pages`, with the publish settings of
// `table`, asking nothing.
int Publish(const std::string& table, const std::string& feedPath,
            const std::vector<TPageFile>& pages) {
    TIniFile ini(ProgramSettingsFile());
    if (const TResult loaded = ini.Load(); !loaded)
        return Report(loaded.Describe(MsgPublishFailed()), ini.Path()), ExitNotPublished;
    const std::optional<TPublishSettings> settings = ReadPublishSettings(ini, table);
    if (!settings) {
        Report(MsgPublishFailed() +
                   Utf8ToCp932("\r\nこのテーブルファイルの公開先が設定されていません "
                               "(エディタの 機能 > 公開先の設定...)。")
                       .value(),
               table);
        return ExitNotPublished;
    }
    const bool withPassword = LogsInWithPassword(*settings);
    const std::string password =
        withPassword ? KeyringPassword(*settings, TKeyringUnlock::Never) : std::string();
    std::vector<TPublishedFile> withFeed;
    for (const TPageFile& page : pages)
        withFeed.push_back({page.Path, page.What});
    const TPublishOutcome outcome = PublishFeed(*settings, feedPath, password, {}, withFeed);
    if (!outcome.Result) {
        std::string message = outcome.Result.Describe(MsgPublishFailed());
        if (withPassword && !HasSessionBus()) message += "\r\n" + NoKeyringAdvice();
        return Report(message, table), ExitNotPublished;
    }
    std::string addresses = outcome.Address + "\n";
    for (const std::string& address : outcome.WithFeedAddresses)
        addresses += address + "\n";
    return WriteStandardOutput(addresses) ? ExitSuccess : StandardOutputFailed();
}

int Run(const Options& options) {
    const std::string& table = options.tableFile;
    TFeedDocument document;
    if (const TResult loaded = LoadTableFile(document, table); !loaded)
        return Fail(loaded.Describe(MsgTableLoadFailed()), table);
    // The feed names itself after the table file in the channel's address, as a save does.
    std::string name;
    if (const TResult named = FileNameText(table, name); !named) {
        ReportShown(Cp932ToUtf8(MsgFeedCreateFailed()) + " " + FileNameRefusalShown(table), table);
        return ExitFailure;
    }

    // Standard output carries the feed alone: no page goes with it.
    TNewsPageSettings pageSettings;
    if (options.page && options.destination != Destination::StandardOutput)
        if (const TResult loaded = LoadNewsPageSettings(table, pageSettings); !loaded)
            return Fail(loaded.Describe(MsgNewsPageFailed()), table);
    const TFeedFile feed = BuildFeedFile(document, CurrentFeedTime(), GetVersionText());
    std::vector<TPageFile> pages;
    if (options.destination == Destination::StandardOutput) {
        if (!WriteStandardOutput(feed.Text)) return StandardOutputFailed();
    } else {
        const TSaveResult result = WriteFeedFile(document, feed, options.outputFile);
        if (result.Outcome == TSaveOutcome::InvalidSaveFolder) return Fail(result.Message, table);
        if (result.Outcome != TSaveOutcome::Saved) return Fail(result.Message, result.FeedPath);
        if (const int written = WriteNewsPage(document, result.FeedPath, pageSettings, pages);
            written != ExitSuccess)
            return written;
        // A script reads the paths from here: a path it cannot read is a failure too.
        std::string paths = result.FeedPath + "\n";
        for (const TPageFile& page : pages)
            paths += page.Path + "\n";
        if (options.destination == Destination::SaveLocation && !WriteStandardOutput(paths))
            return StandardOutputFailed();
    }
    // Where standard output carries the feed, it carries nothing else.
    const int checked = options.check
                            ? ReportFindings(document, options.strict,
                                             options.destination != Destination::StandardOutput)
                            : ExitSuccess;
    if (checked != ExitSuccess || !options.publish) return checked;
    return Publish(table, feed.Path, pages);
}

// Standard output or error may have been closed by the caller. Holding their numbers with a file
// that cannot be written keeps any file the program opens off them, and makes a write to them
// fail, as it must be reported, instead of landing in that file.
void HoldClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    HoldClosedStandardStreams();
    const Parsed parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::string* error = std::get_if<std::string>(&parsed)) return UsageError(*error);
    if (const Request* request = std::get_if<Request>(&parsed)) {
        const bool written = WriteStandardOutput(
            *request == Request::Help ? std::string(Usage)
                                      : std::string(Program) + " " + GetVersionText() + "\n");
        return written ? ExitSuccess : ExitFailure;
    }
    try {
        return Run(std::get<Options>(parsed));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", Program, error.what());
        return ExitFailure;
    }
}
