// SPDX-License-Identifier: MIT
// zerka-cli: the batch conversion of the window, for folders converted in bulk and for
// machines without a display.

#include <getopt.h>
#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_report.h"
#include "app/marker_date.h"
#include "conversion/batch_conversion.h"
#include "conversion/batch_summary.h"
#include "conversion/conversion_report.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/joint_ties.h"
#include "conversion/key_file_list.h"
#include "keyframes/text_rules.h"
#include "zerka_version.h"

namespace {

constexpr int kExitAllConverted = 0;
constexpr int kExitSomeNotConverted = 1;
constexpr int kExitUsage = 2;

constexpr const char *kProgramName = "zerka-cli";

constexpr const char *kUsage =
    "Usage: zerka-cli [OPTION]... OLD.3do NEW.3do DIR\n"
    "Convert every .key file of DIR from the hierarchy of OLD.3do to that of NEW.3do and\n"
    "write the results into DIR/New. The sources are never changed.\n"
    "\n"
    "A node belongs to the joint its NODE line names by number. It is moved when both\n"
    "models have one joint of that number, under the same name (ignoring case); any\n"
    "other node is written as read. With --renumber, each node follows its joint by name\n"
    "into the new model and takes the joint's new number there.\n"
    "\n"
    "  -n, --dry-run         convert in memory and write nothing, not even DIR/New;\n"
    "                          shows the report\n"
    "      --report          show how each joint and each file's nodes fare\n"
    "      --rename OLD=NEW  in matching, a joint of NEW.3do named NEW counts as named\n"
    "                          OLD; may be given more than once\n"
    "      --renumber        for models whose joints were inserted, removed or reordered:\n"
    "                          each node follows its joint by name and gets its new\n"
    "                          number; a node whose joint cannot be followed is dropped\n"
    "  -q, --quiet           print nothing on standard output; failures still go to\n"
    "                          standard error\n"
    "      --json            print the result as one JSON document\n"
    "  -h, --help            display this help and exit\n"
    "  -V, --version         output version information and exit\n"
    "\n"
    "Exit status:\n"
    " 0  every file was converted\n"
    " 1  some files were not converted\n"
    " 2  usage error, a model file or folder that cannot be read, a DIR/New that cannot\n"
    "    be made or written (nothing is written then), a report that could not be\n"
    "    written, or an unexpected error\n"
    "\n"
    "Environment:\n"
    "  SOURCE_DATE_EPOCH  a whole number of seconds since 1970 (UTC): the date written\n"
    "                     into each file's first line, so two runs give identical bytes\n";

struct CliOptions {
    bool DryRun = false;
    bool Report = false;
    bool Quiet = false;
    bool Json = false;
    zerka::MatchOptions Match;
    std::vector<std::string> Operands;
};

// One line naming what was wrong, then the pointer to the help, as GNU tools do.
int UsageError(const std::string &problem)
{
    if (!problem.empty())
        std::cerr << kProgramName << ": " << problem << '\n';
    std::cerr << "Try '" << kProgramName << " --help' for more information.\n";
    return kExitUsage;
}

// "OLD=NEW"; a second rename of one new name would make matching depend on their order,
// and two new names for one old name would make two joints of it.
std::optional<std::string> AddRename(CliOptions &options, const std::string &text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        return "--rename '" + zerka::ShownName(text) + "': expected OLD=NEW";
    zerka::NodeRename rename{text.substr(0, equals), text.substr(equals + 1)};
    for (const zerka::NodeRename &earlier : options.Match.Renames) {
        if (zerka::SameIgnoringCase(earlier.NewName, rename.NewName))
            return "--rename: " + zerka::ShownName(rename.NewName) + " is renamed twice";
        if (zerka::SameIgnoringCase(earlier.OldName, rename.OldName))
            return "--rename: " + zerka::ShownName(rename.OldName) + " is given two new names";
    }
    options.Match.Renames.push_back(std::move(rename));
    return std::nullopt;
}

// What getopt_long found wrong (c is '?' or ':'), in GNU getopt's words. given is the
// argument it was reading; optopt tells a short option's fault from a long one's.
std::string OptionProblem(int c, const std::string &given, const option *longOptions)
{
    const std::string name = given.substr(0, given.find('='));
    std::vector<const option *> named;  // by its whole name, else every one it begins
    if (given.rfind("--", 0) == 0 && name.size() > 2) {
        for (const option *o = longOptions; o->name; ++o) {
            const std::string full = std::string("--") + o->name;
            if (full == name) {
                named.assign(1, o);
                break;
            }
            if (full.rfind(name, 0) == 0)
                named.push_back(o);
        }
    }
    const bool isLong = !named.empty() ? optopt == 0 || named.front()->val == optopt
                                       : given.rfind("--", 0) == 0 && optopt == 0;
    const std::string shown = zerka::ShownName(isLong ? name : std::string(1, static_cast<char>(optopt)));
    if (!isLong)
        return c == ':' ? "option requires an argument -- '" + shown + "'"
                        : "invalid option -- '" + shown + "'";
    if (named.size() > 1) {
        std::string possible;
        for (const option *o : named)
            possible += std::string(" '--") + o->name + "'";
        return "option '" + shown + "' is ambiguous; possibilities:" + possible;
    }
    if (c == ':')
        return "option '" + shown + "' requires an argument";
    if (named.size() == 1)
        return "option '" + shown + "' doesn't allow an argument";
    return "unrecognized option '" + zerka::ShownName(given) + "'";
}

// Fills options from the command line, or returns the status to exit with at once.
std::optional<int> ParseOptions(int argc, char **argv, CliOptions &options)
{
    enum LongOnly { kReport = 256, kRename, kRenumber, kJson };
    static const option kLongOptions[] = {
        {"dry-run", no_argument, nullptr, 'n'},          {"report", no_argument, nullptr, kReport},
        {"rename", required_argument, nullptr, kRename}, {"renumber", no_argument, nullptr, kRenumber},
        {"quiet", no_argument, nullptr, 'q'},
        {"json", no_argument, nullptr, kJson},           {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},          {nullptr, 0, nullptr, 0},
    };
    // getopt says nothing itself: its lines would name argv[0], whatever path the program
    // was run by, and on Windows go past the console's wide output. OptionProblem words
    // them as GNU getopt does.
    std::string name = kProgramName;
    std::vector<char *> args(argv, argv + argc);
    args.push_back(nullptr);
    args[0] = name.data();
    opterr = 0;
    int c = 0;
    while ((c = getopt_long(argc, args.data(), ":nqhV", kLongOptions, nullptr)) != -1) {
        switch (c) {
        case 'n': options.DryRun = true; break;
        case kReport: options.Report = true; break;
        case kRename:
            if (const std::optional<std::string> problem = AddRename(options, optarg))
                return UsageError(*problem);
            break;
        case kRenumber: options.Match.Renumber = true; break;
        case 'q': options.Quiet = true; break;
        case kJson: options.Json = true; break;
        case 'h': std::cout << kUsage; return kExitAllConverted;
        case 'V':
            std::cout << kProgramName << ' ' << zerka::kVersionText << '\n';
            return kExitAllConverted;
        default: return UsageError(OptionProblem(c, args[optind - 1], kLongOptions));
        }
    }
    options.Operands.assign(args.begin() + optind, args.begin() + argc);
    if (options.Operands.size() < 3)
        return UsageError(options.Operands.empty()
                              ? "missing operands OLD.3do NEW.3do DIR"
                              : "missing operand after '" +
                                    zerka::ShownName(options.Operands.back()) + "'");
    if (options.Operands.size() > 3)
        return UsageError("extra operand '" + zerka::ShownName(options.Operands[3]) + "'");
    return std::nullopt;
}

// What the window shows in a message box, as lines on standard output. The texts break
// with LF already; the window makes them CR LF itself.
void PrintMessage(const std::string &text)
{
    std::cout << text << '\n';
}

// Set when standard output was closed at start.
bool stdoutWasClosed = false;

// A closed standard stream would give its number to the next file opened, and the report
// would land in that file: each closed one is held by /dev/null instead, and a closed
// standard output is remembered as an output that could not be written.
// (Windows never gives a standard stream's number to a file the core opens.)
void GuardStandardStreams()
{
#if !defined(_WIN32)
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        stdoutWasClosed = stdoutWasClosed || fd == 1;
        ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
#endif
}

// A full disk or a closed pipe on standard output must not pass for success.
int CheckedExit(int status)
{
    // A console on Windows is written by the stream itself, not through stdout.
    if (std::cout.flush().fail() || std::fflush(stdout) != 0 || std::ferror(stdout) ||
        stdoutWasClosed) {
        std::cerr << kProgramName << ": cannot write the report to standard output\n";
        return kExitUsage;
    }
    return status;
}

#if defined(ZERKA_FAULT_POINTS)
// Test builds only. ZERKA_KILL_AT=N kills the process at the N-th step of writing outputs,
// so that an interruption test can stop a batch at every step it likes, without timing;
// ZERKA_NAMED_TEMPORARIES=1 takes the path of file systems that cannot make unnamed files.
zerka::WriteOptions TestWriteOptions()
{
    zerka::WriteOptions write;
    write.NamedTemporaries = std::getenv("ZERKA_NAMED_TEMPORARIES") != nullptr;
    const char *killAt = std::getenv("ZERKA_KILL_AT");
    if (killAt != nullptr && std::atol(killAt) > 0) {
        auto left = std::make_shared<std::atomic<long>>(std::atol(killAt));
        write.Step = [left] {
            if (--*left == 0)
                std::raise(SIGKILL);
        };
    }
    return write;
}
#else
zerka::WriteOptions TestWriteOptions() { return {}; }
#endif

void LoadModel(zerka::KeyframeTables &tables, const std::string &path, bool isOld)
{
    try {
        zerka::LoadHierarchy(tables, path, isOld);
    } catch (const std::bad_alloc &) {
        throw zerka::FileError(zerka::ErrorCode::OutOfMemory, path, 0, zerka::kOutOfMemoryText);
    }
}

// What a user would otherwise miss (a file none of whose nodes matched, nodes dropped, a
// file converted twice) is told even when nothing else is.
void PrintWarnings(const zerka::BatchResult &result)
{
    for (const std::string &line : zerka::WarningLines(result))
        std::cerr << line << '\n';
}

void PrintResult(const CliOptions &options, const zerka::BatchResult &result)
{
    const bool report = options.Report || options.DryRun;
    if (options.Quiet) {
        for (const std::string &line : zerka::FailureLines(result))
            std::cerr << line << '\n';
        return;
    }
    if (options.Json) {
        const zerka::CliRun run{options.Operands[0], options.Operands[1], options.Operands[2],
                                options.DryRun, report};
        std::cout << zerka::ResultJson(run, result);
        return;
    }
    if (report)
        std::cout << zerka::ReportText(result) << '\n';
    if (options.DryRun)
        std::cout << "Dry run: nothing was written.\n";
    PrintMessage(zerka::BatchSummaryText(result));
}

int Run(const CliOptions &options)
{
    const std::string &folder = options.Operands[2];
    zerka::KeyframeTables tables;
    zerka::BatchOptions batch;
    try {
        batch.MarkerDate = zerka::MarkerDate();  // a bad SOURCE_DATE_EPOCH is refused up front
        LoadModel(tables, options.Operands[0], true);
        LoadModel(tables, options.Operands[1], false);
    } catch (const zerka::FileError &error) {
        std::cerr << kProgramName << ": " << error.what() << '\n';
        return kExitUsage;
    }
    for (const zerka::NodeRename &rename : options.Match.Renames)
        if (const std::optional<std::string> problem = zerka::RenameProblem(tables, rename))
            return UsageError(*problem);
    // A folder that cannot be listed would pass for an empty one, every file "converted".
    std::vector<std::string> names;
    try {
        names = zerka::ListKeyFiles(folder);
    } catch (const zerka::FileError &error) {
        std::cerr << kProgramName << ": " << error.what() << '\n';
        return kExitUsage;
    }
    if (!options.Quiet && !options.Json)
        PrintMessage(std::to_string(names.size()));
    batch.DryRun = options.DryRun;
    batch.Match = options.Match;
    batch.Write = TestWriteOptions();
    const zerka::BatchResult result = zerka::ConvertAll(tables, folder, names, {}, batch);
    // New cannot be made or written: one line, as for a folder that cannot be read.
    if (!result.Ran) {
        std::cerr << kProgramName << ": " << result.NotRunReason << '\n';
        return kExitUsage;
    }
    PrintWarnings(result);
    PrintResult(options, result);
    return CheckedExit(result.NotConvertedCount() == 0 ? kExitAllConverted : kExitSomeNotConverted);
}

}  // namespace

// Windows enters at wmain (windows_main.cpp), which passes the arguments on as UTF-8.
#if defined(_WIN32)
int Utf8Main(int argc, char **argv)
#else
int main(int argc, char **argv)
#endif
{
    GuardStandardStreams();
    CliOptions options;
    if (const std::optional<int> status = ParseOptions(argc, argv, options))
        return CheckedExit(*status);

#if !defined(_WIN32)
    // A file-size limit must fail the one write, not kill the run.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Every failure of a file is its outcome; whatever still reaches here stopped the run,
    // and "some files were not converted" would not tell the truth about it.
    try {
        return Run(options);
    } catch (const std::bad_alloc &) {
        std::cerr << kProgramName << ": unexpected error: out of memory\n";
    } catch (const std::exception &error) {
        std::cerr << kProgramName << ": unexpected error: " << error.what() << '\n';
    }
    return CheckedExit(kExitUsage);
}
