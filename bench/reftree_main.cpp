// quendel_reftree: writes the reference tree the benchmarks run on.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

#include "RefTree.h"
#include "RefTreeGenerator.h"

int main(int argc, char** argv) {
    CLI::App app{"Writes the scanner-sized reference tree of the benchmarks"};
    std::string out;
    uint64_t seed = reftree::kDefaultSeed;
    int sections = reftree::kDefaultSections;
    app.add_option("out", out, "Output directory (the tree's ShippedRoot)")->required();
    app.add_option("--seed", seed, "Seed of the generator");
    app.add_option("--sections", sections, "Sections of the parameters (the size scales with it)")
        ->check(CLI::Range(2, 1000000));
    CLI11_PARSE(app, argc, argv);
    try {
        const reftree::GeneratorStats stats = reftree::Generate(out, seed, sections);
        std::printf("%d files, %.1f MB; start selection: %llu entries, %.2f MB as one .pp file\n",
                    stats.files, stats.treeBytes / 1e6,
                    static_cast<unsigned long long>(stats.selectionEntries),
                    stats.selectionPpBytes / 1e6);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quendel_reftree: %s\n", e.what());
        return 1;
    }
    return 0;
}
