// zerka-cli: the batch conversion of the window, for folders converted in bulk and for
// machines without a display.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "conversion/batch_conversion.h"
#include "conversion/hierarchy_reader.h"

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

// Prints what the window would show in message boxes, one message after another.
class ConsoleBatchView : public zerka::BatchView {
public:
    explicit ConsoleBatchView(std::string directory) : directory_(std::move(directory)) { }

    std::string ListedDirectory() const override { return directory_; }
    std::vector<std::string> ListedFiles() const override
    {
        return zerka::ListKeyFiles(directory_);
    }
    void SetListsEnabled(bool) override { }
    void ClearInfoText() override { }
    void SetProgressMaximum(int) override { }
    void SetProgressValue(int) override { }

    void ShowMessage(const std::string &text) override
    {
        std::string out;
        out.reserve(text.size() + 1);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out += text[i];
        }
        std::cout << out << '\n' << std::flush;
    }

private:
    std::string directory_;
};

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
        std::cout << kUsage;
        return kExitAllConverted;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "zerka-cli 0.2\n";
        return kExitAllConverted;
    }
    if (argc != 4) {
        std::cerr << kUsage;
        return kExitUsage;
    }

    try {
        zerka::KeyframeTables tables;
        try {
            zerka::LoadHierarchy(tables, argv[1], true);
            zerka::LoadHierarchy(tables, argv[2], false);
        } catch (const zerka::FileError &error) {
            std::cerr << "zerka-cli: " << error.what() << '\n';
            return kExitUsage;
        }
        std::error_code ec;
        if (!std::filesystem::is_directory(argv[3], ec)) {
            std::cerr << "zerka-cli: " << argv[3] << ": not a folder\n";
            return kExitUsage;
        }
        ConsoleBatchView view(argv[3]);
        const zerka::BatchResult result = zerka::ConvertAll(tables, view);
        return result.Failures.empty() ? kExitAllConverted : kExitSomeNotConverted;
    } catch (const std::exception &error) {
        std::cerr << "zerka-cli: " << error.what() << '\n';
        return kExitSomeNotConverted;
    }
}
