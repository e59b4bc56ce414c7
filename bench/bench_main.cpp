// quendel_bench: runs every case on the reference tree and prints the table.
//   quendel_bench --reftree=DIR [--table=FILE] [Google Benchmark flags]
// Each case is repeated and its median kept; later flags override the default repetitions.
#include <benchmark/benchmark.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchCases.h"
#include "CollectingReporter.h"
#include "HostSetup.h"
#include "ResultTable.h"

namespace {

std::string CpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            return line.substr(line.find(':') + 2);
        }
    }
    return "unknown CPU";
}

std::string Header(int repetitions) {
    utsname system{};
    uname(&system);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    return std::string("Machine: ") + CpuModel() + ", " +
           std::to_string(std::thread::hardware_concurrency()) + " cores, " + system.sysname + " " +
           system.release + "; g++ " + __VERSION__ + ", Release; " + date +
           ".\nFigures: CPU time, median of " + std::to_string(repetitions) +
           " repetitions. Ratio = ours / peer's figure in the row's unit.\n";
}

// Value of --name=value among args, removed from them; empty when absent.
std::string TakeFlag(std::vector<char*>& args, const char* name) {
    const std::string prefix = std::string("--") + name + "=";
    for (auto it = args.begin() + 1; it != args.end(); ++it) {
        if (std::strncmp(*it, prefix.c_str(), prefix.size()) == 0) {
            std::string value = *it + prefix.size();
            args.erase(it);
            return value;
        }
    }
    return {};
}

int RepetitionsOf(const std::vector<char*>& args) {
    int repetitions = 1;
    for (const char* arg : args) {
        std::sscanf(arg, "--benchmark_repetitions=%d", &repetitions);
    }
    return repetitions;
}

}  // namespace

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Each store's resident set comes from a fresh process of the helper beside this program.
void MeasureMemory(const std::string& tree, bench::ResultTable& table) {
    const auto helper =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quendel_bench_rss";
    const struct {
        const char* kind;
        const char* name;
        const char* file;
    } stores[] = {{"text", bench::name::kMemoryText, "the files read"},
                  {"binary", bench::name::kMemoryBinary, "the resource file"}};
    if (!std::filesystem::exists(helper)) {
        return;
    }
    for (const auto& store : stores) {
        if (std::strcmp(store.kind, "binary") == 0 &&
            !std::filesystem::exists(bench::PackedFile(tree))) {
            continue;
        }
        const std::string command =
            ShellQuoted(helper.string()) + " " + store.kind + " " + ShellQuoted(tree);
        FILE* pipe = popen(command.c_str(), "r");
        long long peak = 0, resident = 0;
        unsigned long long read = 0;
        const bool parsed =
            pipe != nullptr && std::fscanf(pipe, "%lld %lld %llu", &peak, &resident, &read) == 3;
        const bool ok = pipe != nullptr && pclose(pipe) == 0 && parsed && read > 0;
        if (!ok) {
            table.AddError(store.name, "the memory helper failed");
            continue;
        }
        bench::Result result;
        result.value = static_cast<double>(peak) / static_cast<double>(read);
        table.Add(store.name, result);
        char note[200];
        std::snprintf(note, sizeof note,
                      "%s store: peak resident set +%.1f MB, resident +%.1f MB after Initial, "
                      "%.1f MB in %s.",
                      store.kind, peak / 1e6, resident / 1e6, read / 1e6, store.file);
        table.AddNote(note);
    }
}

// The impact of a change of everything comes from a fresh process of its own helper.
void MeasureImpactMemory(const std::string& tree, bench::ResultTable& table) {
    const auto helper =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quendel_bench_impact_rss";
    const std::string other = bench::OtherTree(tree);
    if (!std::filesystem::exists(helper) || !std::filesystem::exists(other)) {
        return;
    }
    const std::string command =
        ShellQuoted(helper.string()) + " " + ShellQuoted(tree) + " " + ShellQuoted(other);
    FILE* pipe = popen(command.c_str(), "r");
    long long peak = 0;
    unsigned long long bytes = 0;
    size_t changes = 0;
    const bool parsed =
        pipe != nullptr && std::fscanf(pipe, "%lld %llu %zu", &peak, &bytes, &changes) == 3;
    if (!(pipe != nullptr && pclose(pipe) == 0 && parsed && bytes > 0)) {
        table.AddError(bench::name::kMemoryImpact, "the impact memory helper failed");
        return;
    }
    bench::Result result;
    result.value = static_cast<double>(peak) / static_cast<double>(bytes);
    table.Add(bench::name::kMemoryImpact, result);
    char note[200];
    std::snprintf(note, sizeof note,
                  "impact of two trees of other seeds: peak resident set +%.1f MB for %.1f MB of "
                  "parameter files, %zu changes.",
                  peak / 1e6, bytes / 1e6, changes);
    table.AddNote(note);
}

// The editor server's memory comes from a fresh process of its own helper.
void MeasureLspMemory(const std::string& tree, bench::ResultTable& table) {
    const auto helper =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "quendel_bench_lsp_rss";
    if (!std::filesystem::exists(helper)) {
        return;
    }
    FILE* pipe = popen((ShellQuoted(helper.string()) + " " + ShellQuoted(tree)).c_str(), "r");
    long long peak = 0;
    unsigned long long bytes = 0;
    const bool parsed = pipe != nullptr && std::fscanf(pipe, "%lld %llu", &peak, &bytes) == 2;
    if (!(pipe != nullptr && pclose(pipe) == 0 && parsed && bytes > 0)) {
        table.AddError(bench::name::kMemoryLsp, "the editor server memory helper failed");
        return;
    }
    bench::Result result;
    result.value = static_cast<double>(peak) / static_cast<double>(bytes);
    table.Add(bench::name::kMemoryLsp, result);
    char note[200];
    std::snprintf(note, sizeof note,
                  "quendel lsp with the tree read and one file open: peak resident set +%.1f MB "
                  "for %.1f MB of parameter files.",
                  peak / 1e6, bytes / 1e6);
    table.AddNote(note);
}

int main(int argc, char** argv) {
    static char defaultRepetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args{argv[0], defaultRepetitions, aggregatesOnly};
    args.insert(args.end(), argv + 1, argv + argc);
    const std::string tree = TakeFlag(args, "reftree");
    const std::string tableFile = TakeFlag(args, "table");
    const int repetitions = RepetitionsOf(args);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    if (tree.empty()) {
        std::fprintf(stderr, "usage: %s --reftree=DIR [--table=FILE] [benchmark flags]\n", argv[0]);
        return 2;
    }

    bench::ResultTable table;
    try {
        const bench::BenchData data = bench::LoadBenchData(tree);
        bench::RegisterOurCases(data);
        bench::RegisterStoreCases(data);
        bench::RegisterPackCases(data);
        bench::RegisterLintCases(data);
        bench::RegisterMatrixCases(data);
        bench::RegisterLspCases(data);
        bench::RegisterInihCases(data);
        bench::RegisterBoostCases(data);
        bench::RegisterLibconfigCases(data);
        bench::RegisterTomlCases(data);
        bench::RegisterBaselineCases(data);
        bench::CollectingReporter reporter(table, isatty(STDOUT_FILENO) != 0);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        MeasureMemory(tree, table);
        MeasureImpactMemory(tree, table);
        MeasureLspMemory(tree, table);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quendel_bench: %s\n", e.what());
        return 1;
    }
    benchmark::Shutdown();

    const std::string text = table.Format(Header(repetitions));
    std::printf("\n%s", text.c_str());
    if (!tableFile.empty()) {
        std::ofstream(tableFile) << text;
    }
    return 0;
}
