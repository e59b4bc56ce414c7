// quendel_bench: runs every case on the reference tree and prints the table.
//   quendel_bench --reftree=DIR [--table=FILE] [Google Benchmark flags]
// Each case is repeated and its median kept; later flags override the default repetitions.
#include <benchmark/benchmark.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchCases.h"
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

int main(int argc, char** argv) {
    static char defaultRepetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    static char plainOutput[] = "--benchmark_color=false";
    std::vector<char*> args{argv[0], defaultRepetitions, aggregatesOnly, plainOutput};
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
        bench::RegisterInihCases(data);
        bench::RegisterBoostCases(data);
        bench::RegisterLibconfigCases(data);
        bench::RegisterTomlCases(data);
        bench::RegisterBaselineCases(data);
        bench::CollectingReporter reporter(table);
        benchmark::RunSpecifiedBenchmarks(&reporter);
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
