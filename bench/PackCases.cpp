// Packing the whole reference tree as `quendel pack` does, and opening the result as the
// binary store does at its first Initial.
#include <filesystem>
#include <stdexcept>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "HostSetup.h"
#include "RefTree.h"
#include "host/Fendrel.h"
#include "inspect/pack/ResourcePack.h"

namespace bench {

void RegisterPackCases(const BenchData& data) {
    PackOptions options;
    options.m_dir = data.tree + "/dev/" + reftree::kResourceName;
    // Beside the store's own file, so that the store's cases keep theirs.
    options.m_output = reftree::PeerFile(data.tree, "Pack.bin");
    options.m_idsFile = reftree::IdNamesFile(data.tree);
    benchmark::RegisterBenchmark(name::kPack, [options](benchmark::State& state) {
        PackResult result;
        std::string error;
        for (auto _ : state) {
            if (!PackTree(options, result, error)) {
                state.SkipWithError(error.c_str());
                break;
            }
        }
        std::filesystem::remove(options.m_output);
    })->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark(name::kOpenFile, [path = PackedFile(data.tree)](
                                                      benchmark::State& state) {
        for (auto _ : state) {
            Fendrel* parser = Fendrel::getHandle();
            const bool open = parser->OpenFile(path);
            Fendrel::deletHandle(parser);
            if (!open) {
                state.SkipWithError("OpenFile failed");
                break;
            }
        }
    })->Unit(benchmark::kMillisecond);
}

}  // namespace bench
