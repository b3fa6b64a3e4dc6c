// SPDX-License-Identifier: MIT
// Writes the data set scripts/bench times: an old and a new model and a folder of key files.
//   zerka-bench-data OUT_DIR FILES [NODES ENTRIES]
// makes OUT_DIR/old.3do, OUT_DIR/new.3do and OUT_DIR/keys/anim_0001.key ...

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "sample_data.h"

namespace {

constexpr int kHierarchyRecords = 24;
constexpr std::uint64_t kGeometryBytes = 2u << 20;

int ParseCount(const char *text)
{
    const int value = std::stoi(text);
    if (value < 1)
        throw std::invalid_argument(std::string("not a positive count: ") + text);
    return value;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 5) {
        std::cerr << "usage: zerka-bench-data OUT_DIR FILES [NODES ENTRIES]\n";
        return 2;
    }
    try {
        const std::filesystem::path out(argv[1]);
        const int files = ParseCount(argv[2]);
        const int nodes = argc == 5 ? ParseCount(argv[3]) : 20;
        const int entries = argc == 5 ? ParseCount(argv[4]) : 40;

        std::filesystem::create_directories(out / "keys");
        zerka::bench::WriteModelFile((out / "old.3do").string(), kGeometryBytes,
                                     zerka::bench::MakeHierarchySection(kHierarchyRecords, false));
        zerka::bench::WriteModelFile((out / "new.3do").string(), kGeometryBytes,
                                     zerka::bench::MakeHierarchySection(kHierarchyRecords, true));
        for (int f = 1; f <= files; ++f) {
            char name[32];
            std::snprintf(name, sizeof name, "anim_%04d.key", f);
            // One animation in four loops, as idles and walks do.
            const std::string text = zerka::bench::MakeKeyText(
                name, nodes, entries, static_cast<unsigned>(f), f % 4 == 0, kHierarchyRecords);
            std::ofstream(out / "keys" / name, std::ios::binary) << text;
        }
    } catch (const std::exception &error) {
        std::cerr << "zerka-bench-data: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
