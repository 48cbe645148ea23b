// The editor measured against the plain form (plain_form.cpp) on one X server with a window
// manager, and orvanix-feed against xmllint: the same work done by the floor of its kind. Every
// measure runs as pairs, one run of each program after the other, the order alternating, so a
// machine busy with other work loads both alike; it prints the medians and the median of the
// pairs' ratios.
//
// Usage: side_by_side BIN_FOLDER EXAMPLE_TABLE, on a display with a window manager (see
// side_by_side.sh). BIN_FOLDER holds orvanix, plain_form and orvanix-feed. The pairs' counts come
// from BENCH_START_PAIRS (default 9), BENCH_KEY_PAIRS (5) and BENCH_CLI_PAIRS (31).
//
// - start to mapped window: from the fork to the X server's MapNotify of the window manager's
//   frame, which appears once the program has mapped its window; empty, and with a table file of
//   50 full rows on the command line.
// - CPU of the first 1.5 s with the 50 rows, of all the process's threads.
// - CPU per key on the 50 rows, from the first key until the program is idle again: keys sent
//   through the X server (xdotool) at the pace of a held key.
// - CPU of `orvanix-feed --stdout` on the example table against `xmllint --noout` on its feed.
// The editor runs from a copy outside the build folder, so that it keeps its settings, default
// table file and recovery copies in the fresh home folder each run gets.

#include "BenchDocument.h"
#include "document/TableFile.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

double MsBetween(TClock::time_point from, TClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

int PairsFrom(const char* variable, int fallback) {
    const char* value = std::getenv(variable);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// ---------------------------------------------------------------------------------------------
// Processes

// Replaces the child with `argv` (a program on the PATH or a path); ends it when that fails.
[[noreturn]] void Exec(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Starts `argv` with HOME and the XDG folders in `home`, its output thrown away.
pid_t Launch(const std::vector<std::string>& argv, const fs::path& home) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setenv("HOME", home.c_str(), 1);
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        setenv(folder, (home / folder).c_str(), 1);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    Exec(argv);
}

void Stop(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Runs `argv` to its end (the program found on the PATH) with `output` as its standard output;
// the CPU time it used in ms, or nothing when it failed.
std::optional<double> RunForCpu(const std::vector<std::string>& argv,
                                const std::string& output = "/dev/null") {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        Exec(argv);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    const auto ms = [](const timeval& time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// CPU time of all threads of a running process in ms, to the nanosecond.
double CpuMs(pid_t pid) {
    double total = 0;
    std::error_code ignored;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        double ns = 0;
        if (std::ifstream(task.path() / "schedstat") >> ns) total += ns / 1e6;
    }
    return total;
}

// Waits until the process has used under a millisecond of CPU in a quarter of a second.
void WaitIdle(pid_t pid) {
    const auto deadline = TClock::now() + 20s;
    double last = CpuMs(pid);
    while (TClock::now() < deadline) {
        std::this_thread::sleep_for(250ms);
        const double now = CpuMs(pid);
        if (now - last < 1) return;
        last = now;
    }
}

// Shared libraries mapped into the process.
size_t LibraryCount(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libraries;
    std::string line;
    while (std::getline(maps, line)) {
        const size_t path = line.find('/');
        if (path != std::string::npos && line.find(".so", path) != std::string::npos)
            libraries.insert(line.substr(path));
    }
    return libraries.size();
}

// Libraries the dynamic loader would load for a program that is not started.
size_t LinkedLibraryCount(const std::string& program) {
    setenv("LD_TRACE_LOADED_OBJECTS", "1", 1);
    const std::string listing =
        fs::temp_directory_path() / ("side_by_side_ldd" + std::to_string(getpid()));
    const bool listed = RunForCpu({program}, listing).has_value();
    unsetenv("LD_TRACE_LOADED_OBJECTS");
    std::ifstream lines(listing);
    size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.find(".so") != std::string::npos ? 1 : 0;
    fs::remove(listing);
    return listed ? count : 0;
}

// ---------------------------------------------------------------------------------------------
// The X server: a new top-level window shows when the window manager maps the frame around it.

class TMapWatch {
public:
    TMapWatch() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_)) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~TMapWatch() { xcb_disconnect(connection_); }
    TMapWatch(const TMapWatch&) = delete;
    TMapWatch& operator=(const TMapWatch&) = delete;

    bool Connected() const { return root_ != 0; }

    void Forget() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            free(event);
    }

    // The moment a window that is no pop-up appeared on the screen.
    std::optional<TClock::time_point> NextMappedWindow() {
        const auto deadline = TClock::now() + 30s;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (TClock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool mapped =
                    (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
                free(event);
                if (mapped) return TClock::now();
            }
            poll(&fd, 1, 100);
        }
        return std::nullopt;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

// ---------------------------------------------------------------------------------------------
// The measures

struct TProgram {
    std::string name;
    std::vector<std::string> argv;
};

struct TStart {
    double mappedMs = 0;
    double firstCpuMs = 0;
    size_t libraries = 0;
};

struct TMeasure {
    std::string what;
    std::string unit;
    double goal = 0; // 0: none
    std::vector<double> editor, plain;
};

class TBench {
public:
    TBench(const fs::path& bin, const fs::path& folder) : folder_(folder) {
        // A copy outside the build folder keeps its settings in the home folder it is given.
        fs::create_directories(folder / "bin");
        fs::copy_file(bin / "orvanix", folder / "bin/orvanix");
        editor_ = (folder / "bin/orvanix").string();
        plain_ = (bin / "plain_form").string();
        TFeedDocument full = FullDocument();
        table_ = (folder / "news50.tbl").string();
        if (!WriteTableFile(full, table_)) table_.clear();
    }

    bool Ready() const { return watch_.Connected() && !table_.empty(); }

    // Runs `measure` for the editor and the plain form, `pairs` times, alternating who goes first.
    template <typename Measure> void Pairs(int pairs, Measure measure) {
        for (int pair = 0; pair < pairs; ++pair) {
            const bool editorFirst = pair % 2 == 0;
            for (const bool editor : {editorFirst, !editorFirst})
                measure(editor);
        }
    }

    std::vector<std::string> Argv(bool editor, bool full) const {
        std::vector<std::string> argv{editor ? editor_ : plain_};
        if (full) argv.push_back(table_);
        return argv;
    }

    // Starts the program with a fresh home folder and waits until its window shows.
    std::optional<pid_t> Start(bool editor, bool full, TStart* start = nullptr) {
        const fs::path home = folder_ / "home";
        fs::remove_all(home);
        fs::create_directories(home);
        watch_.Forget();
        const TClock::time_point started = TClock::now();
        const pid_t pid = Launch(Argv(editor, full), home);
        const std::optional<TClock::time_point> mapped = watch_.NextMappedWindow();
        if (!mapped) {
            Stop(pid);
            return std::nullopt;
        }
        if (start) {
            start->mappedMs = MsBetween(started, *mapped);
            start->libraries = LibraryCount(pid);
            std::this_thread::sleep_until(started + 1500ms);
            start->firstCpuMs = CpuMs(pid);
        }
        return pid;
    }

private:
    fs::path folder_;
    std::string editor_, plain_, table_;
    TMapWatch watch_;
};

// CPU per key of `keys`, sent `delayMs` apart once the program is idle.
double CpuPerKey(pid_t pid, const std::vector<std::string>& keys, int delayMs) {
    WaitIdle(pid);
    const double before = CpuMs(pid);
    std::vector<std::string> command{"xdotool", "key", "--delay", std::to_string(delayMs)};
    command.insert(command.end(), keys.begin(), keys.end());
    if (!RunForCpu(command)) std::cerr << "xdotool failed\n";
    WaitIdle(pid);
    return (CpuMs(pid) - before) / static_cast<double>(keys.size());
}

std::vector<std::string> Repeated(const std::vector<std::string>& pattern, int times) {
    std::vector<std::string> keys;
    for (int time = 0; time < times; ++time)
        keys.insert(keys.end(), pattern.begin(), pattern.end());
    return keys;
}

std::vector<std::string> CursorKeys() {
    std::vector<std::string> pattern(20, "Down");
    pattern.insert(pattern.end(), 20, "Up");
    return Repeated(pattern, 10);
}

void Print(const TMeasure& measure) {
    std::vector<double> ratios;
    for (size_t pair = 0; pair < std::min(measure.editor.size(), measure.plain.size()); ++pair)
        if (measure.plain[pair] > 0) ratios.push_back(measure.editor[pair] / measure.plain[pair]);
    const std::string goal =
        measure.goal > 0 ? "<= " + std::to_string(measure.goal).substr(0, 3) : std::string("-");
    std::printf("%-52s %8.2f %-3s %8.2f %-3s %6.2f   %s\n", measure.what.c_str(),
                Median(measure.editor), measure.unit.c_str(), Median(measure.plain),
                measure.unit.c_str(), Median(ratios), goal.c_str());
}

void PrintHeader(const char* against, int pairs) {
    std::printf("\n%-52s %12s %12s %6s   %s\n", (std::string("Editor against ") + against).c_str(),
                "editor", "baseline", "ratio", "goal");
    std::printf("(medians of %d interleaved pairs; the ratio is the median of the pairs' ratios)\n",
                pairs);
}

void MeasureStart(TBench& bench, int pairs) {
    TMeasure empty{"start to mapped window, empty", "ms", 1.1, {}, {}};
    TMeasure full{"start to mapped window, 50 rows", "ms", 1.1, {}, {}};
    TMeasure firstCpu{"CPU of the first 1.5 s, 50 rows", "ms", 1.1, {}, {}};
    size_t libraries[2] = {0, 0};
    bench.Pairs(pairs, [&](bool editor) {
        for (const bool rows : {false, true}) {
            TStart start;
            const std::optional<pid_t> pid = bench.Start(editor, rows, &start);
            if (!pid) return;
            Stop(*pid);
            TMeasure& mapped = rows ? full : empty;
            (editor ? mapped.editor : mapped.plain).push_back(start.mappedMs);
            if (rows) (editor ? firstCpu.editor : firstCpu.plain).push_back(start.firstCpuMs);
            libraries[editor ? 0 : 1] = start.libraries;
        }
    });
    PrintHeader("the plain Qt form", pairs);
    for (const TMeasure* measure : {&empty, &full, &firstCpu})
        Print(*measure);
    std::printf("shared libraries loaded once the window shows: editor %zu, plain form %zu\n",
                libraries[0], libraries[1]);
}

void MeasureKeys(TBench& bench, int pairs) {
    struct TKeys {
        TMeasure measure;
        std::vector<std::string> keys;
        int delayMs;
    };
    // Page switches come last: on the plain form they leave the keyboard on the tab bar.
    std::vector<TKeys> runs{
        {{"CPU per cursor key (Down/Up), 400 keys", "ms", 1.5, {}, {}}, CursorKeys(), 12},
        {{"CPU per row move (F5/F6), 200 moves", "ms", 0, {}, {}}, Repeated({"F5", "F6"}, 100), 12},
        {{"CPU per typed key (a, BackSpace), 200 keys", "ms", 0, {}, {}},
         Repeated({"a", "BackSpace"}, 100),
         12},
        {{"CPU per page switch (Ctrl+Tab), 60 switches", "ms", 0, {}, {}},
         Repeated({"ctrl+Tab"}, 60),
         40},
    };
    bench.Pairs(pairs, [&](bool editor) {
        const std::optional<pid_t> pid = bench.Start(editor, true);
        if (!pid) return;
        for (TKeys& run : runs)
            (editor ? run.measure.editor : run.measure.plain)
                .push_back(CpuPerKey(*pid, run.keys, run.delayMs));
        Stop(*pid);
    });
    PrintHeader("the plain Qt form, 50 rows", pairs);
    for (const TKeys& run : runs)
        Print(run.measure);
}

void MeasureCommandLine(const fs::path& bin, const std::string& table, const fs::path& folder,
                        int pairs) {
    const std::string feedBuilder = (bin / "orvanix-feed").string();
    const std::string feed = (folder / "news.rdf").string();
    if (!RunForCpu({feedBuilder, "--stdout", table}, feed)) {
        std::cerr << "orvanix-feed cannot build the feed of " << table << "\n";
        return;
    }
    TMeasure cpu{"CPU: orvanix-feed --stdout / xmllint --noout", "ms", 1.0, {}, {}};
    for (int pair = 0; pair < pairs; ++pair) {
        const bool builderFirst = pair % 2 == 0;
        for (const bool builder : {builderFirst, !builderFirst}) {
            const std::optional<double> ms = builder ? RunForCpu({feedBuilder, "--stdout", table})
                                                     : RunForCpu({"xmllint", "--noout", feed});
            if (ms) (builder ? cpu.editor : cpu.plain).push_back(*ms);
        }
    }
    PrintHeader("xmllint on the example's feed", pairs);
    Print(cpu);
    std::printf("shared libraries linked: orvanix-feed %zu, xmllint %zu\n",
                LinkedLibraryCount(feedBuilder), LinkedLibraryCount("/usr/bin/xmllint"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: side_by_side BIN_FOLDER EXAMPLE_TABLE\n";
        return 2;
    }
    const fs::path bin = argv[1];
    char pattern[] = "/tmp/side_by_side.XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    int status = 0;
    {
        TBench bench(bin, folder);
        if (!bench.Ready()) {
            std::cerr
                << "side_by_side needs an X display with a window manager (side_by_side.sh)\n";
            status = 1;
        } else {
            // A first start of each warms the disk cache and the desktop's services.
            bench.Pairs(1, [&](bool editor) {
                if (const std::optional<pid_t> pid = bench.Start(editor, true)) Stop(*pid);
            });
            MeasureStart(bench, PairsFrom("BENCH_START_PAIRS", 9));
            MeasureKeys(bench, PairsFrom("BENCH_KEY_PAIRS", 5));
        }
    }
    MeasureCommandLine(bin, argv[2], folder, PairsFrom("BENCH_CLI_PAIRS", 31));
    fs::remove_all(folder);
    return status;
}
