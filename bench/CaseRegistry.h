// Registration helpers shared by the cases: a parse is rated in bytes of the ".pp" content, a
// lookup repeats one query and checks its answer once at the end.
#ifndef QUENDEL_BENCH_CASEREGISTRY_H
#define QUENDEL_BENCH_CASEREGISTRY_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>

namespace bench {

// parse() builds the peer's structure from its file and drops it; false fails the case.
template <class Parse>
void RegisterParse(const char* name, uint64_t contentBytes, Parse parse) {
    benchmark::RegisterBenchmark(name, [contentBytes, parse](benchmark::State& state) mutable {
        for (auto _ : state) {
            if (!parse()) {
                state.SkipWithError("parse failed");
                return;
            }
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * contentBytes));
    })->Unit(benchmark::kMillisecond);
}

// lookup(value) runs one query into value, which must then equal expected. Items are the
// elements of a list (1 for a single value), so the table can give a cost per element.
template <class T, class Lookup>
void RegisterLookup(const char* name, T expected, Lookup lookup, int64_t items = 1) {
    benchmark::RegisterBenchmark(
        name, [expected = std::move(expected), lookup, items](benchmark::State& state) mutable {
            T value{};
            for (auto _ : state) {
                lookup(value);
                benchmark::DoNotOptimize(value);
            }
            if (!(value == expected)) {
                state.SkipWithError("wrong answer");
            }
            state.SetItemsProcessed(state.iterations() * items);
        });
}

}  // namespace bench

#endif
