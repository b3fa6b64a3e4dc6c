// zerka-cli: the batch conversion of the window, for folders converted in bulk and for
// machines without a display.

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"
#include "keyframes/utf8_paths.h"
#include "zerka_version.h"

namespace {

constexpr int kExitAllConverted = 0;
constexpr int kExitSomeNotConverted = 1;
constexpr int kExitUsage = 2;

constexpr const char *kUsage =
    "usage: zerka-cli OLD.3do NEW.3do DIR\n"
    "\n"
    "Converts every .key file of DIR from the hierarchy of OLD.3do to that of NEW.3do and\n"
    "writes the results into DIR/New. The sources are never changed.\n"
    "\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n"
    "\n"
    "Exit status: 0 all files converted, 1 some not converted, 2 usage or hierarchy error.\n"
    "SOURCE_DATE_EPOCH (seconds) fixes the date written into each file's first line.\n";

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

void LoadModel(zerka::KeyframeTables &tables, const char *path, bool isOld)
{
    try {
        zerka::LoadHierarchy(tables, path, isOld);
    } catch (const std::bad_alloc &) {
        throw zerka::FileError(zerka::ErrorCode::OutOfMemory, path, 0, "out of memory");
    }
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
    if (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
        std::cout << kUsage;
        return kExitAllConverted;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "zerka-cli " << zerka::kVersionText << '\n';
        return kExitAllConverted;
    }
    if (argc != 4) {
        std::cerr << kUsage;
        return kExitUsage;
    }

#if !defined(_WIN32)
    // A file-size limit must fail the one write, not kill the run.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        zerka::KeyframeTables tables;
        try {
            LoadModel(tables, argv[1], true);
            LoadModel(tables, argv[2], false);
        } catch (const zerka::FileError &error) {
            std::cerr << "zerka-cli: " << error.what() << '\n';
            return kExitUsage;
        }
        std::error_code ec;
        if (!std::filesystem::is_directory(zerka::PathFromUtf8(argv[3]), ec)) {
            std::cerr << "zerka-cli: " << zerka::ShownName(argv[3]) << ": not a folder\n";
            return kExitUsage;
        }
        const std::vector<std::string> names = zerka::ListKeyFiles(argv[3]);
        PrintMessage(std::to_string(names.size()));
        const zerka::BatchResult result = zerka::ConvertAll(tables, argv[3], names);
        PrintMessage(zerka::BatchSummaryText(result));
        return CheckedExit(result.NotConvertedCount() == 0 ? kExitAllConverted
                                                           : kExitSomeNotConverted);
    } catch (const std::exception &error) {
        std::cerr << "zerka-cli: " << error.what() << '\n';
        return CheckedExit(kExitSomeNotConverted);
    }
}
