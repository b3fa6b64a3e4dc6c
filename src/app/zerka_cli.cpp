// SPDX-License-Identifier: MIT
// zerka-cli: the batch conversion of the window, for folders converted in bulk and for
// machines without a display.

#include <getopt.h>
#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_report.h"
#include "conversion/batch_conversion.h"
#include "conversion/conversion_report.h"
#include "conversion/hierarchy_reader.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/utf8_paths.h"
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
    "A node is moved when the record at its position has the same name (ignoring case)\n"
    "in both models; a node whose record was renamed or moved elsewhere is written as read.\n"
    "\n"
    "  -n, --dry-run         convert in memory and write nothing, not even DIR/New;\n"
    "                          shows the report\n"
    "      --report          show how each record and each file's nodes fare\n"
    "      --rename OLD=NEW  in matching, a record of NEW.3do named NEW counts as named\n"
    "                          OLD; may be given more than once\n"
    "  -q, --quiet           print nothing on standard output; failures still go to\n"
    "                          standard error\n"
    "      --json            print the result as one JSON document\n"
    "  -h, --help            display this help and exit\n"
    "  -V, --version         output version information and exit\n"
    "\n"
    "Exit status:\n"
    " 0  every file was converted\n"
    " 1  some files were not converted\n"
    " 2  usage error, a model file or folder that cannot be read (nothing is written\n"
    "    then), or a report that could not be written\n"
    "\n"
    "Environment:\n"
    "  SOURCE_DATE_EPOCH  a whole number of seconds since 1970 (UTC): the date written\n"
    "                     into each file's first line, so two runs give identical bytes\n";

struct CliOptions {
    bool DryRun = false;
    bool Report = false;
    bool Quiet = false;
    bool Json = false;
    std::vector<zerka::NodeRename> Renames;
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

// "OLD=NEW"; a second rename of one new name would make matching depend on their order.
std::optional<std::string> AddRename(CliOptions &options, const std::string &text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        return "--rename '" + zerka::ShownName(text) + "': expected OLD=NEW";
    zerka::NodeRename rename{text.substr(0, equals), text.substr(equals + 1)};
    for (const zerka::NodeRename &earlier : options.Renames)
        if (zerka::SameNameIgnoringCase(earlier.NewName, rename.NewName))
            return "--rename: " + zerka::ShownName(rename.NewName) + " is renamed twice";
    options.Renames.push_back(std::move(rename));
    return std::nullopt;
}

// Fills options from the command line, or returns the status to exit with at once.
std::optional<int> ParseOptions(int argc, char **argv, CliOptions &options)
{
    enum LongOnly { kReport = 256, kRename, kJson };
    static const option kLongOptions[] = {
        {"dry-run", no_argument, nullptr, 'n'},          {"report", no_argument, nullptr, kReport},
        {"rename", required_argument, nullptr, kRename}, {"quiet", no_argument, nullptr, 'q'},
        {"json", no_argument, nullptr, kJson},           {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},          {nullptr, 0, nullptr, 0},
    };
    // getopt's own messages name argv[0], which is whatever path the program was run by;
    // the copy gives them the name every other message of the program uses.
    std::string name = kProgramName;
    std::vector<char *> args(argv, argv + argc);
    args.push_back(nullptr);
    args[0] = name.data();
    int c = 0;
    while ((c = getopt_long(argc, args.data(), "nqhV", kLongOptions, nullptr)) != -1) {
        switch (c) {
        case 'n': options.DryRun = true; break;
        case kReport: options.Report = true; break;
        case kRename:
            if (const std::optional<std::string> problem = AddRename(options, optarg))
                return UsageError(*problem);
            break;
        case 'q': options.Quiet = true; break;
        case kJson: options.Json = true; break;
        case 'h': std::cout << kUsage; return kExitAllConverted;
        case 'V':
            std::cout << kProgramName << ' ' << zerka::kVersionText << '\n';
            return kExitAllConverted;
        default:  // getopt has said what was wrong
            return UsageError({});
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

// The window's message boxes as lines: CR LF breaks become LF.
void PrintMessage(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
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
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || stdoutWasClosed) {
        std::fprintf(stderr, "zerka-cli: cannot write the report to standard output\n");
        return kExitUsage;
    }
    return status;
}

void LoadModel(zerka::KeyframeTables &tables, const std::string &path, bool isOld)
{
    try {
        zerka::LoadHierarchy(tables, path, isOld);
    } catch (const std::bad_alloc &) {
        throw zerka::FileError(zerka::ErrorCode::OutOfMemory, path, 0, "out of memory");
    }
}

// A silent no-op is what users miss most: a file none of whose nodes matched is told even
// when nothing else is.
void WarnOfUnchangedFiles(const zerka::BatchResult &result, bool dryRun)
{
    for (const zerka::FileOutcome &file : result.Files) {
        const bool noneMoved =
            std::none_of(file.Nodes.begin(), file.Nodes.end(),
                         [](const zerka::NodeOutcome &node) { return node.Moved; });
        if (file.Converted && !file.Nodes.empty() && noneMoved)
            std::cerr << zerka::ShownName(file.Name) << ": no node matches the new model; "
                      << (dryRun ? "would be written unchanged" : "written unchanged") << '\n';
    }
}

void PrintResult(const CliOptions &options, const zerka::KeyframeTables &tables,
                 const zerka::BatchResult &result)
{
    const bool report = options.Report || options.DryRun;
    if (options.Quiet) {
        for (const zerka::FileOutcome &file : result.Files)
            if (!file.Converted)
                std::cerr << zerka::ShownName(file.Name) << ": " << file.Reason << '\n';
        return;
    }
    if (options.Json) {
        const zerka::CliRun run{options.Operands[0], options.Operands[1], options.Operands[2],
                                options.DryRun, report};
        std::cout << zerka::ResultJson(run, zerka::CompareHierarchies(tables), result);
        return;
    }
    if (report)
        std::cout << zerka::ReportText(zerka::CompareHierarchies(tables), result) << '\n';
    if (options.DryRun)
        std::cout << "Dry run: nothing was written.\n";
    PrintMessage(zerka::BatchSummaryText(result));
}

int Run(const CliOptions &options)
{
    const std::string &folder = options.Operands[2];
    zerka::KeyframeTables tables;
    try {
        zerka::SourceDateEpoch();  // a bad value would fail every file: refused up front
        LoadModel(tables, options.Operands[0], true);
        LoadModel(tables, options.Operands[1], false);
    } catch (const zerka::FileError &error) {
        std::cerr << kProgramName << ": " << error.what() << '\n';
        return kExitUsage;
    }
    tables.Renames = options.Renames;
    std::error_code ec;
    if (!std::filesystem::is_directory(zerka::PathFromUtf8(folder), ec)) {
        std::cerr << kProgramName << ": " << zerka::ShownName(folder) << ": not a folder\n";
        return kExitUsage;
    }
    // A folder that cannot be listed would pass for an empty one, every file "converted".
    std::filesystem::directory_iterator listing(zerka::PathFromUtf8(folder), ec);
    if (ec) {
        std::cerr << kProgramName << ": " << zerka::ShownName(folder)
                  << ": cannot list the folder: " << ec.message() << '\n';
        return kExitUsage;
    }
    const std::vector<std::string> names = zerka::ListKeyFiles(folder);
    if (!options.Quiet && !options.Json)
        PrintMessage(std::to_string(names.size()));
    zerka::BatchOptions batch;
    batch.DryRun = options.DryRun;
    const zerka::BatchResult result = zerka::ConvertAll(tables, folder, names, {}, batch);
    WarnOfUnchangedFiles(result, options.DryRun);
    PrintResult(options, tables, result);
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
    try {
        return Run(options);
    } catch (const std::exception &error) {
        std::cerr << kProgramName << ": " << error.what() << '\n';
        return CheckedExit(kExitSomeNotConverted);
    }
}
