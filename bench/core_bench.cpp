// SPDX-License-Identifier: MIT
// Benchmarks of the core on files of the sizes users convert: a 100-node × 100-entry key
// file, and model files of 20 KB and 200 MB whose hierarchy section sits at the end.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

#include <charconv>
#include <vector>

#include "conversion/hierarchy_reader.h"
#include "conversion/keyframe_conversion.h"
#include "keyframes/key_file_reader.h"
#include "keyframes/key_file_writer.h"
#include "keyframes/number_text.h"
#include "sample_data.h"

namespace {

namespace fs = std::filesystem;
using namespace zerka;

constexpr int kNodes = 100;
constexpr int kEntries = 100;
constexpr int kModelRecords = 30;
constexpr const char *kKeyName = "walk.key";
constexpr const char *kFixedDate = "01/01/70 00:00:00";

// A temporary folder for every file the benchmarks make, removed when they end.
class Workspace {
public:
    Workspace()
    {
        std::random_device device;
        path_ = fs::temp_directory_path() / ("zerka-bench-" + std::to_string(device()));
        fs::create_directories(path_ / "New");
    }
    ~Workspace()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

Workspace *workspace = nullptr;

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string &KeyText()
{
    static const std::string text = bench::MakeKeyText(kKeyName, kNodes, kEntries, 1, false);
    return text;
}

const std::string &KeyPath()
{
    static const std::string path = [] {
        const std::string p = *workspace / kKeyName;
        WriteBytes(p, KeyText());
        return p;
    }();
    return path;
}

// Fresh tables with both hierarchies loaded and the key file read, as the batch has them
// just before converting.
std::unique_ptr<KeyframeTables> LoadedTables()
{
    static const bool written = [] {
        WriteBytes(*workspace / "old.3do", bench::MakeHierarchySection(kNodes, false));
        WriteBytes(*workspace / "new.3do", bench::MakeHierarchySection(kNodes, true));
        return true;
    }();
    (void)written;
    auto tables = std::make_unique<KeyframeTables>();
    LoadHierarchy(*tables, *workspace / "old.3do", true);
    LoadHierarchy(*tables, *workspace / "new.3do", false);
    LoadKeyText(*tables, KeyText(), kKeyName);
    tables->SourceFileName = kKeyName;
    return tables;
}

void LoadKeyTextBench(benchmark::State &state)
{
    auto tables = std::make_unique<KeyframeTables>();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadKeyText(*tables, KeyText(), kKeyName));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(KeyText().size()));
}

void LoadKeyFileBench(benchmark::State &state)
{
    auto tables = std::make_unique<KeyframeTables>();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadKeyFile(*tables, KeyPath()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(KeyText().size()));
}

void BuildKeyTextBench(benchmark::State &state)
{
    const auto tables = LoadedTables();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string text = BuildKeyText(*tables, kFixedDate);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

// Converting changes the tables, so each round starts from a fresh read, not timed.
void ConvertTablesBench(benchmark::State &state)
{
    auto tables = LoadedTables();
    for (auto _ : state) {
        state.PauseTiming();
        LoadKeyText(*tables, KeyText(), kKeyName);
        state.ResumeTiming();
        ConvertTables(*tables, kKeyName);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(KeyText().size()));
}

void ConvertKeyFileBench(benchmark::State &state)
{
    auto tables = LoadedTables();
    OutputFolder output = OutputFolder::OpenChild(Folder::Open(*workspace / "", "bench"), "New");
    for (auto _ : state) {
        state.PauseTiming();
        LoadKeyText(*tables, KeyText(), kKeyName);
        state.ResumeTiming();
        ConvertKeyFile(*tables, output, kKeyName, kFixedDate);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(KeyText().size()));
}

// What the batch does for one file: read it, convert it, write it. Bytes are the key
// text read, so the rate is the key-text throughput of one core.
void ReadConvertWriteBench(benchmark::State &state)
{
    auto tables = LoadedTables();
    OutputFolder output = OutputFolder::OpenChild(Folder::Open(*workspace / "", "bench"), "New");
    for (auto _ : state) {
        LoadKeyFile(*tables, KeyPath());
        ConvertKeyFile(*tables, output, kKeyName, kFixedDate);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(KeyText().size()));
}

// The same hierarchy section after geometry of very different sizes: only the tail may
// be read, so both should take about the same time.
void LoadHierarchyBench(benchmark::State &state, std::uint64_t modelBytes)
{
    // Made on the first run only: the library calls this function several times.
    static std::map<std::uint64_t, std::string> models;
    std::string &path = models[modelBytes];
    if (path.empty()) {
        const std::string section = bench::MakeHierarchySection(kModelRecords, false);
        path = *workspace / ("model-" + std::to_string(modelBytes) + ".3do");
        bench::WriteModelFile(path, modelBytes - section.size(), section);
    }
    // A label, not a counter: the CSV report needs the same counters on every row.
    state.SetLabel(std::to_string(fs::file_size(path)) + " bytes");

    auto tables = std::make_unique<KeyframeTables>();
    for (auto _ : state)
        LoadHierarchy(*tables, path, true);
}

// Values as key files hold them: positions and deltas, most with eight decimals.
const std::vector<double> &Values()
{
    static const std::vector<double> values = [] {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> value(-2.0, 2.0);
        std::vector<double> made(10000);
        for (double &v : made)
            v = value(random);
        return made;
    }();
    return values;
}

const std::vector<std::string> &NumberTexts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> made;
        for (const double value : Values())
            made.push_back(FormatDouble(value));
        return made;
    }();
    return texts;
}

// The number code's short paths against the standard library they stand in for: each is
// kept only while it pays on a whole batch (docs/performance.md).
void ParseDoubleTextBench(benchmark::State &state)
{
    for (auto _ : state)
        for (const std::string &text : NumberTexts())
            benchmark::DoNotOptimize(ParseDoubleText(text));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(NumberTexts().size()));
}

void FromCharsBench(benchmark::State &state)
{
    for (auto _ : state) {
        for (const std::string &text : NumberTexts()) {
            double value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(NumberTexts().size()));
}

void FormatDoubleBench(benchmark::State &state)
{
    const std::string file = "bench";
    char text[kMaxFormattedDouble];
    for (auto _ : state)
        for (const double value : Values())
            benchmark::DoNotOptimize(FormatDoubleAt(value, text, TextSource{file}));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Values().size()));
}

void ToCharsFixed8Bench(benchmark::State &state)
{
    char text[kMaxFormattedDouble];
    for (auto _ : state)
        for (const double value : Values())
            benchmark::DoNotOptimize(
                std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 8).ptr);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Values().size()));
}

}  // namespace

int main(int argc, char **argv)
{
    Workspace space;
    workspace = &space;

    benchmark::RegisterBenchmark("LoadKeyText", LoadKeyTextBench);
    benchmark::RegisterBenchmark("LoadKeyFile", LoadKeyFileBench);
    benchmark::RegisterBenchmark("BuildKeyText", BuildKeyTextBench);
    benchmark::RegisterBenchmark("ConvertTables", ConvertTablesBench);
    benchmark::RegisterBenchmark("ConvertKeyFile", ConvertKeyFileBench);
    benchmark::RegisterBenchmark("ReadConvertWrite", ReadConvertWriteBench);
    benchmark::RegisterBenchmark("ParseDoubleText", ParseDoubleTextBench);
    benchmark::RegisterBenchmark("std::from_chars", FromCharsBench);
    benchmark::RegisterBenchmark("FormatDouble", FormatDoubleBench);
    benchmark::RegisterBenchmark("std::to_chars/fixed/8", ToCharsFixed8Bench);
    benchmark::RegisterBenchmark("LoadHierarchy/20KB", LoadHierarchyBench, 20u << 10);
    benchmark::RegisterBenchmark("LoadHierarchy/200MB", LoadHierarchyBench, 200u << 20);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
